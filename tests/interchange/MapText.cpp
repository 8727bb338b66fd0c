#include "MapText.h"

#include "core/CharTable.h"

#include <QtEndian>

#include <zlib.h>
#include <zstd.h>

namespace qorv::test {

namespace {

QByteArray deflated(const QByteArray& bytes, int windowBits) {
    QByteArray out(int(compressBound(uLong(bytes.size()))) + 64, '\0');
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.truncate(out.size() - int(z.avail_out));
    deflateEnd(&z);
    return out;
}

QByteArray zstdOf(const QByteArray& bytes) {
    QByteArray out(int(ZSTD_compressBound(size_t(bytes.size()))), '\0');
    out.truncate(
        int(ZSTD_compress(out.data(), size_t(out.size()), bytes.data(), size_t(bytes.size()), 3)));
    return out;
}

} // namespace

std::vector<quint32> sampleGids() {
    std::vector<quint32> gids;
    int tile = 0;
    for (int i = 0; i < GridCells; ++i) {
        while (!M2O(TileIndex(tile)))
            tile = (tile + 1) % 256;
        gids.push_back(i == 5 ? 0 : quint32(tile) + 1);
        tile = (tile + 1) % 256;
    }
    return gids;
}

LevelGrid sampleLevel() {
    LevelGrid grid;
    const std::vector<quint32> gids = sampleGids();
    for (int i = 0; i < GridCells; ++i)
        grid.at(i % GridWidth, i / GridWidth) =
            TileIndex(gids[size_t(i)] ? gids[size_t(i)] - 1 : 0);
    return grid;
}

QByteArray csvOf(const std::vector<quint32>& gids) {
    QByteArray text;
    for (size_t i = 0; i < gids.size(); ++i)
        text += QByteArray::number(gids[i]) + (i + 1 == gids.size() ? "\n"
                                               : i % 64 == 63       ? ",\n"
                                                                    : ",");
    return text;
}

QByteArray base64Of(const std::vector<quint32>& gids, const QString& compression) {
    QByteArray bytes(qsizetype(gids.size() * 4), '\0');
    for (size_t i = 0; i < gids.size(); ++i)
        qToLittleEndian<quint32>(gids[i], bytes.data() + i * 4);
    if (compression == "zlib") bytes = deflated(bytes, 15);
    if (compression == "gzip") bytes = deflated(bytes, 15 + 16);
    if (compression == "zstd") bytes = zstdOf(bytes);
    return bytes.toBase64();
}

QByteArray filled(QByteArray text, const std::vector<std::pair<QByteArray, QByteArray>>& values) {
    for (const auto& [name, value] : values)
        text.replace("$" + name, value);
    return text;
}

} // namespace qorv::test
