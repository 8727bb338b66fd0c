#include "errors/IoError.h"

#include <cerrno>
#include <sys/stat.h>

namespace qorv {

IoError::IoError(IoCode code) : IoError(code, ioMessage(code)) {}
IoError::IoError(IoCode code, const std::string& message, int systemErrno)
    : EditorError(message), code_(code), systemErrno_(systemErrno) {}

std::string ioMessage(IoCode code) {
    switch (code) {
    case iocode::FileNotFound:
        return "File not found";
    case iocode::PathNotFound:
        return "Invalid filename";
    case iocode::TooManyOpenFiles:
        return "Too many open files";
    case iocode::AccessDenied:
        return "File access denied";
    case iocode::ReadBeyondEnd:
        return "Read beyond end of file";
    case iocode::DiskFull:
        return "Disk full";
    case iocode::InvalidNumericInput:
        return "Invalid numeric input";
    case iocode::NotALevel:
        return "Not a level: no 45 lines in its first 4 MiB";
    case iocode::NoTemporaryName:
        return "Cannot make a temporary file beside it: every name tried was taken";
    case iocode::SystemError:
        break;
    }
    return "I/O error";
}

namespace {
bool folderExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
} // namespace

IoError ioErrorFromErrno(int err, const std::string& path) {
    switch (err) {
    case ENOENT:
        return IoError(folderExists(path) ? iocode::FileNotFound : iocode::PathNotFound);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return IoError(iocode::PathNotFound);
    case EMFILE:
    case ENFILE:
        return IoError(iocode::TooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:
        return IoError(iocode::AccessDenied);
    case ENOSPC:
    case EDQUOT:
        return IoError(iocode::DiskFull);
    default:
        return IoError(iocode::SystemError, "I/O error " + std::to_string(err), err);
    }
}

} // namespace qorv
