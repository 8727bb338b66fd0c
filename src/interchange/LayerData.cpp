#include "interchange/LayerData.h"

#include "interchange/MapWords.h"

#include "core/CharTable.h"

#include <QtEndian>

namespace qorv::interchange {

namespace {

constexpr std::size_t MostGidsKept = GridCells + 1;
constexpr qsizetype GidBytes = 4;

[[noreturn]] void refuseAt(std::size_t index, const std::string& what) {
    throw MapRefused("cell (" + cellName(index) + ") " + what);
}

[[noreturn]] void refuseMoreThanALevel() {
    throw MapRefused("the layer data holds more than " + std::to_string(GridCells) +
                     " cells: it goes on past cell (" + cellName(GridCells - 1) + ")");
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text) {
    while (!text.isEmpty() && isSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isSpace(text.back()))
        text.chop(1);
    return text;
}

} // namespace

std::string cellName(std::size_t index) {
    return std::to_string(index % GridWidth) + ", " + std::to_string(index / GridWidth);
}

quint32 gidFromText(QStringView text, std::size_t index) {
    bool ok = false;
    const qulonglong value = text.trimmed().toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFFFFu) refuseAt(index, "holds " + mapWord(text, 20) + ", not a gid");
    return static_cast<quint32>(value);
}

Gids gidsFromCsv(QByteArrayView text) {
    Gids gids;
    text = trimmed(text);
    if (text.isEmpty()) return gids;
    while (gids.size() < MostGidsKept) {
        const qsizetype comma = text.indexOf(',');
        const QByteArrayView value = comma < 0 ? text : text.first(comma);
        gids.push_back(gidFromText(QString::fromLatin1(value), gids.size()));
        if (comma < 0) break;
        text = text.sliced(comma + 1);
    }
    return gids;
}

Gids gidsFromBase64(QByteArrayView text, Compression compression) {
    const auto decoded = QByteArray::fromBase64Encoding(trimmed(text).toByteArray(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) throw MapRefused("the layer data is not valid base64");
    const qsizetype mostBytes = qsizetype{MostGidsKept} * GidBytes;
    const QByteArray bytes = decompress(*decoded, compression, mostBytes);
    if (bytes.size() > mostBytes) refuseMoreThanALevel(); // cut short: its size is unknown
    if (bytes.size() % GidBytes != 0)
        throw MapRefused("the layer data's " + std::to_string(bytes.size()) +
                         " bytes are no whole number of 4-byte gids");
    Gids gids(static_cast<std::size_t>(bytes.size() / GidBytes));
    for (std::size_t i = 0; i < gids.size(); ++i)
        gids[i] = qFromLittleEndian<quint32>(bytes.constData() + i * GidBytes);
    return gids;
}

ImportedMap levelFromGids(const Gids& gids, quint32 firstGid) {
    if (gids.size() < GridCells)
        throw MapRefused("the layer data holds " + std::to_string(gids.size()) + " cells: cell (" +
                         cellName(gids.size()) + ") and those after it are missing");
    if (gids.size() > GridCells) refuseMoreThanALevel();
    ImportedMap map;
    for (std::size_t i = 0; i < gids.size(); ++i) {
        const quint32 gid = gids[i];
        if (gid & GidFlagBits) refuseAt(i, "is flipped or rotated");
        TileIndex tile = 0;
        if (gid == 0) {
            ++map.emptyCells;
        } else if (gid < firstGid) {
            refuseAt(i, "holds gid " + std::to_string(gid) + ", which belongs to no tileset");
        } else {
            const quint32 index = gid - firstGid;
            if (index > 255 || !M2O(static_cast<TileIndex>(index)))
                refuseAt(i, "holds tile " + std::to_string(index) +
                                ", which has no character in a level file");
            tile = static_cast<TileIndex>(index);
        }
        map.grid.at(static_cast<int>(i % GridWidth), static_cast<int>(i / GridWidth)) = tile;
    }
    return map;
}

} // namespace qorv::interchange
