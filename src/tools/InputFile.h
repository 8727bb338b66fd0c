#pragma once
// How the headless commands read an input: "-" is standard input; a regular file, a pipe,
// a FIFO or /dev/fd/N is read, a device refused ("File access denied"), and never more than
// a limit, so that no input can fill the memory. A pipe is waited for as long as it takes.

#include "storage/BoundedRead.h"

#include <QByteArray>
#include <QString>

#include <cstddef>

namespace app {

// The first `limit` bytes of the input `name` ("-" is standard input; a pipe or FIFO is read
// too), and whether it went on. Throws IoError.
qorv::BoundedBytes readInput(const QString& name, std::size_t limit);

// The whole input `name`, of at most `limit` bytes. Throws EditorError with the reader's
// messages, or "the file is larger than ..." when it is longer; the caller names the file.
QByteArray readInputFile(const QString& name, qsizetype limit);

} // namespace app
