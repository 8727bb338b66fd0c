#include "app/FileInOut.h"

#include "core/FileDescriptor.h"
#include "core/IoError.h"
#include "core/SafeReplace.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <fcntl.h>
#include <filesystem>

namespace app {

namespace {

std::string fileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

[[noreturn]] void failWriting(const QString& output, const QString& why) {
    throw qorv::EditorError(
        QStringLiteral("Cannot write %1: %2").arg(shownName(output), why).toStdString());
}

} // namespace

QString shownName(const QString& name) {
    const bool plain = std::none_of(name.begin(), name.end(),
                                    [](QChar c) { return c.category() == QChar::Other_Control; });
    if (plain) return name;
    QString shown = QStringLiteral("\"");
    for (const QChar c : name) {
        if (c == u'\n')
            shown += QStringLiteral("\\n");
        else if (c == u'\t')
            shown += QStringLiteral("\\t");
        else if (c == u'"' || c == u'\\')
            shown += QString(u'\\') + c;
        else if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        else
            shown += c;
    }
    return shown + u'"';
}

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
                                    .arg(shownName(name))
                                    .arg(limit)
                                    .toStdString());
    bytes.truncate(filled);
    return bytes;
}

void refuseInputAsOutput(const QString& output, const QStringList& inputs) {
    // A slip of the arguments ("--render maze.qre maze.qre") must not turn an input into
    // an output: compared by file, so another name or link of it counts.
    for (const QString& input : inputs) {
        std::error_code unknown;
        if (std::filesystem::equivalent(fileName(input), fileName(output), unknown))
            failWriting(output, QStringLiteral("it is the input %1").arg(shownName(input)));
    }
}

void writeOutputFile(const QString& output, QByteArrayView bytes, const QStringList& inputs) {
    refuseInputAsOutput(output, inputs);
    try {
        qorv::replaceFileContent(fileName(output), {bytes.data(), std::size_t(bytes.size())});
    } catch (const qorv::EditorError& error) {
        failWriting(output, QString::fromUtf8(error.what()));
    }
}

QByteArray encodeImageFor(const QImage& image, const QString& output) {
    const QString suffix = QFileInfo(output).suffix().toLower();
    const QByteArray format = suffix.isEmpty() ? QByteArray("png") : suffix.toLatin1();
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    if (!formats.contains(format))
        failWriting(output, QStringLiteral("no image format is named \".%1\" (known: %2)")
                                .arg(suffix, QString::fromLatin1(formats.join(", "))));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) failWriting(output, writer.errorString());
    return bytes;
}

} // namespace app
