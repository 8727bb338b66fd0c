#include "rules/RuleCheck.h"

#include "core/LevelRules.h"

namespace qorv::rules {

namespace {

// What a rule found: the message, and the cell it is about when there is one.
struct Break {
    std::string message;
    std::optional<Cell> cell;
};

std::string cellName(Cell cell) {
    return std::to_string(cell.x) + "," + std::to_string(cell.y);
}

std::string tileName(TileIndex tile) {
    return "tile " + std::to_string(tile);
}

std::string inAll(int count, const char* what) {
    return count > 1 ? " (" + std::to_string(count) + " " + what + " in all)" : "";
}

std::string tileList(const TileSet& tiles) {
    std::string list;
    for (int tile = 0; tile < 256; ++tile)
        if (tiles.contains(TileIndex(tile)))
            list += (list.empty() ? "" : ", ") + std::to_string(tile);
    return list;
}

std::string wanted(const CountRule& rule) {
    if (rule.min && rule.max)
        return *rule.min == *rule.max
                   ? "exactly " + std::to_string(*rule.min)
                   : std::to_string(*rule.min) + " to " + std::to_string(*rule.max);
    return rule.min ? "at least " + std::to_string(*rule.min)
                    : "at most " + std::to_string(*rule.max);
}

std::optional<Break> check(const LevelGrid& grid, const TilesRule& rule) {
    const std::optional<CellFaults> faults = cellsHolding(grid, rule.failing);
    if (!faults) return std::nullopt;
    return Break{"cell " + cellName(faults->first) + " holds " +
                     tileName(grid.at(faults->first.x, faults->first.y)) + ", which is " +
                     (rule.allowedList ? "not allowed" : "forbidden") +
                     inAll(faults->count, "cells"),
                 faults->first};
}

std::optional<Break> check(const LevelGrid& grid, const BorderRule& rule) {
    const std::optional<CellFaults> faults = borderCellsOutside(grid, rule.allowed);
    if (!faults) return std::nullopt;
    return Break{"border cell " + cellName(faults->first) + " holds " +
                     tileName(grid.at(faults->first.x, faults->first.y)) + ", not one of " +
                     tileList(rule.allowed) + inAll(faults->count, "border cells"),
                 faults->first};
}

std::optional<Break> check(const LevelGrid& grid, const CountRule& rule) {
    const std::optional<TileCountFault> fault =
        tileCountOutside(grid, rule.tile, rule.min, rule.max);
    if (!fault) return std::nullopt;
    return Break{tileName(rule.tile) + " appears " + std::to_string(fault->count) +
                     (fault->count == 1 ? " time" : " times") + ", wanted " + wanted(rule),
                 fault->firstSurplus};
}

std::optional<Break> check(const LevelGrid& grid, const NeighbourRule& rule) {
    const std::optional<NeighbourFault> fault = forbiddenNeighbours(grid, rule.ban);
    if (!fault) return std::nullopt;
    const auto at = [&](Cell cell) {
        return tileName(grid.at(cell.x, cell.y)) + " at " + cellName(cell);
    };
    return Break{at(fault->first) + " is beside " + at(fault->beside) +
                     inAll(fault->pairs, "pairs"),
                 fault->first};
}

std::optional<Break> check(const LevelGrid& grid, const ReachRule& rule) {
    const std::optional<CellFaults> faults = unreachableCells(grid, rule.tiles);
    if (!faults) return std::nullopt;
    // Without any start, say so: every target is then unreachable for the same reason.
    const bool noStart = tileCountOutside(grid, rule.from, 1, std::nullopt).has_value();
    return Break{
        "cell " + cellName(faults->first) + " (" +
            tileName(grid.at(faults->first.x, faults->first.y)) + ") cannot be reached " +
            (noStart ? "as no cell holds " + tileName(rule.from) : "from " + tileName(rule.from)) +
            inAll(faults->count, "cells"),
        faults->first};
}

} // namespace

void checkRules(const LevelGrid& grid, const RuleSet& rules, const std::string& file,
                std::vector<findings::Finding>& out) {
    for (const Rule& rule : rules) {
        const std::optional<Break> found =
            std::visit([&](const auto& kind) { return check(grid, kind); }, rule.kind);
        if (!found) continue;
        findings::Finding finding{file, 0, 0, std::nullopt, rule.id, found->message, rule.help};
        if (found->cell) findings::placeAtCell(finding, found->cell->x, found->cell->y);
        out.push_back(std::move(finding));
    }
}

} // namespace qorv::rules
