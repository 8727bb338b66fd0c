#pragma once
// One set of levels: what every command about many levels reads. It is made from the
// arguments before anything is read or written: "-" (standard input), files and pipes as
// given, and each folder as its levels by one rule (docs/command-line.md, "Sets of levels"):
// its files whose names end in ".qre" or ".qrl" in any case, hidden ones too, links that lead
// nowhere too (reading them says so), never a FIFO, a socket or a device; with `recursive`
// the same in every folder below, as grep -r walks them. Each level is read once, and one
// that cannot be read is told in the same words by every command.

#include "core/ConflictedLevel.h"
#include "core/LevelGrid.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace app {

// Why a level cannot be read, and where in its text when the reader says.
struct LevelFailure {
    std::string reason; // "unresolved merge conflict at line 11", "File not found"
    int line = 0;       // 1-based; 0: no place
    int column = 0;
    // A level a merge left with conflicting cells between conflict markers: what they hold, for
    // the modes that draw it as OURS with its conflicts framed; every other mode tells the
    // failure.
    std::shared_ptr<const qorv::ConflictedLevel> conflicted = nullptr;
};

using LevelRead = std::variant<qorv::LevelGrid, LevelFailure>;

class StandardInput;

struct SetLevel {
    QString file;         // the name it is read by: "levels/maze.qre", "-"
    std::string path;     // that name as the system spells it, as messages quote it
    std::string relative; // its name below the folder given ("sub/maze.qre"); a file: `path`
    // Known before reading: a name that is not text ("not a name ..."), a folder below that
    // cannot be listed.
    std::optional<std::string> failure;
    std::shared_ptr<StandardInput> input; // "-": read once, however often it is given
};

using LevelSet = std::vector<SetLevel>;

// An argument whose bytes are not text, kept for a set: its bytes behind a NUL, which no
// name holds. Such an argument is a level of its set that cannot be read, reported in its
// bytes, and never passes for another name.
QString unspellableArgument(const QByteArray& bytes);
bool isUnspellable(const QString& argument);

// The levels of `arguments` in their order, a folder's in the byte order of their names below
// it. An argument that is not a folder stays itself, so that reading it says what is wrong.
LevelSet levelSet(const QStringList& arguments, bool recursive);

// Each argument as one level, a folder too (reading it says it is none): LEVEL OUT.png.
LevelSet levelsAsGiven(const QStringList& arguments);

// The levels of the folder by the same rule, named "FOLDER/NAME"; nothing when the folder
// cannot be listed.
std::optional<LevelSet> levelsOfFolder(const QString& folder, bool recursive);

// The names the levels are read by, in order.
QStringList fileNames(const LevelSet& levels);

// The level, or why it cannot be read. Standard input is read at its first level and kept.
LevelRead readSetLevel(const SetLevel& level);

// The level; throws EditorError "NAME: reason" in the words every command uses.
qorv::LevelGrid requireLevel(const SetLevel& level);

// "NAME: reason", NAME quoted as every message quotes it.
std::string aboutLevel(const SetLevel& level, std::string_view reason);

// FOLDER/NAME as plain text: no name means anything to the join (":a.qre" is a level, never
// a resource).
QString namedIn(const QString& folder, const QString& name);

} // namespace app
