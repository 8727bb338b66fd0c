#pragma once
// The editor's errors. Every failure that ends a command is one of these; the window
// layer catches it at the event boundary and shows its message.

#include <stdexcept>
#include <string>

namespace qorv {

class EditorError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The program's own codes for a failed file operation, each with its message. They are
// a type of their own, apart from errno values: EIO is 5 like AccessDenied, but it is
// no "access denied", so an errno without a code here is a SystemError that keeps its
// number beside the code.
enum class IoCode {
    FileNotFound = 2,
    PathNotFound = 3,
    TooManyOpenFiles = 4,
    AccessDenied = 5,
    ReadBeyondEnd = 100,
    DiskFull = 101,
    InvalidNumericInput = 106,
    NotALevel = 1000,       // no 45 lines by the reader's limit of bytes
    NoTemporaryName = 1001, // every temporary name tried beside a file was taken
    SystemError = -1,       // an errno with no code of its own: IoError::systemErrno()
};
namespace iocode {
using enum IoCode;
} // namespace iocode

// A file operation that failed, with the code that picks its message.
class IoError : public EditorError {
  public:
    explicit IoError(IoCode code);
    IoError(IoCode code, const std::string& message, int systemErrno = 0);
    IoCode code() const { return code_; }
    // The errno of a SystemError; 0 for the program's own codes.
    int systemErrno() const { return systemErrno_; }

  private:
    IoCode code_;
    int systemErrno_;
};

// "File not found", "Invalid filename", ... for the program's own codes.
std::string ioMessage(IoCode code);

// The error for a failed system call on `path`, from its errno. ENOENT is
// "File not found" when the file's folder exists and "Invalid filename" when it
// does not, so the path is needed to tell the two apart. An errno without a code of
// its own is a SystemError reading "I/O error N".
IoError ioErrorFromErrno(int err, const std::string& path);

} // namespace qorv
