#pragma once
// Running the helper programs of the end-to-end tests (xdotool, xdpyinfo) to their end,
// always with a time limit, and polling for a condition without ever waiting unbounded.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

namespace e2e {

// The longest wait for a condition: every wait ends as soon as its condition holds, so the
// limit only bounds a failure. Generous enough for the sanitizer build, where the editor is
// several times slower, on a machine that CI or other builds keep busy (at a load of 8 per
// core a start takes over 10 seconds).
inline constexpr int WaitLimitMs = 30000;

struct RunResult {
    bool finished = false; // ended by itself within the limit
    int exitCode = -1;
    QByteArray output; // standard output only
    QByteArray errors;
};

// QProcess wants an application object; the test program itself shows no window.
void ensureApplication();

// Runs `program` to its end; a program still running after `limitMs` is killed.
RunResult run(const QString& program, const QStringList& arguments,
              const QProcessEnvironment& environment, int limitMs = WaitLimitMs);

// The full path of a program found on PATH, or an empty string.
QString findProgram(const QString& name);

// Calls `done` every few milliseconds until it returns true or `limitMs` have passed.
// Returns whether it became true.
bool pollUntil(const std::function<bool()>& done, int limitMs = WaitLimitMs);

} // namespace e2e
