#include "core/ConflictedLevel.h"

#include "core/CharTable.h"
#include "core/ConflictMarkers.h"

#include <algorithm>

namespace qorv {

namespace {

enum Marker { Opening, BaseStart, Middle, Closing, NoMarker };

// A marker is its seven characters alone on the line or followed by a space and a label.
Marker markerOf(std::string_view line) {
    static constexpr std::string_view Signs[] = {"<<<<<<<", "|||||||", "=======", ">>>>>>>"};
    if (line.size() < 7 || (line.size() > 7 && line[7] != ' ')) return NoMarker;
    for (int marker = Opening; marker < NoMarker; ++marker)
        if (line.starts_with(Signs[marker])) return Marker(marker);
    return NoMarker;
}

struct Line {
    std::string_view text;
    int number;
};

enum Side { Ours, Theirs, Base, SideCount };

// The file cut into each side's lines, or where its markers are wrong.
struct Sides {
    std::array<std::vector<Line>, SideCount> lines;
    bool everyBlockHasBase = true;
    int blocks = 0;
    std::optional<DamagedConflict> damage;
    TextPosition end; // the end of the file's last line
};

// The side the lines of a block belong to between its markers; SideCount: outside a block.
Sides splitSides(std::string_view bytes) {
    Sides sides;
    Side in = SideCount;
    bool blockHasBase = false;
    std::array<std::size_t, SideCount> blockStart{};
    int opening = 0, number = 1;
    const auto stray = [&](int line) {
        sides.damage = DamagedConflict{ConflictDamage::StrayMarker, {line, 0}};
    };
    for (std::size_t start = 0, next = 0; start < bytes.size() && !sides.damage;
         start = next, ++number) {
        const Line line{lineAt(bytes, start, next), number};
        sides.end = {number, int(line.text.size()) + 1};
        const Marker marker = markerOf(line.text);
        if (marker == NoMarker) {
            if (in != SideCount) {
                sides.lines[in].push_back(line);
            } else {
                for (auto& side : sides.lines)
                    side.push_back(line);
            }
        } else if (marker == Opening && in == SideCount) {
            in = Ours;
            opening = number;
            blockHasBase = false;
            for (int side = Ours; side < SideCount; ++side)
                blockStart[std::size_t(side)] = sides.lines[std::size_t(side)].size();
            ++sides.blocks;
        } else if (marker == BaseStart && in == Ours) {
            in = Base;
            blockHasBase = true;
        } else if (marker == Middle && (in == Ours || in == Base)) {
            in = Theirs;
        } else if (marker == Closing && in == Theirs) {
            in = SideCount;
            // git's line diff may pair the base's rows with other rows than the sides' (a
            // level has many alike): the base tells only a block whose three parts match row
            // for row.
            std::array<std::size_t, SideCount> rows{};
            for (int side = Ours; side < SideCount; ++side)
                rows[std::size_t(side)] =
                    sides.lines[std::size_t(side)].size() - blockStart[std::size_t(side)];
            sides.everyBlockHasBase = sides.everyBlockHasBase && blockHasBase &&
                                      rows[Ours] == rows[Theirs] && rows[Ours] == rows[Base];
        } else {
            stray(number);
        }
    }
    if (!sides.damage && in != SideCount)
        sides.damage = DamagedConflict{ConflictDamage::Unclosed, {opening, 0}};
    return sides;
}

bool hasOpeningMarker(std::string_view bytes) {
    for (std::size_t start = 0, next = 0; start < bytes.size(); start = next)
        if (markerOf(lineAt(bytes, start, next)) == Opening) return true;
    return false;
}

// The first 45 lines of a side as rows, or where they fall short.
std::optional<DamagedConflict> checkRows(const std::vector<Line>& lines, TextPosition end) {
    if (lines.size() < std::size_t(GridHeight))
        return DamagedConflict{ConflictDamage::MissingRows, end};
    for (int y = 0; y < GridHeight; ++y)
        if (const Line& line = lines[std::size_t(y)]; line.text.size() < std::size_t(GridWidth))
            return DamagedConflict{ConflictDamage::ShortRow,
                                   {line.number, int(line.text.size()) + 1}};
    return std::nullopt;
}

TileIndex tileAt(const std::vector<Line>& lines, int x, int y) {
    return CharToTile[static_cast<unsigned char>(lines[std::size_t(y)].text[std::size_t(x)])];
}

// Each cell the sides differ in: the side that changed it when the base tells, else a conflict.
ConflictedLevel mergeSides(const Sides& sides) {
    ConflictedLevel level;
    level.hasBase = sides.everyBlockHasBase;
    const auto& [ours, theirs, base] = sides.lines;
    for (int y = 0; y < GridHeight; ++y) {
        level.oursLines[std::size_t(y)] = ours[std::size_t(y)].number;
        for (int x = 0; x < GridWidth; ++x) {
            const TileIndex mine = tileAt(ours, x, y), other = tileAt(theirs, x, y);
            level.merged.at(x, y) = mine;
            if (mine == other) continue;
            const std::optional<TileIndex> original =
                level.hasBase ? std::optional(tileAt(base, x, y)) : std::nullopt;
            if (original == mine)
                level.merged.at(x, y) = other;
            else if (original != other)
                level.conflicts.push_back({x, y, original, mine, other});
        }
    }
    return level;
}

} // namespace

std::variant<NoConflictMarkers, ConflictedLevel, DamagedConflict>
parseConflictedLevel(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    if (!hasOpeningMarker(bytes)) return NoConflictMarkers{};
    const Sides sides = splitSides(bytes);
    if (sides.damage) return *sides.damage;
    for (int side = Ours; side < SideCount; ++side) {
        if (side == Base && !sides.everyBlockHasBase) break;
        if (auto damage = checkRows(sides.lines[std::size_t(side)], sides.end)) return *damage;
    }
    return mergeSides(sides);
}

std::variant<std::string, UnwritableCell>
formatConflictedLevel(const LevelGrid& merged, const std::vector<CellConflict>& conflicts,
                      const LevelGrid* base, std::array<int, GridHeight>* oursLines) {
    LevelGrid theirs = merged;
    std::array<bool, GridHeight> conflicting{};
    for (const CellConflict& conflict : conflicts) {
        theirs.at(conflict.x, conflict.y) = conflict.theirs;
        conflicting[std::size_t(conflict.y)] = true;
    }
    auto oursText = formatLevelText(merged), theirsText = formatLevelText(theirs);
    auto baseText = base ? formatLevelText(*base) : oursText;
    for (auto* text : {&oursText, &theirsText, &baseText})
        if (auto* cell = std::get_if<UnwritableCell>(text)) return *cell;
    const std::string_view rows[SideCount] = {std::get<std::string>(oursText),
                                              std::get<std::string>(theirsText),
                                              std::get<std::string>(baseText)};
    constexpr std::size_t RowBytes = GridWidth + 2;
    int line = 1;
    const auto copyRows = [&](std::string& out, Side side, int from, int to) {
        out.append(
            rows[side].substr(std::size_t(from) * RowBytes, std::size_t(to - from) * RowBytes));
        for (int y = from; y < to && side == Ours && oursLines; ++y)
            (*oursLines)[std::size_t(y)] = line + y - from;
        line += to - from;
    };
    const auto mark = [&](std::string& out, std::string_view marker) {
        out += marker;
        ++line;
    };
    std::string out;
    out.reserve(std::size_t(LevelFileSize) * 2);
    for (int y = 0; y < GridHeight;) {
        int end = y + 1;
        while (end < GridHeight && conflicting[std::size_t(end)] == conflicting[std::size_t(y)])
            ++end;
        if (!conflicting[std::size_t(y)]) {
            copyRows(out, Ours, y, end);
        } else {
            mark(out, "<<<<<<< ours\r\n");
            copyRows(out, Ours, y, end);
            if (base) {
                mark(out, "||||||| base\r\n");
                copyRows(out, Base, y, end);
            }
            mark(out, "=======\r\n");
            copyRows(out, Theirs, y, end);
            mark(out, ">>>>>>> theirs\r\n");
        }
        y = end;
    }
    return out;
}

std::optional<TileIndex> sideTile(const CellConflict& conflict, ConflictSide side) {
    switch (side) {
    case ConflictSide::Ours:
        return conflict.ours;
    case ConflictSide::Theirs:
        return conflict.theirs;
    case ConflictSide::Base:
        break;
    }
    return conflict.base;
}

std::optional<LevelGrid> resolvedLevel(const ConflictedLevel& level, ConflictSide side) {
    LevelGrid resolved = level.merged;
    for (const CellConflict& conflict : level.conflicts) {
        const std::optional<TileIndex> tile = sideTile(conflict, side);
        if (!tile) return std::nullopt;
        resolved.at(conflict.x, conflict.y) = *tile;
    }
    return resolved;
}

} // namespace qorv
