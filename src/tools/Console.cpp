#include "tools/Console.h"

#include "text/Message.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace app {

namespace {
// Keeps the reason of the first failure: later ones are usually its echo.
void note(int& error) {
    if (error == 0) error = errno != 0 ? errno : EIO;
}
} // namespace

void Console::put(std::FILE* to, const QString& text, int& error) {
    const QByteArray bytes = text.toLocal8Bit();
    putBytes(to, std::string_view(bytes.constData(), std::size_t(bytes.size())), error);
}

void Console::putBytes(std::FILE* to, std::string_view bytes, int& error) {
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), to) != bytes.size()) note(error);
}

namespace {
// Back to the line's start, and the line erased: a terminal's way of redrawing a line.
constexpr std::string_view EraseLine = "\r\033[K";
} // namespace

void Console::complain(std::string_view message) {
    const std::lock_guard lock(errorLines_);
    if (progressShown_) {
        putBytes(err_, EraseLine, errError_);
        progressShown_ = false;
    }
    putBytes(err_, qorv::text::complaint(message), errError_);
}

void Console::eraseProgress() {
    showProgress({});
}

bool Console::showsProgress() const {
    return !quiet_ && ::isatty(::fileno(err_)) == 1;
}

void Console::showProgress(std::string_view line) {
    const std::lock_guard lock(errorLines_);
    if (!progressShown_ && line.empty()) return;
    putBytes(err_, std::string(EraseLine) + std::string(line), errError_);
    std::fflush(err_);
    progressShown_ = !line.empty();
}

int Console::finish(int status, int lostStatus) {
    // Closing flushes what is buffered: a full disk shows here at the latest.
    errno = 0;
    if (std::fclose(out_) != 0) note(outError_);
    if (outError_ != 0)
        complain(QStringLiteral("cannot write the output: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(outError_))));
    errno = 0;
    if (std::fflush(err_) != 0) note(errError_);
    const bool arrived = outError_ == 0 && errError_ == 0;
    return arrived ? status : std::max(status, lostStatus);
}

} // namespace app
