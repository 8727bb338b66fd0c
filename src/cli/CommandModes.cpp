#include "cli/CommandModes.h"

#include "cli/Help.h"
#include "cli/ValueChecks.h"
#include "cli/Version.h"
#include "tools/Check.h"
#include "tools/Diff.h"
#include "tools/Export.h"
#include "tools/FindTile.h"
#include "tools/GitSetup.h"
#include "tools/Import.h"
#include "tools/Merge.h"
#include "tools/Remap.h"
#include "tools/Render.h"
#include "tools/Report.h"
#include "tools/Resolve.h"
#include "tools/Review.h"
#include "tools/Sheet.h"
#include "tools/Stats.h"
#include "tools/TextConv.h"

#include <algorithm>

namespace app {

namespace {

constexpr ExtraOption Extras[] = {
    {Extra::Tiles, "", "tiles", "SHEET.bmp",
     "The tile sheet to draw with (default: all.bmp beside the level drawn, else in the working "
     "directory, else the one installed with qorvedit).",
     "file name"},
    {Extra::OutDir, "", "out-dir", "DIR",
     "With --render: draw every LEVEL into DIR/NAME.png, NAME being the level's file name "
     "without its extension.",
     "folder"},
    {Extra::Png, "", "png", "OUT.png", "With --diff: also draw B with the changed cells framed.",
     "file name", Written::Picture},
    {Extra::Output, "o", "output", "OUT",
     "With --merge: the level to write; with --review: the folder to write into.", "file name",
     Written::Level},
    {Extra::Conflicts, "", "conflicts", "PNG",
     "With --merge: also draw OURS with the conflicting cells framed.", "file name",
     Written::Picture},
    {Extra::Rules, "", "rules", "FILE",
     "With --check: the team's rules every LEVEL is checked against (default: the nearest "
     "qorvedit-rules.toml in the level's folder or above it).",
     "file name"},
    {Extra::Format,
     "",
     "format",
     "FORMAT",
     "With --check: text, github (workflow commands, and the step summary when "
     "GITHUB_STEP_SUMMARY is set), gitlab (a Code Quality report) or json (one object a line). "
     "Default: github when GITHUB_ACTIONS is true, else text. With --stats: csv (the default) "
     "or json (one document).",
     "format",
     Written::Nothing,
     {"text", "github", "gitlab", "json"}},
    {Extra::DryRun, "", "dry-run", "",
     "With --remap: print the cells that would change, as --diff prints them, and write nothing.",
     ""},
    {Extra::Columns,
     "",
     "columns",
     "N",
     "With --sheet: the levels in a row (default: the square root of their count, rounded up).",
     "number",
     Written::Nothing,
     {},
     checks::wholeNumber<MostSheetColumns>},
    {Extra::Scale,
     "",
     "scale",
     "N",
     "With --sheet: each level N times smaller than --render draws it, every Nth pixel of "
     "every Nth row (default: 4).",
     "number",
     Written::Nothing,
     {},
     checks::wholeNumber<MostSheetScale>},
    {Extra::Path, "", "path", "PATH",
     "With --merge: the level's name in the lines of conflicts, git's %P (default: OURS).",
     "file name"},
    {Extra::Quiet, "q", "quiet", "",
     "No progress line: where standard error is a terminal, the modes that draw, check or "
     "remap more than a few hundred levels show how far they are on one line, erased at the end.",
     ""},
    {Extra::Global, "", "global", "",
     "With --git-setup: your own git configuration and attributes file, for every repository, "
     "rather than the clone's.",
     ""},
    {Extra::Recursive, "r", "recursive", "",
     "With a set of levels (--check, --render --out-dir, --sheet, --report, --stats, "
     "--find-tile, --remap, and folders to --diff and --review): a folder's levels in every "
     "folder below it too, as grep -r finds files.",
     ""},
};
static_assert(std::size(Extras) == ExtraCount - 1, "every extra but None has its option");

constexpr CommandMode Modes[] = {
    {.option = "check",
     .description = "Read each LEVEL (a folder: its *.qre and *.qrl), check it against the team's "
                    "rules, and print one line for each failure, as FILE:LINE:COL: message where "
                    "it has a place; exit status 1 when any fails. Writes nothing but "
                    "GITHUB_STEP_SUMMARY.",
     .forms = {{{"LEVEL...", "check levels without a display", 1, AnyNumber}}},
     .extras = {{{Extra::Rules}, {Extra::Format}, {Extra::Quiet}, {Extra::Recursive}}},
     .run = runCheck,
     .failed = 1,
     .lostOutput = 1,
     .levelSets = true},
    {.option = "render",
     .description = "Draw LEVEL into OUT.png (640x450) as the editor shows it; OUT - writes a PNG "
                    "to standard output.",
     .forms = {{{"LEVEL OUT.png", "draw a level without a display", 2, 2, true},
                {"LEVEL... --out-dir DIR", "draw many levels into DIR", 1, AnyNumber, false,
                 Extra::OutDir}}},
     .extras =
         {{{Extra::Tiles}, {Extra::OutDir}, {Extra::Quiet}, {Extra::Recursive, Extra::OutDir}}},
     .drawn = Drawn::EachFile,
     .run = runRender,
     .failed = 1,
     .lostOutput = 1,
     .levelSets = true},
    {.option = "sheet",
     .valueName = "OUT.png",
     .description = "Draw every LEVEL (a folder: its *.qre and *.qrl) smaller, its name under "
                    "it, on one picture OUT.png, in a grid.",
     .forms = {{{"LEVEL...", "a contact sheet of levels", 1, AnyNumber}}},
     .extras =
         {{{Extra::Columns}, {Extra::Scale}, {Extra::Tiles}, {Extra::Quiet}, {Extra::Recursive}}},
     .drawn = Drawn::EachFile,
     .run = runSheet,
     .failed = 1,
     .lostOutput = 1,
     .levelSets = true},
    {.option = "report",
     .valueName = "DIR",
     .description = "Write DIR/index.html, a web page of every LEVEL (a folder: its *.qre and "
                    "*.qrl) with its picture, its --check failures and its tile counts, and the "
                    "set's totals; the pictures beside it.",
     .forms = {{{"LEVEL...", "a web page of levels", 1, AnyNumber}}},
     .extras = {{{Extra::Tiles}, {Extra::Quiet}, {Extra::Recursive}}},
     .drawn = Drawn::EachFile,
     .run = runReport,
     .failed = 1,
     .lostOutput = 1,
     .levelSets = true},
    {.option = "export",
     .description = "Write LEVEL as a Tiled map: OUT.tmx (TMX) or OUT.tmj (JSON).",
     .forms = {{{"LEVEL OUT.tmx|OUT.tmj", "a level as a map of Tiled", 2, 2, true}}},
     .extras = {{{Extra::Tiles}}},
     .drawn = Drawn::FirstFile,
     .run = runExport,
     .failed = 1,
     .lostOutput = 1},
    {.option = "import",
     .description = "Read a Tiled map, IN.tmx or IN.tmj, into the level file OUT.qre; OUT - "
                    "writes the level to standard output.",
     .forms = {{{"IN.tmx|IN.tmj OUT.qre", "a map of Tiled as a level", 2, 2, true}}},
     .run = runImport,
     .failed = 1,
     .lostOutput = 1},
    {.option = "diff",
     .description = "Print one line \"X,Y: OLD -> NEW\" per cell whose tile differs from A to B; "
                    "for two folders, one line per level added, removed or changed, then how "
                    "many are unchanged. Exit status 0: the same, 1: different, 2: trouble.",
     .forms = {{{"A B", "the cells that differ", 2, 2}}},
     .extras = {{{Extra::Png}, {Extra::Tiles, Extra::Png}, {Extra::Recursive}}},
     .drawn = Drawn::SecondFile,
     .run = runDiff,
     .failed = 2,
     .lostOutput = 2},
    // git stops every diff at a textconv that fails: a level that cannot be read is told in
    // --check's line on standard output instead, and the diff goes on.
    {.option = "textconv",
     .description = "Print LEVEL as one line \"X,Y: TILE\" per cell, for git's textconv; a "
                    "LEVEL that cannot be read is one line saying why, with exit status 0.",
     .forms = {{{"LEVEL", "a level as text, for git diff", 1, 1}}},
     .run = runTextConv,
     .failed = 0,
     .lostOutput = 2},
    {.option = "merge",
     .description = "Merge the changes OURS and THEIRS made to BASE cell by cell into OUT; the "
                    "rows of cells both changed differently are left between conflict markers "
                    "(with the base's rows under git's merge.conflictStyle diff3) and each such "
                    "cell printed as \"PATH:LINE:COL: conflict: base B, ours O, theirs T\". An "
                    "empty BASE: no common ancestor. Exit status 0: merged, 1: conflicts, 2: "
                    "trouble.",
     .forms = {{{"BASE OURS THEIRS -o OUT", "merge levels, for git merge", 3, 3, false,
                 Extra::Output}}},
     .extras =
         {{{Extra::Output}, {Extra::Conflicts}, {Extra::Tiles, Extra::Conflicts}, {Extra::Path}}},
     .drawn = Drawn::SecondFile,
     .run = runMerge,
     .failed = 2,
     .lostOutput = 2},
    {.option = "stats",
     .description = "Count the tiles of each LEVEL (a folder: its *.qre and *.qrl files): a row "
                    "per level (or why it cannot be read), a column per tile used or unused, the "
                    "totals, and the tiles of the sheet no level uses. Exit status 1 when a level "
                    "cannot be read.",
     .forms = {{{"LEVEL...", "tile counts of a set of levels", 1, AnyNumber}}},
     .extras = {{{Extra::Format, Extra::None, {"csv", "json"}},
                 {Extra::Tiles},
                 {Extra::Recursive}}},
     .drawn = Drawn::EachFile,
     .run = runStats,
     .failed = 1,
     .lostOutput = 1,
     .levelSets = true},
    {.option = "find-tile",
     .valueName = "N[,M...]",
     .description = "Print every cell of each LEVEL (a folder: its levels) that holds one of the "
                    "tiles, as FILE:LINE:COL: tile N. Exit status 0: found, 1: not found, 2: "
                    "trouble.",
     .forms = {{{"LEVEL...", "the cells that hold a tile", 1, AnyNumber}}},
     .extras = {{{Extra::Recursive}}},
     .run = runFindTile,
     .failed = 2,
     .lostOutput = 2,
     .levelSets = true,
     .check = checks::tileList},
    {.option = "remap",
     .valueName = "TABLE",
     .description = "Replace tiles in each LEVEL (a folder: its levels) by the TABLE "
                    "OLD=NEW[,OLD=NEW...], or a file of OLD NEW lines, all at once; a level that "
                    "changes is saved safely, the others are not touched. Exit status 1 when a "
                    "level fails, 2 for a wrong TABLE (nothing is written).",
     .forms = {{{"LEVEL...", "replace tiles in a set of levels", 1, AnyNumber}}},
     .extras = {{{Extra::DryRun}, {Extra::Quiet}, {Extra::Recursive}}},
     .run = runRemap,
     .failed = 1,
     .lostOutput = 1,
     .levelSets = true,
     .check = checks::remapTable,
     .writesBack = true},
    {.option = "resolve",
     .valueName = "ours|theirs|base",
     .description = "Resolve each LEVEL a merge left with conflict markers: every conflicting "
                    "cell from that side, every other change of both sides kept, saved safely; "
                    "a level without conflicts is not touched. Exit status 1 when a level "
                    "fails.",
     .forms = {{{"LEVEL...", "resolve conflicted levels, for scripts", 1, AnyNumber}}},
     .run = runResolve,
     .failed = 1,
     .lostOutput = 1,
     .writesBack = true},
    {.option = "review",
     .description = "Compare the levels of the folders OLD and NEW by name and write into the "
                    "folder DIR review.md, Markdown for a pull request's comment (review-1.md, ... "
                    "when too long for one), and NAME.before.png, NAME.after.png and "
                    "NAME.changes.png per changed level. Exit status 0: written, 1: a level could "
                    "not be read (the rest is reviewed), 2: trouble.",
     .forms = {{{"OLD NEW -o DIR", "a review of changed levels", 2, 2, false, Extra::Output}}},
     .extras = {{{Extra::Output}, {Extra::Tiles}, {Extra::Quiet}, {Extra::Recursive}}},
     .run = runReview,
     .failed = 2,
     .lostOutput = 2},
    {.option = "git-setup",
     .description = "Set up the git clone in the working directory for levels, once per clone: "
                    "QorvEdit's diff and merge drivers in its git configuration, and in its "
                    ".gitattributes the lines that give levels to them and keep git's text "
                    "conversion off them, each only where missing.",
     .forms = {{{"", "set a git clone up for levels", 0, 0}}},
     .extras = {{{Extra::Global}}},
     .run = runGitSetup,
     .failed = 1,
     .lostOutput = 1},
    {.option = "help",
     .letter = "h",
     .description = "Show this help and exit.",
     .forms = {{{"", "this help", 0, AnyNumber}}},
     .run = printHelp,
     .failed = 1,
     .lostOutput = 1,
     .overrides = true},
    {.option = "version",
     .letter = "v",
     .description = "Show the version and exit.",
     .forms = {{{"", "the version", 0, AnyNumber}}},
     .run = printVersion,
     .failed = 1,
     .lostOutput = 1,
     .overrides = true},
};

constexpr bool everyModeIsComplete() {
    return std::ranges::all_of(Modes, [](const CommandMode& mode) {
        return !mode.option.empty() && !mode.forms[0].summary.empty() && !mode.description.empty();
    });
}
static_assert(everyModeIsComplete(), "every mode has its option and its lines of --help");

} // namespace

std::span<const CommandMode> commandModes() {
    return Modes;
}

std::span<const ExtraOption> extraOptions() {
    return Extras;
}

std::string shownName(Extra extra) {
    const auto found = std::ranges::find(Extras, extra, &ExtraOption::extra);
    if (found == std::end(Extras)) return {};
    return found->letter.empty() ? "--" + std::string(found->name)
                                 : "-" + std::string(found->letter);
}

} // namespace app
