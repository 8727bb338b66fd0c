#include "app/InputFile.h"

#include "app/OutputFile.h"
#include "app/Quoting.h"
#include "storage/IoError.h"

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
        throw qorv::EditorError(QStringLiteral("%1 is larger than %2 bytes")
                                    .arg(quotedName(name))
                                    .arg(limit)
                                    .toStdString());
    return QByteArray::fromStdString(read.bytes);
}

} // namespace app
