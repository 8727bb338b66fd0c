#pragma once
// How the headless commands read an input and write an output: only regular files are
// read, outputs replace their file's content safely and never overwrite an input, and
// names appear in messages in a form a terminal shows as it is.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <QStringList>

namespace app {

// The name as a message shows it: unchanged, or quoted with its control characters
// escaped ("\n", "\x1b") when it holds any, so that a name cannot forge message lines
// or drive the terminal.
QString shownName(const QString& name);

// The content of the regular file `name`, of at most `limit` bytes. Throws EditorError
// with the reader's messages ("File not found", "File access denied" for a FIFO or
// device), or "<name> is larger than ..." when it is longer.
QByteArray readInputFile(const QString& name, qsizetype limit);

// Throws EditorError "Cannot write <output>: it is the input <input>" when `output` is
// one of `inputs` by any name or link.
void refuseInputAsOutput(const QString& output, const QStringList& inputs);

// Makes `bytes` the content of `output` through the one safe replacement of the program
// (never over a non-regular file). Throws EditorError "Cannot write <output>: <why>",
// also when `output` is one of `inputs` by any name or link.
void writeOutputFile(const QString& output, QByteArrayView bytes, const QStringList& inputs);

// The image encoded in the format that `output`'s extension names (PNG when it has
// none). Throws EditorError when no image writer of that format is at hand.
QByteArray encodeImageFor(const QImage& image, const QString& output);

} // namespace app
