#pragma once
// The one way the headless tools write a file. Other accounts may hand the program a FIFO,
// a socket or a device where it expects a file (/dev/null as root would become a picture),
// and a slip of the arguments may name an input as the output: both are refused before
// anything is written. The content goes through the safe replacement, so a failure keeps
// the earlier file whole. Where a mode writes one picture or one level and nothing else on
// standard output, it hands over its console, and the output "-" is standard output.

#include "storage/Leftovers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>

namespace app {

class Console;
struct Invocation;

// Lives as long as a command's run: each folder it writes into is listed once for the
// temporary files of dead saves, not once for every file (docs/saving.md, step 2).
using OutputRun = qorv::LeftoversListedOncePerFolder;

// Throws EditorError "Cannot write <output>: <why>".
[[noreturn]] void failToWrite(const QString& output, const QString& why);

// Runs `write`; a failure it throws is thrown on in the words of every output failure:
// "Cannot write <output>: <why>", a missing folder named ("the folder DIR does not exist").
void aboutOutput(const QString& output, const std::function<void()>& write);

// The folder a command writes its many files into (--out-dir, --review's -o, --report's
// DIR): made when missing (not its parents); refused when it is no folder, or an existing
// folder of another account's, whose files she could swap (docs/saving.md). Throws
// EditorError as aboutOutput.
void prepareOutputFolder(const QString& folder);

// Throws EditorError, naming the output, when it exists and is no regular file, or when
// it is one of `inputs` (by any name or link); nothing for "-" with a console. writeOutputFile
// checks it again; a command that could refuse its output for a lesser reason (its extension)
// checks it first, so that the graver reason is the one reported.
void checkOutputFile(const QString& output, const QStringList& inputs,
                     const Console* standardOutput = nullptr);

// Every file the invocation's options name as an output (`Written` in the table), checked as
// checkOutputFile and the writer check it, before any is written: a command with two outputs
// writes neither when one of them cannot be written. A picture must be neither one of
// `inputs` nor the other output; a level may replace an input, and "-" is the console.
void checkOutputs(const Invocation& invocation, const QStringList& inputs,
                  const Console& standardOutput);

// Makes `bytes` the content of `output`, or writes them to the console's standard output for
// "-". Throws EditorError, naming the output, when it exists and is no regular file, when it
// is one of `inputs` (by any name or link), or when writing fails.
void writeOutputFile(const QString& output, std::string_view bytes, const QStringList& inputs,
                     Console* standardOutput = nullptr);
void writeOutputFile(const QString& output, const QByteArray& bytes, const QStringList& inputs,
                     Console* standardOutput = nullptr);

} // namespace app
