#include "app/InputFile.h"

#include "app/Reporting.h"
#include "core/FileDescriptor.h"
#include "core/IoError.h"
#include "core/ReadAll.h"

#include <fcntl.h>

namespace app {

QByteArray readInputFile(const QString& name, qsizetype limit) {
    const std::string path = fileName(name);
    if (path.empty()) throw qorv::IoError(qorv::iocode::PathNotFound);
    // O_NONBLOCK: a FIFO must not block the open; the opened file is checked to be regular.
    qorv::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0) throw qorv::ioErrorFromErrno(errno, path);
    qorv::requireOpenedRegularFile(file, path);
    std::string bytes(std::size_t(limit) + 1, '\0'); // one more: a longer file shows
    qorv::readUpTo(file.get(), bytes, path);
    if (qsizetype(bytes.size()) > limit)
        throw qorv::EditorError("the file is larger than " + std::to_string(limit) + " bytes");
    return QByteArray::fromStdString(bytes);
}

} // namespace app
