#include "tools/ImageFile.h"

#include "render/ExactPalette.h"
#include "tools/OutputFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

namespace app {

QImage pngReady(const QImage& image) {
    return qorv::withExactPalette(image).value_or(image);
}

QByteArray encodeImageFor(const QImage& image, const QString& output) {
    const QString suffix = QFileInfo(output).suffix().toLower();
    const QByteArray format = suffix.isEmpty() ? QByteArray("png") : suffix.toLatin1();
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    if (!formats.contains(format))
        failToWrite(output, QStringLiteral("no image format is named \".%1\" (known: %2)")
                                .arg(suffix, QString::fromLatin1(formats.join(", "))));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    const bool png = format == "png";
    if (png) writer.setCompression(PngCompression);
    if (!writer.write(png ? pngReady(image) : image)) failToWrite(output, writer.errorString());
    return bytes;
}

} // namespace app
