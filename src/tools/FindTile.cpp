#include "tools/FindTile.h"

#include "findings/LineReports.h"
#include "text/Quoting.h"
#include "tools/LevelSet.h"
#include "tools/Reporting.h"
#include "tools/TileArgument.h"

#include <array>
#include <bitset>
#include <optional>

namespace app {

namespace {

using Tiles = std::bitset<256>;

// grep's status for trouble: a file that cannot be read.
constexpr int Trouble = 2;

// The level's lines, row by row as its text holds them; how many cells were found.
int findIn(const SetLevel& level, const qorv::LevelGrid& grid, const Tiles& tiles,
           std::string& lines) {
    static const std::array<std::string, 256> messages = [] {
        std::array<std::string, 256> made;
        for (std::size_t tile = 0; tile < made.size(); ++tile)
            made[tile] = "tile " + std::to_string(tile);
        return made;
    }();
    int found = 0;
    qorv::findings::Finding finding;
    finding.file = level.path;
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

std::optional<Tiles> tilesIn(std::string_view list) {
    Tiles tiles;
    for (const std::string_view part : splitText(list, ',')) {
        const std::optional<int> tile = tileNumber(part);
        if (!tile) return std::nullopt;
        tiles.set(std::size_t(*tile));
    }
    return tiles;
}

int runFindTile(const Invocation& invocation, Console& console) {
    const std::optional<Tiles> tiles = tilesIn(fileName(invocation.argument));
    if (!tiles) throw qorv::EditorError("--find-tile: no tiles to find"); // the parser's check
    bool found = false, trouble = false;
    std::string lines;
    for (const SetLevel& level : invocation.levels) {
        lines.clear();
        if (const std::optional<std::string> failure = failureOf(
                [&] { found = findIn(level, requireLevel(level), *tiles, lines) > 0 || found; })) {
            console.complain(*failure);
            trouble = true;
        }
        console.write(lines);
    }
    if (trouble) return Trouble;
    return found ? 0 : 1;
}

} // namespace app
