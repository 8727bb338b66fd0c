#include "recovery/RecoverySession.h"

#include "storage/BoundedRead.h"
#include "errors/IoError.h"
#include "text/Message.h"
#include "text/Quoting.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

using Folder = qorv::PrivateFolder;

int openLockFile(const Folder& folder, const std::string& name, int flags) {
    return folder.openFile(name, O_RDWR | O_NONBLOCK | flags, 0600);
}

// The lock of an ended editor, taken; none while its editor still runs (or it is no file).
std::unique_ptr<qorv::FileDescriptor> takeFreeLock(const Folder& folder, const std::string& stem) {
    auto lock =
        std::make_unique<qorv::FileDescriptor>(openLockFile(folder, stem + ".lock", O_CREAT));
    struct stat st {};
    if (lock->get() < 0 || ::fstat(lock->get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    if (::flock(lock->get(), LOCK_EX | LOCK_NB) != 0) return {};
    return lock;
}

enum class Read { Missing, Whole, Damaged };

// A small regular file of ours, read without following a link or blocking on a FIFO. What
// another account put in the folder (while it was open to others) is never offered.
Read readRecoveryFile(const Folder& folder, const std::string& name, std::string& bytes) {
    qorv::FileDescriptor file(folder.openFile(name, O_RDONLY | O_NONBLOCK));
    if (file.get() < 0) return errno == ENOENT ? Read::Missing : Read::Damaged;
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return Read::Damaged;
    try {
        qorv::BoundedBytes read =
            qorv::readBoundedFrom(file.get(), folder.pathOf(name), {.limit = MaxRecoveryFileBytes});
        if (read.longer) return Read::Damaged;
        bytes = std::move(read.bytes);
    } catch (const qorv::IoError&) {
        return Read::Damaged; // unreadable
    }
    return Read::Whole;
}

void setAside(const Folder& folder, const std::string& stem) {
    const std::string damaged = stem + ".damaged";
    const int error = folder.rename(stem + ".recovery", damaged);
    const std::string line = error == 0
                                 ? "a damaged recovery file was set aside as " +
                                       qorv::text::quoted(folder.pathOf(damaged)) + "."
                                 : std::string("a damaged recovery file could not be set aside: ") +
                                       std::strerror(error) + ".";
    std::fputs(qorv::text::complaint(line).c_str(), stderr);
    folder.remove(stem + ".lock");
}

struct Candidate {
    std::string stem;
    timespec modified;
};

// An editor removes its lock file only when it is closed normally; a crash leaves it.
bool closedNormally(const Folder& folder, const std::string& stem) {
    return !folder.statOf(stem + ".lock") && errno == ENOENT;
}

} // namespace

// --- The ended editor ------------------------------------------------------------------

EndedEditor::EndedEditor(std::shared_ptr<const qorv::PrivateFolder> folder,
                         std::shared_ptr<RecordWriter> ourWriter, std::string stem,
                         std::unique_ptr<qorv::FileDescriptor> lock, qorv::RecoveredLevel level,
                         bool closed)
    : folder_(std::move(folder)), ourWriter_(std::move(ourWriter)), stem_(std::move(stem)),
      lock_(std::move(lock)), level_(std::move(level)), closed_(closed) {}

EndedEditor::~EndedEditor() {
    // Removed while it is still held, so no other start can have claimed it meanwhile.
    if (lock_ && closed_) folder_->remove(stem_ + ".lock");
}

void EndedEditor::discard() {
    ourWriter_->waitUntilIdle();
    // The recovery file goes first: whoever takes the lock after us finds nothing to offer.
    folder_->remove(stem_ + ".recovery");
    folder_->remove(stem_ + ".lock");
    lock_.reset();
}

// --- This editor's session ------------------------------------------------------------------

Session::Session(std::string folder, const MakeRecordWriter& makeWriter)
    : folder_(std::make_shared<const qorv::PrivateFolder>(std::move(folder))) {
    // The lock is taken under a name no other editor looks at, and only then given its
    // real name: an editor's lock file is never seen free while the editor runs.
    const std::string id = randomId();
    stem_ = std::string(Prefix) + id;
    const std::string unready = ".unready-" + id;
    lock_.reset(openLockFile(*folder_, unready, O_CREAT | O_EXCL));
    int error = lock_.get() < 0 || ::flock(lock_.get(), LOCK_EX | LOCK_NB) != 0 ? errno : 0;
    if (error == 0) error = folder_->rename(unready, stem_ + ".lock", RENAME_NOREPLACE);
    if (error != 0) {
        folder_->remove(unready);
        throw std::runtime_error("the recovery lock cannot be made in \"" + folder_->path() +
                                 "\": " + std::strerror(error));
    }
    writer_ = makeWriter([this](const auto& level) { write(level); });
}

Session::~Session() {
    writer_->waitUntilIdle();
    writer_->stop();
    folder_->remove(stem_ + ".lock");
}

void Session::write(const Record& record) {
    try {
        if (record)
            folder_->writeFile(stem_ + ".recovery", qorv::formatRecoveryFile(*record));
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
    if (const int error = folder_->remove(stem_ + ".recovery"); error != 0 && error != ENOENT)
        throw std::runtime_error(std::strerror(error));
}

std::optional<EndedEditor> Session::claimEnded() {
    const Folder& folder = *folder_;
    std::vector<Candidate> candidates;
    std::vector<std::string> bareLocks;
    for (const std::string& name : folder.names()) {
        if (std::string stem = stemOf(name, ".recovery"); !stem.empty()) {
            const auto st = folder.statOf(stem + ".recovery");
            if (stem != stem_ && st) candidates.push_back({stem, st->st_mtim});
        } else if (std::string lockStem = stemOf(name, ".lock"); !lockStem.empty()) {
            bareLocks.push_back(lockStem);
        }
    }
    // Locks left by ended editors that never recorded a level.
    for (const std::string& stem : bareLocks) {
        if (stem == stem_ || folder.statOf(stem + ".recovery")) continue;
        const auto lock = takeFreeLock(folder, stem);
        if (lock && !folder.statOf(stem + ".recovery")) folder.remove(stem + ".lock");
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return std::tie(a.modified.tv_sec, a.modified.tv_nsec) >
               std::tie(b.modified.tv_sec, b.modified.tv_nsec);
    });
    for (const Candidate& candidate : candidates) {
        const bool closed = closedNormally(folder, candidate.stem); // before claiming makes one
        auto lock = takeFreeLock(folder, candidate.stem);
        if (!lock) continue; // its editor is running
        std::string bytes;
        const Read read = readRecoveryFile(folder, candidate.stem + ".recovery", bytes);
        if (read == Read::Missing) continue; // another start took it meanwhile
        auto level = read == Read::Whole ? qorv::parseRecoveryFile(bytes) : std::nullopt;
        if (!level) {
            setAside(folder, candidate.stem);
            continue;
        }
        return EndedEditor(folder_, writer_, candidate.stem, std::move(lock), std::move(*level),
                           closed);
    }
    return std::nullopt;
}

} // namespace recovery
