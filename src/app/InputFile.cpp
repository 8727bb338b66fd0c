#include "app/InputFile.h"

#include "app/OutputFile.h"
#include "app/Quoting.h"
#include "core/FileDescriptor.h"
#include "core/IoError.h"

#include <fcntl.h>
#include <unistd.h>

namespace app {

QByteArray readInputFile(const QString& name, qsizetype limit) {
    const std::string path = fileName(name);
    if (path.empty()) throw qorv::IoError(qorv::iocode::PathNotFound);
    // O_NONBLOCK: a FIFO must not block the open; the opened file is checked to be regular.
    qorv::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) throw qorv::ioErrorFromErrno(errno, path);
    qorv::requireOpenedRegularFile(file, path);
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + filled,
                                   static_cast<std::size_t>(bytes.size() - filled));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw qorv::ioErrorFromErrno(errno, path);
        if (got == 0) break;
        filled += got;
    }
    if (filled > limit)
        throw qorv::EditorError(QStringLiteral("%1 is larger than %2 bytes")
                                    .arg(quotedName(name))
                                    .arg(limit)
                                    .toStdString());
    bytes.truncate(filled);
    return bytes;
}

} // namespace app
