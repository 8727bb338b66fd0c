#pragma once
// Level files by name: the level text (core/LevelText.h) read and saved through the
// storage library, with the editor's errors.

#include "core/ConflictedLevel.h"
#include "core/LevelGrid.h"
#include "core/LevelText.h"
#include "errors/IoError.h"
#include "storage/BoundedRead.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace qorv {

// The reader looks at no more than this many bytes of a file: lines may be long, but
// a file that has not given 45 lines by then is no level ("Not a level: ...").
inline constexpr std::size_t MaxLevelFileRead = std::size_t{4} << 20;

// A level file refused at a place in its text, so that reports can point at it: 1-based
// line and byte column, the column 0 where only the line is known.
class LevelTextError : public IoError {
  public:
    LevelTextError(IoCode code, TextPosition where) : IoError(code), where_(where) {}
    LevelTextError(IoCode code, const std::string& message, TextPosition where)
        : IoError(code, message), where_(where) {}
    TextPosition where() const { return where_; }

  private:
    TextPosition where_;
};

// A level a merge left with its conflict markers (core/ConflictedLevel.h): to the reader,
// lines shorter than a row ("Read beyond end of file") like any other; `line` is where the
// first conflict opens, and `level` holds both sides and every conflicting cell, for the tools
// that show or resolve the conflicts.
class UnresolvedConflict : public LevelTextError {
  public:
    UnresolvedConflict(int line, std::shared_ptr<const ConflictedLevel> level)
        : LevelTextError(iocode::ReadBeyondEnd, {line, 0}), level_(std::move(level)) {}
    int line() const { return where().line; }
    const ConflictedLevel& level() const { return *level_; }
    const std::shared_ptr<const ConflictedLevel>& shared() const { return level_; }

  private:
    std::shared_ptr<const ConflictedLevel> level_;
};

// A level whose every line end a text conversion rewrote (git's, without the attributes of
// README "Levels in git"). It is refused as any level with short lines is, in words that name
// the conversion, so that every mode and the editor say what happened and where to read on.
class LineEndsConverted : public LevelTextError {
  public:
    explicit LineEndsConverted(const ConvertedLineEnds& found);
};

// Reads the regular file `name` into `grid`, which is left exactly as it was when an
// IoError is thrown.
void loadQRE(const std::string& name, LevelGrid& grid);

// The level in the bytes of a file read to MaxLevelFileRead: IoError "Not a level: ..."
// when that gave no level and the file went on, "Read beyond end of file" when lines are
// missing or short, UnresolvedConflict for a level with conflict markers, and a LevelTextError
// at the place where a file with conflict markers is damaged beyond them.
LevelGrid levelFromFile(const BoundedBytes& read);

// The level in `bytes`, a whole file in memory, with the errors of levelFromFile.
LevelGrid parseLevel(std::string_view bytes);

// The 2,970 bytes of the file for `grid`. Throws EditorError naming the tile and cell when
// a tile has no character.
std::string formatLevel(const LevelGrid& grid);

// Writes `grid` to `name` through the safe replacement (docs/saving.md). Throws IoError,
// or EditorError for an unwritable tile before any file is touched.
void saveQRE(const std::string& name, const LevelGrid& grid);

} // namespace qorv
