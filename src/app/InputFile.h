#pragma once
// How the headless commands read an input file: only a regular file is read (a FIFO or a
// device handed over in its place is refused without blocking), and never more than a
// limit, so that no input can fill the memory.

#include <QByteArray>
#include <QString>

namespace app {

// The content of the regular file `name`, of at most `limit` bytes. Throws EditorError
// with the reader's messages ("File not found", "File access denied" for a FIFO or
// device), or "the file is larger than ..." when it is longer; the caller names the file.
QByteArray readInputFile(const QString& name, qsizetype limit);

} // namespace app
