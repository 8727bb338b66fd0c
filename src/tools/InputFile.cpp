#include "tools/InputFile.h"

#include "errors/IoError.h"
#include "tools/Reporting.h"

#include <unistd.h>

namespace app {

qorv::BoundedBytes readInput(const QString& name, std::size_t limit) {
    const qorv::ReadRules rules{.limit = limit, .readable = qorv::Readable::RegularFileOrPipe};
    if (name == QLatin1String("-")) return qorv::readBoundedFrom(STDIN_FILENO, "-", rules);
    return qorv::readBounded(fileName(name), rules);
}

QByteArray readInputFile(const QString& name, qsizetype limit) {
    const qorv::BoundedBytes read = readInput(name, std::size_t(limit));
    if (read.longer)
        throw qorv::EditorError("the file is larger than " + std::to_string(limit) + " bytes");
    return QByteArray::fromStdString(read.bytes);
}

} // namespace app
