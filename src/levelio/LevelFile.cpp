#include "levelio/LevelFile.h"

#include "core/ConflictMarkers.h"
#include "storage/SafeReplace.h"

namespace qorv {

namespace {

std::string conversionMessage(LineEndConversion conversion) {
    const bool lf = conversion == LineEndConversion::LfForCrLf;
    return std::string("line endings were converted (") + (lf ? "LF" : "CR CR LF") +
           " instead of CR LF), as " + (lf ? "git's text conversion" : "a second text conversion") +
           " does: see README, Levels in git";
}

} // namespace

LineEndsConverted::LineEndsConverted(const ConvertedLineEnds& found)
    : LevelTextError(iocode::ReadBeyondEnd, conversionMessage(found.conversion),
                     found.firstLineEnd) {}

namespace {

// A file with conflict markers whose markers or rows are wrong is no level of either side.
[[noreturn]] void refuseDamage(const DamagedConflict& damaged) {
    switch (damaged.damage) {
    case ConflictDamage::Unclosed:
        throw LevelTextError(iocode::ReadBeyondEnd, "merge conflict without its end",
                             damaged.where);
    case ConflictDamage::StrayMarker:
        throw LevelTextError(iocode::ReadBeyondEnd, "merge conflict marker out of place",
                             damaged.where);
    case ConflictDamage::ShortRow:
    case ConflictDamage::MissingRows:
        break;
    }
    throw LevelTextError(iocode::ReadBeyondEnd, damaged.where);
}

// Only a failed read looks for conflict markers and converted line ends: both make short
// lines. A whole file alone can be one whose line ends were converted.
[[noreturn]] void refuseShortLines(std::string_view bytes, bool fileGoesOn, TextPosition end) {
    auto conflicted = parseConflictedLevel(bytes);
    if (auto* level = std::get_if<ConflictedLevel>(&conflicted))
        throw UnresolvedConflict(conflictMarkerLine(bytes).value_or(0),
                                 std::make_shared<const ConflictedLevel>(std::move(*level)));
    if (const auto* damaged = std::get_if<DamagedConflict>(&conflicted)) refuseDamage(*damaged);
    if (!fileGoesOn)
        if (const std::optional<ConvertedLineEnds> found = convertedLineEnds(bytes))
            throw LineEndsConverted(*found);
    throw LevelTextError(iocode::ReadBeyondEnd, end);
}

void readLevel(std::string_view bytes, bool fileGoesOn, LevelGrid& grid) {
    TextPosition end;
    switch (parseLevelText(bytes, fileGoesOn, grid, &end)) {
    case LevelParse::Complete:
        return;
    case LevelParse::CutShort:
        throw IoError(iocode::NotALevel);
    case LevelParse::LinesMissing:
        refuseShortLines(bytes, fileGoesOn, end);
    }
}

} // namespace

void loadQRE(const std::string& name, LevelGrid& grid) {
    const BoundedBytes read = readBounded(name, {.limit = MaxLevelFileRead});
    readLevel(read.bytes, read.longer, grid);
}

LevelGrid levelFromFile(const BoundedBytes& read) {
    LevelGrid grid;
    readLevel(read.bytes, read.longer, grid);
    return grid;
}

LevelGrid parseLevel(std::string_view bytes) {
    LevelGrid grid;
    readLevel(bytes, false, grid);
    return grid;
}

std::string formatLevel(const LevelGrid& grid) {
    auto text = formatLevelText(grid);
    if (const auto* cell = std::get_if<UnwritableCell>(&text))
        throw EditorError("Tile " + std::to_string(cell->tile) + " at column " +
                          std::to_string(cell->x) + ", row " + std::to_string(cell->y) +
                          " has no character in the level file format");
    return std::move(std::get<std::string>(text));
}

void saveQRE(const std::string& name, const LevelGrid& grid) {
    replaceFileContent(name, formatLevel(grid));
}

} // namespace qorv
