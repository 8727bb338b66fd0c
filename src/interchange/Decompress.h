#pragma once
// Inflating the compressed layer data of a map: zlib, gzip and zstd streams.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace qorv::interchange {

enum class Compression { None, Zlib, Gzip, Zstd };

// The compression a map's "compression" attribute names ("" is none). Throws MapRefused
// for a name it does not know.
Compression compressionNamed(const QString& name);

// The stream's content, or as much of it as `limit` bytes and one more: a level's data
// is small, so a longer result is already the wrong length and nothing beyond it is
// inflated. Throws MapRefused when the stream is damaged or ends too early.
QByteArray decompress(QByteArrayView stream, Compression compression, qsizetype limit);

} // namespace qorv::interchange
