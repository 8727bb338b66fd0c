#include "app/OutputFile.h"

#include "app/Quoting.h"
#include "storage/IoError.h"
#include "storage/SafeReplace.h"

#include <QFile>

#include <filesystem>
#include <sys/stat.h>

namespace app {

namespace {

// Follows links: a link to /dev/null is as much a device as /dev/null itself. Whatever
// cannot be looked at here is left to the writer, which says why.
bool existsAsOtherThanFile(const QString& output) {
    struct stat info {};
    return ::stat(fileName(output).c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

} // namespace

void failToWrite(const QString& output, const QString& why) {
    throw qorv::EditorError(
        QStringLiteral("Cannot write %1: %2").arg(quotedName(output), why).toStdString());
}

std::string fileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

void checkOutputFile(const QString& output, const QStringList& inputs) {
    if (existsAsOtherThanFile(output))
        failToWrite(output, QStringLiteral("it is not a regular file"));
    for (const QString& input : inputs) {
        std::error_code unknown;
        if (std::filesystem::equivalent(fileName(input), fileName(output), unknown))
            failToWrite(output, QStringLiteral("it is the input %1").arg(quotedName(input)));
    }
}

void writeOutputFile(const QString& output, std::string_view bytes, const QStringList& inputs) {
    checkOutputFile(output, inputs);
    try {
        qorv::replaceFileContent(fileName(output), bytes);
    } catch (const qorv::IoError& error) {
        failToWrite(output, QString::fromUtf8(error.what()));
    }
}

void writeOutputFile(const QString& output, const QByteArray& bytes, const QStringList& inputs) {
    writeOutputFile(output, std::string_view(bytes.data(), std::size_t(bytes.size())), inputs);
}

} // namespace app
