#include "tools/Stats.h"

#include "core/CharTable.h"
#include "core/TileCounts.h"
#include "findings/JsonText.h"
#include "render/TileSheet.h"
#include "text/Quoting.h"
#include "tools/LevelSet.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"

#include <QSet>

#include <bitset>
#include <charconv>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

namespace {

using Tiles = std::bitset<256>;

struct LevelCounts {
    std::string file;
    qorv::TileCounts counts;
    std::optional<std::string> failure; // why it could not be read; then no counts
};

struct SetCounts {
    std::vector<LevelCounts> levels;
    qorv::TileCounts total{};
    Tiles unused;
};

// The tiles a level file can hold whose squares lie wholly inside the sheets the levels are
// drawn with (without any sheet, every tile a level can hold): no other tile can be unused.
Tiles tilesOfSheets(const Invocation& invocation) {
    Tiles holdable;
    for (int tile = 0; tile < 256; ++tile)
        if (qorv::M2O(qorv::TileIndex(tile))) holdable.set(std::size_t(tile));
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
    return loaded.isEmpty() ? holdable : tiles & holdable;
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

// kind,level,reason,TILE...: a row of every kind has every column, so that any CSV reader
// takes the file as one table.
void appendCsvRow(std::string& out, std::string_view kind, std::string_view level,
                  std::string_view reason, const std::vector<int>& columns,
                  const std::function<std::uint32_t(int)>& value) {
    out += kind;
    out += ',';
    appendCsvField(out, level);
    out += ',';
    appendCsvField(out, reason);
    for (const int tile : columns) {
        out += ',';
        if (value) appendNumber(out, value(tile));
    }
    out += '\n';
}

std::string csvReport(const SetCounts& set) {
    std::vector<int> columns;
    std::string out = "kind,level,reason";
    for (int tile = 0; tile < 256; ++tile)
        if (set.total[std::size_t(tile)] > 0 || set.unused[std::size_t(tile)]) {
            columns.push_back(tile);
            out += ',';
            appendNumber(out, std::uint32_t(tile));
        }
    out += '\n';
    for (const LevelCounts& level : set.levels) {
        const std::string name = qorv::text::quoted(level.file);
        if (level.failure)
            appendCsvRow(out, "unreadable", name, *level.failure, columns, nullptr);
        else
            appendCsvRow(out, "level", name, {}, columns,
                         [&](int tile) { return level.counts[std::size_t(tile)]; });
    }
    appendCsvRow(out, "total", {}, {}, columns,
                 [&](int tile) { return set.total[std::size_t(tile)]; });
    appendCsvRow(out, "unused", {}, {}, columns,
                 [&](int tile) { return std::uint32_t(set.unused[std::size_t(tile)]); });
    return out;
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
        if (const auto& failure = set.levels[i].failure) {
            out += ", \"error\": ";
            qorv::findings::appendJsonString(out, *failure);
        } else {
            out += ", \"counts\": ";
            appendJsonCounts(out, set.levels[i].counts);
        }
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
    for (const SetLevel& level : invocation.levels) {
        const LevelRead read = readSetLevel(level);
        LevelCounts& counts = set.levels.emplace_back(LevelCounts{level.path, {}, std::nullopt});
        if (const auto* failure = std::get_if<LevelFailure>(&read)) {
            console.complain(aboutLevel(level, failure->reason));
            counts.failure = failure->reason;
            allRead = false;
            continue;
        }
        counts.counts = qorv::countTiles(std::get<qorv::LevelGrid>(read));
        qorv::addCounts(set.total, counts.counts);
    }
    for (std::size_t tile = 0; tile < 256; ++tile)
        set.unused[tile] = sheetTiles[tile] && set.total[tile] == 0;
    console.write(invocation.value(Extra::Format) == u"json" ? jsonReport(set) : csvReport(set));
    return allRead ? 0 : 1;
}

} // namespace app
