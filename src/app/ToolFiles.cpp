#include "app/ToolFiles.h"

#include "core/IoError.h"
#include "core/LevelFile.h"
#include "core/SafeReplace.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace app {

namespace {
std::string fileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString absolutePath(const QString& name) {
    return QDir::cleanPath(QFileInfo(name).absoluteFilePath());
}
} // namespace

std::string shownName(const QString& name) {
    const std::string bytes = name.toLocal8Bit().toStdString();
    const auto isControl = [](unsigned char c) { return c < 0x20 || c == 0x7f; };
    if (std::none_of(bytes.begin(), bytes.end(), isControl)) return bytes;
    std::string shown = "\"";
    for (const unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            shown += '\\';
            shown += static_cast<char>(c);
        } else if (isControl(c)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            shown += escape;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown + "\"";
}

qorv::LevelGrid readLevelNamed(const QString& name) {
    qorv::LevelGrid grid{};
    try {
        qorv::loadQRE(fileName(name), grid);
    } catch (const qorv::EditorError& error) {
        throw qorv::EditorError(shownName(name) + ": " + error.what());
    }
    return grid;
}

std::optional<qorv::LevelGrid> readBaseLevel(const QString& name) {
    struct stat st {};
    if (::stat(fileName(name).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
        return std::nullopt;
    return readLevelNamed(name);
}

void writeOutputFile(const QString& name, std::string_view bytes) {
    const std::string file = fileName(name);
    const std::string failure = "Cannot write " + shownName(name) + ": ";
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        throw qorv::EditorError(failure + "it is not a regular file");
    try {
        qorv::replaceFileContent(file, bytes);
    } catch (const qorv::EditorError& error) {
        throw qorv::EditorError(failure + error.what());
    }
}

std::string pngBytes(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture))
        throw qorv::EditorError("Cannot make the PNG: " + writer.errorString().toStdString());
    return bytes.toStdString();
}

void requireNoInput(const QString& output, const QStringList& inputs) {
    for (const QString& input : inputs) {
        std::error_code unknown;
        // By file where both exist; by name where one is still to be made (OUT and PNG).
        if (std::filesystem::equivalent(fileName(input), fileName(output), unknown) ||
            absolutePath(input) == absolutePath(output))
            throw qorv::EditorError("Cannot write " + shownName(output) + ": it is the input " +
                                    shownName(input));
    }
}

void writeText(std::FILE* out, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), out);
    if (std::fflush(out) != 0 || std::ferror(out))
        throw qorv::EditorError(std::string("Cannot write the output: ") + std::strerror(errno));
}

} // namespace app
