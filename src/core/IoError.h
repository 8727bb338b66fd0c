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

// A file operation that failed, with the code that picks its message.
class IoError : public EditorError {
public:
    explicit IoError(int code);
    IoError(int code, const std::string& message);
    int code() const { return code_; }

private:
    int code_;
};

namespace iocode {
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int TooManyOpenFiles = 4;
inline constexpr int AccessDenied = 5;
inline constexpr int ReadBeyondEnd = 100;
inline constexpr int DiskFull = 101;
inline constexpr int InvalidNumericInput = 106;
// Our own: a file that has not given a level by the reader's limit of bytes.
inline constexpr int NotALevel = 1000;
} // namespace iocode

// "File not found", "Invalid filename", ... or "I/O error N" for any other code.
std::string ioMessage(int code);

// The error for a failed system call on `path`, from its errno. ENOENT is
// "File not found" when the file's folder exists and "Invalid filename" when it
// does not, so the path is needed to tell the two apart. An errno without a code of
// its own keeps its number and reads "I/O error N" (EIO is 5, but not "access denied").
IoError ioErrorFromErrno(int err, const std::string& path);

} // namespace qorv
