#include "recovery/RecoverySession.h"

#include "storage/BoundedRead.h"
#include "storage/IoError.h"
#include "storage/PrivateFolder.h"
#include "storage/SafeReplace.h"
#include "text/Message.h"
#include "text/Quoting.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace recovery {

namespace {

constexpr std::string_view Prefix = "instance-";
constexpr std::size_t IdDigits = 16;
constexpr std::size_t MaxRecoveryFileBytes = 64 * 1024; // far beyond any sound one

std::string randomId() {
    unsigned char bytes[IdDigits / 2];
    if (::getrandom(bytes, sizeof bytes, 0) != ssize_t(sizeof bytes))
        throw std::runtime_error(std::string("no random name for the recovery file: ") +
                                 std::strerror(errno));
    std::string id;
    for (const unsigned char byte : bytes) {
        id += "0123456789abcdef"[byte >> 4];
        id += "0123456789abcdef"[byte & 15];
    }
    return id;
}

// "instance-<16 hex digits>" when `name` is that followed by `suffix`, else empty: only
// our own exact names are ever touched.
std::string stemOf(std::string_view name, std::string_view suffix) {
    if (name.size() != Prefix.size() + IdDigits + suffix.size()) return {};
    if (!name.starts_with(Prefix) || !name.ends_with(suffix)) return {};
    const std::string_view id = name.substr(Prefix.size(), IdDigits);
    const bool hex = std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
    return hex ? std::string(name.substr(0, Prefix.size() + IdDigits)) : std::string();
}

int openLockFile(const std::string& path, int flags) {
    return ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | flags, 0600);
}

// The lock of an ended editor, taken; -1 while its editor still runs (or it is no file).
std::unique_ptr<qorv::FileDescriptor> takeFreeLock(const std::string& stemPath) {
    auto lock = std::make_unique<qorv::FileDescriptor>(openLockFile(stemPath + ".lock", O_CREAT));
    struct stat st {};
    if (lock->get() < 0 || ::fstat(lock->get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    if (::flock(lock->get(), LOCK_EX | LOCK_NB) != 0) return {};
    return lock;
}

enum class Read { Missing, Whole, Damaged };

// A small regular file's bytes, read without following a link or blocking on a FIFO.
Read readRecoveryFile(const std::string& path, std::string& bytes) {
    qorv::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) return errno == ENOENT ? Read::Missing : Read::Damaged;
    try {
        qorv::BoundedBytes read =
            qorv::readBoundedFrom(file.get(), path, {.limit = MaxRecoveryFileBytes});
        if (read.longer) return Read::Damaged;
        bytes = std::move(read.bytes);
    } catch (const qorv::IoError&) {
        return Read::Damaged; // no regular file, or unreadable
    }
    return Read::Whole;
}

void setAside(const std::string& stemPath) {
    const std::string damaged = stemPath + ".damaged";
    const std::string line =
        ::rename((stemPath + ".recovery").c_str(), damaged.c_str()) == 0
            ? "a damaged recovery file was set aside as " + qorv::text::quoted(damaged) + "."
            : std::string("a damaged recovery file could not be set aside: ") +
                  std::strerror(errno) + ".";
    std::fputs(qorv::text::complaint(line).c_str(), stderr);
    ::unlink((stemPath + ".lock").c_str());
}

struct Candidate {
    std::string stemPath;
    timespec modified;
};

// An editor removes its lock file only when it is closed normally; a crash leaves it.
bool closedNormally(const std::string& stemPath) {
    struct stat st {};
    return ::lstat((stemPath + ".lock").c_str(), &st) != 0 && errno == ENOENT;
}

} // namespace

// --- The ended editor ------------------------------------------------------------------

EndedEditor::EndedEditor(std::string stemPath, std::unique_ptr<qorv::FileDescriptor> lock,
                         qorv::RecoveredLevel level, bool closed)
    : stemPath_(std::move(stemPath)), lock_(std::move(lock)), level_(std::move(level)),
      closed_(closed) {}

EndedEditor::~EndedEditor() {
    // Removed while it is still held, so no other start can have claimed it meanwhile.
    if (lock_ && closed_) ::unlink((stemPath_ + ".lock").c_str());
}

