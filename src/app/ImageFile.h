#pragma once
// Pictures in the format their file name asks for.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace app {

// The image encoded in the format that `output`'s extension names (PNG when it has
// none). Throws EditorError when no image writer of that format is at hand.
QByteArray encodeImageFor(const QImage& image, const QString& output);

} // namespace app
