#pragma once
// The one way the headless tools write a file. Other accounts may hand the program a FIFO,
// a socket or a device where it expects a file (/dev/null as root would become a picture),
// and a slip of the arguments may name an input as the output: both are refused before
// anything is written. The content goes through the safe replacement, so a failure keeps
// the earlier file whole. Where a mode writes one picture or one level and nothing else on
// standard output, it hands over its console, and the output "-" is standard output.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string_view>

namespace app {

class Console;
struct Invocation;

// Throws EditorError "Cannot write <output>: <why>".
[[noreturn]] void failToWrite(const QString& output, const QString& why);

// The folder a command writes many files into is not made for it: a missing one is
// mostly a slip of the arguments. Throws EditorError "<doing>DIR: no such folder".
void requireFolder(const QString& folder, std::string_view doing);

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