void EndedEditor::discard() {
    // The recovery file goes first: whoever takes the lock after us finds nothing to offer.
    ::unlink((stemPath_ + ".recovery").c_str());
    ::unlink((stemPath_ + ".lock").c_str());
    lock_.reset();
}

// --- This editor's session ------------------------------------------------------------------

Session::Session(std::string folder) : folder_(std::move(folder)) {
    qorv::preparePrivateFolder(folder_);
    // The lock is taken under a name no other editor looks at, and only then given its
    // real name: an editor's lock file is never seen free while the editor runs.
    const std::string id = randomId();
    stemPath_ = folder_ + "/" + std::string(Prefix) + id;
    const std::string unready = folder_ + "/.unready-" + id;
    lock_.reset(openLockFile(unready, O_CREAT | O_EXCL));
    if (lock_.get() < 0 || ::flock(lock_.get(), LOCK_EX | LOCK_NB) != 0 ||
        ::renameat2(AT_FDCWD, unready.c_str(), AT_FDCWD, (stemPath_ + ".lock").c_str(),
                    RENAME_NOREPLACE) != 0) {
        const int error = errno;
        ::unlink(unready.c_str());
        throw std::runtime_error("the recovery lock cannot be made in \"" + folder_ +
                                 "\": " + std::strerror(error));
    }
    writer_ = std::make_unique<LatestWriter>([this](const auto& level) { write(level); });
}

Session::~Session() {
    writer_->waitUntilIdle();
    writer_->stop();
    ::unlink((stemPath_ + ".lock").c_str());
}

void Session::write(const Record& record) {
    try {
        if (record)
            qorv::replaceFileContent(recoveryFile(), qorv::formatRecoveryFile(*record), 0600);
        else
            removeRecoveryFile();
        failing_ = false;
    } catch (const std::exception& error) {
        // Said once per run of failures (a full disk fails every write until freed).
        if (!failing_)
            std::fputs(qorv::text::complaint(std::string("the recovery file could not be "
                                                         "updated: ") +
                                             error.what())
                           .c_str(),
                       stderr);
        failing_ = true;
    }
}

void Session::removeRecoveryFile() const {
    if (::unlink(recoveryFile().c_str()) != 0 && errno != ENOENT)
        throw std::runtime_error(std::strerror(errno));
}

std::optional<EndedEditor> Session::claimEnded() {
    std::vector<Candidate> candidates;
    std::vector<std::string> bareLocks;
    if (DIR* dir = ::opendir(folder_.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (std::string stem = stemOf(name, ".recovery"); !stem.empty()) {
                struct stat st {};
                const std::string stemPath = folder_ + "/" + stem;
                if (stemPath != stemPath_ && ::lstat((stemPath + ".recovery").c_str(), &st) == 0)
                    candidates.push_back({stemPath, st.st_mtim});
            } else if (std::string lockStem = stemOf(name, ".lock"); !lockStem.empty()) {
                bareLocks.push_back(folder_ + "/" + lockStem);
            }
        }
        ::closedir(dir);
    }
    // Locks left by ended editors that never recorded a level.
    for (const std::string& stemPath : bareLocks) {
        if (stemPath == stemPath_) continue;
        struct stat st {};
        if (::lstat((stemPath + ".recovery").c_str(), &st) == 0) continue;
        const auto lock = takeFreeLock(stemPath);
        if (lock && ::lstat((stemPath + ".recovery").c_str(), &st) != 0)
            ::unlink((stemPath + ".lock").c_str());
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.modified.tv_sec, a.modified.tv_nsec) >
               std::tie(b.modified.tv_sec, b.modified.tv_nsec);
    });
    for (const Candidate& candidate : candidates) {
        const bool closed = closedNormally(candidate.stemPath); // before claiming makes one
        auto lock = takeFreeLock(candidate.stemPath);
        if (!lock) continue; // its editor is running
        std::string bytes;
        const Read read = readRecoveryFile(candidate.stemPath + ".recovery", bytes);
        if (read == Read::Missing) continue; // another start took it meanwhile
        auto level = read == Read::Whole ? qorv::parseRecoveryFile(bytes) : std::nullopt;
        if (!level) {
            setAside(candidate.stemPath);
            continue;
        }
        return EndedEditor(candidate.stemPath, std::move(lock), std::move(*level), closed);
    }
    return std::nullopt;
}

} // namespace recovery
