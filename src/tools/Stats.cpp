#include "tools/Stats.h"

#include "core/CharTable.h"
#include "core/TileCounts.h"
#include "findings/JsonText.h"
#include "render/TileSheet.h"
#include "text/Quoting.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"

#include <QSet>

#include <bitset>
#include <charconv>
#include <string>
#include <vector>

namespace app {

namespace {

using Tiles = std::bitset<256>;

struct LevelCounts {
    std::string file;
    qorv::TileCounts counts;
};

struct SetCounts {
    std::vector<LevelCounts> levels;
    qorv::TileCounts total{};
    Tiles unused;
};

// The tiles whose squares lie wholly inside the sheets the levels are drawn with; without any
// sheet, the tiles a level file can hold, for no other tile can be in a level.
Tiles tilesOfSheets(const Invocation& invocation) {
    Tiles tiles;
    QSet<QString> loaded;
    for (const qorv::TileSheetSearch& search : invocation.sheets) {
        if (search.found.isEmpty() || loaded.contains(search.found)) continue;
        loaded.insert(search.found);
        const QImage sheet = loadSheet(search.found);
        for (int tile = 0; tile < 256; ++tile)
            if (qorv::tileLeft(tile) + qorv::CellSize <= sheet.width() &&
                qorv::tileTop(tile) + qorv::CellSize <= sheet.height())
                tiles.set(std::size_t(tile));
    }
    if (!loaded.isEmpty()) return tiles;
    for (int tile = 0; tile < 256; ++tile)
        if (qorv::M2O(qorv::TileIndex(tile))) tiles.set(std::size_t(tile));
    return tiles;
}

void appendNumber(std::string& out, std::uint32_t number) {
    char digits[10];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void appendTileList(std::string& out, const Tiles& tiles, std::string_view separator) {
    for (int tile = 0, shown = 0; tile < 256; ++tile)
        if (tiles[std::size_t(tile)]) {
            if (shown++) out += separator;
            appendNumber(out, std::uint32_t(tile));
        }
}

// --- CSV ----------------------------------------------------------------------------------

// A spreadsheet runs a cell that starts with one of these as a formula (a level named
// "=HYPERLINK(...).qre" would be a link the moment the file is opened): such a cell starts
// with an apostrophe inside quotes, which spreadsheets show as text, as the common guidance
// against CSV injection says.
bool spreadsheetWouldRun(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

void appendCsvField(std::string& out, std::string_view text) {
    const bool formula = spreadsheetWouldRun(text);
    if (!formula && text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += formula ? "\"'" : "\"";
    for (const char c : text)
        out.append(c == '"' ? 2 : 1, c);
    out += '"';
}

void appendCsvRow(std::string& out, std::string_view label, const qorv::TileCounts& counts,
                  const std::vector<int>& columns) {
    appendCsvField(out, label);
    for (const int tile : columns) {
        out += ',';
        appendNumber(out, counts[std::size_t(tile)]);
    }
    out += '\n';
}

std::string csvReport(const SetCounts& set) {
    std::vector<int> columns;
    std::string out = "level";
    for (int tile = 0; tile < 256; ++tile)
        if (set.total[std::size_t(tile)] > 0) {
            columns.push_back(tile);
            out += ',';
            appendNumber(out, std::uint32_t(tile));
        }
    out += '\n';
    for (const LevelCounts& level : set.levels)
        appendCsvRow(out, qorv::text::quoted(level.file), level.counts, columns);
    appendCsvRow(out, "total", set.total, columns);
    out += "unused,";
    appendTileList(out, set.unused, " ");
    return out + '\n';
}

// --- JSON ---------------------------------------------------------------------------------

// {"0": 2650, "1": 230}: the tiles counted, in their order.
void appendJsonCounts(std::string& out, const qorv::TileCounts& counts) {
    out += '{';
    for (int tile = 0, shown = 0; tile < 256; ++tile) {
        if (counts[std::size_t(tile)] == 0) continue;
        out += shown++ ? ", \"" : "\"";
        appendNumber(out, std::uint32_t(tile));
        out += "\": ";
        appendNumber(out, counts[std::size_t(tile)]);
    }
    out += '}';
}

std::string jsonReport(const SetCounts& set) {
    std::string out = "{\"levels\": [";
    for (std::size_t i = 0; i < set.levels.size(); ++i) {
        out += i ? ",\n  {\"file\": " : "\n  {\"file\": ";
        qorv::findings::appendJsonString(out, set.levels[i].file);
        out += ", \"counts\": ";
        appendJsonCounts(out, set.levels[i].counts);
        out += '}';
    }
    out += "\n ],\n \"total\": ";
    appendJsonCounts(out, set.total);
    out += ",\n \"unused\": [";
    appendTileList(out, set.unused, ", ");
    return out + "]}\n";
}

} // namespace

int runStats(const Invocation& invocation, Console& console) {
    const Tiles sheetTiles = tilesOfSheets(invocation);
    SetCounts set;
    bool allRead = true;
    for (const QString& level : invocation.files) {
        if (const std::optional<std::string> failure = failureOf([&] {
                set.levels.push_back({fileName(level), qorv::countTiles(readLevel(level))});
            })) {
            console.complain(*failure);
            allRead = false;
            continue;
        }
        qorv::addCounts(set.total, set.levels.back().counts);
    }
    for (std::size_t tile = 0; tile < 256; ++tile)
        set.unused[tile] = sheetTiles[tile] && set.total[tile] == 0;
    console.write(invocation.value(Extra::Format) == u"json" ? jsonReport(set) : csvReport(set));
    return allRead ? 0 : 1;
}

} // namespace app
