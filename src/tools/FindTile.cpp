#include "tools/FindTile.h"

#include "findings/LineReports.h"
#include "text/Quoting.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"
#include "tools/TileArgument.h"

#include <array>
#include <bitset>
#include <optional>

namespace app {

namespace {

using Tiles = std::bitset<256>;

// grep's status for trouble: wrong arguments, or a file that cannot be read.
constexpr int Trouble = 2;

std::optional<Tiles> tilesIn(const QString& list) {
    Tiles tiles;
    const std::string text = fileName(list);
    for (const std::string_view part : splitText(text, ',')) {
        const std::optional<int> tile = tileNumber(part);
        if (!tile) return std::nullopt;
        tiles.set(std::size_t(*tile));
    }
    return tiles;
}

// The level's lines, row by row as its text holds them; how many cells were found.
int findIn(const QString& level, const qorv::LevelGrid& grid, const Tiles& tiles,
           std::string& lines) {
    static const std::array<std::string, 256> messages = [] {
        std::array<std::string, 256> made;
        for (std::size_t tile = 0; tile < made.size(); ++tile)
            made[tile] = "tile " + std::to_string(tile);
        return made;
    }();
    int found = 0;
    qorv::findings::Finding finding;
    finding.file = fileName(level);
    const std::string shown = qorv::text::quoted(finding.file);
    for (int y = 0; y < qorv::GridHeight; ++y)
        for (int x = 0; x < qorv::GridWidth; ++x) {
            const qorv::TileIndex tile = grid.at(x, y);
            if (!tiles[tile]) continue;
            qorv::findings::placeAtCell(finding, x, y);
            finding.message = messages[tile];
            qorv::findings::appendPlainLine(lines, finding, shown);
            ++found;
        }
    return found;
}

} // namespace

int runFindTile(const Invocation& invocation, Console& console) {
    const std::optional<Tiles> tiles = tilesIn(invocation.argument);
    if (!tiles) {
        console.complain(QStringLiteral("--find-tile takes tiles 0 to 255, separated by commas."));
        return Trouble;
    }
    bool found = false, trouble = false;
    std::string lines;
    for (const QString& level : invocation.files) {
        lines.clear();
        if (const std::optional<std::string> failure = failureOf(
                [&] { found = findIn(level, readLevel(level), *tiles, lines) > 0 || found; })) {
            console.complain(*failure);
            trouble = true;
        }
        console.write(lines);
    }
    if (trouble) return Trouble;
    return found ? 0 : 1;
}

} // namespace app
