#include "storage/PrivateFolder.h"

#include "storage/FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qorv {

namespace {
constexpr mode_t PrivateMode = 0700;

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw std::runtime_error("the recovery folder \"" + path + "\" " + why);
}

void makeFolderAndParents(const std::string& path) {
    if (::mkdir(path.c_str(), PrivateMode) == 0 || errno == EEXIST) return;
    if (errno != ENOENT) fail(path, std::string("cannot be made: ") + std::strerror(errno));
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) fail(path, "has no parent folder");
    makeFolderAndParents(path.substr(0, slash));
    if (::mkdir(path.c_str(), PrivateMode) != 0 && errno != EEXIST)
        fail(path, std::string("cannot be made: ") + std::strerror(errno));
}
} // namespace

std::string stateFolderFromEnvironment() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/qorvedit";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/state/qorvedit";
    return {};
}

void preparePrivateFolder(const std::string& path) {
    makeFolderAndParents(path);
    // Checked through the opened folder itself: a link swapped in is not followed.
    FileDescriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) fail(path, "is not a folder of its own (a link or a file?)");
    struct stat st {};
    if (::fstat(folder.get(), &st) != 0) fail(path, std::strerror(errno));
    if (st.st_uid != ::geteuid()) fail(path, "belongs to another account");
    if ((st.st_mode & 07777) != PrivateMode && ::fchmod(folder.get(), PrivateMode) != 0)
        fail(path, "cannot be made private");
}

} // namespace qorv
