#pragma once
// Standard output and standard error of the headless tools. A text that never arrived (a
// full disk, a closed pipe, /dev/full) is a failure like any other: the console remembers
// it, and finish() says so and turns the exit status into the mode's status for it.

#include <QString>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string_view>

namespace app {

class Console {
  public:
    explicit Console(std::FILE* out = stdout, std::FILE* err = stderr) : out_(out), err_(err) {}

    // The program's result: help, version, --check's report.
    void print(const QString& text) {
        if (progressShown_) eraseProgress();
        put(out_, text, outError_);
    }

    // Text that is ready as bytes: the comparisons' thousands of short lines, and their
    // reports on standard error, which git shows as they are.
    void write(std::string_view bytes) {
        if (progressShown_) eraseProgress();
        putBytes(out_, bytes, outError_);
    }
    void writeError(std::string_view bytes) { putBytes(err_, bytes, errError_); }

    // A line about a failure, as "qorvedit: <message>"; it takes the place of a progress line.
    void complain(std::string_view message);
    void complain(const QString& message) { complain(message.toStdString()); }

    // Closes the output (a buffered write fails only now, a close on some file systems only
    // then) and returns `status`, or `lostStatus` when any text did not arrive and `status`
    // said nothing worse.
    int finish(int status, int lostStatus = 1);

    // Progress of long work (Progress.h) is shown only where someone watches: standard error
    // is a terminal, and --quiet was not given.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    bool showsProgress() const;
    // Draws `line` over the progress line shown before, on standard error, without a newline;
    // an empty line erases it. Any thread may call it.
    void showProgress(std::string_view line);

  private:
    // Output on the terminal the progress line is on starts on a clean line.
    void eraseProgress();
    static void put(std::FILE* to, const QString& text, int& error);
    static void putBytes(std::FILE* to, std::string_view bytes, int& error);

    std::FILE* out_;
    std::FILE* err_;
    int outError_ = 0; // the errno of the first failed write, 0 while all went well
    int errError_ = 0;
    bool quiet_ = false;
    std::atomic<bool> progressShown_ = false;
    std::mutex errorLines_; // a progress line from a worker and a complaint never interleave
};

} // namespace app
