#include "app/CommandLine.h"

#include "app/Quoting.h"

#include <QCommandLineParser>
#include <QFile>

#include <algorithm>
#include <optional>

namespace app {

namespace {

const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Show this help and exit."));
const QCommandLineOption VersionOption({QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("Show the version and exit."));
const QCommandLineOption CheckOption(
    QStringLiteral("check"),
    QStringLiteral("Read each LEVEL and print one line for each that fails; exit status 1 when "
                   "any fails. Writes nothing."));
const QCommandLineOption
    RenderOption(QStringLiteral("render"),
                 QStringLiteral("Draw LEVEL into OUT.png (640x450) as the editor shows it."));
const QCommandLineOption TilesOption(
    QStringLiteral("tiles"),
    QStringLiteral("The tile sheet for --render, --export, --png and --conflicts (default: "
                   "all.bmp in the folder of the level drawn)."),
    QStringLiteral("SHEET.bmp"));
const QCommandLineOption DiffOption(
    QStringLiteral("diff"),
    QStringLiteral("Print one line \"X,Y: OLD -> NEW\" per cell whose tile differs from A to B. "
                   "Exit status 0: the same, 1: different, 2: trouble."));
const QCommandLineOption
    PngOption(QStringLiteral("png"),
              QStringLiteral("With --diff: also draw B with the changed cells framed."),
              QStringLiteral("OUT.png"));
const QCommandLineOption TextConvOption(
    QStringLiteral("textconv"),
    QStringLiteral("Print LEVEL as one line \"X,Y: TILE\" per cell, for git's textconv."));
const QCommandLineOption MergeOption(
    QStringLiteral("merge"),
    QStringLiteral("Merge the changes OURS and THEIRS made to BASE cell by cell into OUT; a cell "
                   "both changed differently keeps OURS's tile and is printed as \"X,Y: base B, "
                   "ours O, theirs T\". An empty BASE: no common ancestor. Exit status 0: "
                   "merged, 1: conflicts, 2: trouble."));
const QCommandLineOption OutputOption({QStringLiteral("o"), QStringLiteral("output")},
                                      QStringLiteral("With --merge: the level to write."),
                                      QStringLiteral("OUT"));
const QCommandLineOption ConflictsOption(
    QStringLiteral("conflicts"),
    QStringLiteral("With --merge: also draw OURS with the conflicting cells framed."),
    QStringLiteral("PNG"));
const QCommandLineOption OutDirOption(
    QStringLiteral("out-dir"),
    QStringLiteral("With --render: draw every LEVEL into DIR/NAME.png, NAME being the level's "
                   "file name without its extension."),
    QStringLiteral("DIR"));
const QCommandLineOption
    ExportOption(QStringLiteral("export"),
                 QStringLiteral("Write LEVEL as a Tiled map: OUT.tmx (TMX) or OUT.tmj (JSON)."));
const QCommandLineOption ImportOption(
    QStringLiteral("import"),
    QStringLiteral("Read a Tiled map, IN.tmx or IN.tmj, into the level file OUT.qre."));

// Qt's own help option would also offer Qt's window-system options, which the headless
// tools do not take; ours are declared by hand.
void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("QorvEdit, a level editor for a tile-based game.\n\n"
                       "  qorvedit [LEVEL]                      edit LEVEL, or a new level\n"
                       "  qorvedit --check LEVEL...             check levels without a display\n"
                       "  qorvedit --render LEVEL OUT.png [--tiles SHEET.bmp]\n"
                       "                                        draw a level without a display\n"
                       "  qorvedit --render LEVEL... --out-dir DIR [--tiles SHEET.bmp]\n"
                       "                                        draw many levels into DIR\n"
                       "  qorvedit --export LEVEL OUT.tmx|OUT.tmj [--tiles SHEET.bmp]\n"
                       "  qorvedit --import IN.tmx|IN.tmj OUT.qre\n"
                       "                                        exchange levels with Tiled\n"
                       "  qorvedit --diff A B [--png OUT.png]   the cells that differ\n"
                       "  qorvedit --textconv LEVEL             a level as text, for git diff\n"
                       "  qorvedit --merge BASE OURS THEIRS -o OUT [--conflicts PNG]\n"
                       "                                        merge levels, for git merge\n\n"
                       "Wrong arguments exit with status 2; 1 means a level failed or levels "
                       "differ."));
    parser.addOptions({HelpOption, VersionOption, CheckOption, RenderOption, TilesOption,
                       OutDirOption, ExportOption, ImportOption, DiffOption, PngOption,
                       TextConvOption, MergeOption, OutputOption, ConflictsOption});
    parser.addPositionalArgument(QStringLiteral("LEVEL"), QStringLiteral("A level file (.qre)."),
                                 QStringLiteral("[LEVEL...]"));
}

Invocation usage(const QString& error) {
    Invocation invocation;
    invocation.mode = Invocation::Mode::Usage;
    invocation.error = error;
    return invocation;
}

Invocation renderMany(const QCommandLineParser& parser, const QStringList& levels) {
    if (levels.isEmpty()) return usage(QStringLiteral("--render --out-dir needs a LEVEL."));
    Invocation invocation;
    invocation.mode = Invocation::Mode::RenderMany;
    invocation.levels = levels;
    invocation.output = parser.value(OutDirOption);
    if (invocation.output.isEmpty()) return usage(QStringLiteral("--out-dir needs a folder."));
    invocation.tiles = parser.value(TilesOption);
    return invocation;
}

// --export LEVEL OUT and --import IN OUT, once misplacedOption found nothing wrong; nothing
// when neither is asked for.
std::optional<Invocation> parseMapModes(const QCommandLineParser& parser) {
    const bool exporting = parser.isSet(ExportOption), importing = parser.isSet(ImportOption);
    if (!exporting && !importing) return std::nullopt;
    QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return usage(exporting
                         ? QStringLiteral("--export needs a LEVEL and an OUT.tmx or OUT.tmj.")
                         : QStringLiteral("--import needs an IN.tmx or IN.tmj and an OUT.qre."));
    Invocation invocation;
    invocation.mode = exporting ? Invocation::Mode::Export : Invocation::Mode::Import;
    invocation.output = files.takeLast();
    invocation.levels = files;
    invocation.tiles = parser.value(TilesOption);
    return invocation;
}

// An option given without the mode it belongs to, or two modes at once.
QString misplacedOption(const QCommandLineParser& parser) {
    const QCommandLineOption* modes[] = {&CheckOption,  &RenderOption, &ExportOption,
                                         &ImportOption, &DiffOption,   &TextConvOption,
                                         &MergeOption};
    if (std::count_if(std::begin(modes), std::end(modes),
                      [&](const auto* mode) { return parser.isSet(*mode); }) > 1)
        return QStringLiteral("--check, --render, --export, --import, --diff, --textconv and "
                              "--merge exclude each other.");
    const struct {
        const QCommandLineOption& option;
        bool allowed;
        const char* message;
    } pairs[] = {
        {PngOption, parser.isSet(DiffOption), "--png goes with --diff."},
        {OutputOption, parser.isSet(MergeOption), "-o goes with --merge."},
        {ConflictsOption, parser.isSet(MergeOption), "--conflicts goes with --merge."},
        {TilesOption,
         parser.isSet(RenderOption) || parser.isSet(ExportOption) || parser.isSet(PngOption) ||
             parser.isSet(ConflictsOption),
         "--tiles goes with --render, --export, --png or --conflicts."},
        {OutDirOption, parser.isSet(RenderOption), "--out-dir goes with --render."},
    };
    for (const auto& pair : pairs)
        if (parser.isSet(pair.option) && !pair.allowed) return QString::fromLatin1(pair.message);
    for (const QCommandLineOption* named :
         {&PngOption, &OutputOption, &ConflictsOption, &TilesOption, &OutDirOption})
        if (parser.isSet(*named) && parser.value(*named).isEmpty())
            return QStringLiteral("--%1 needs a %2.")
                .arg(named->names().last(), named == &OutDirOption ? QStringLiteral("folder")
                                                                   : QStringLiteral("file name"));
    return QString();
}

// --diff, --textconv and --merge, once misplacedOption found nothing wrong; nothing for the
// other modes.
std::optional<Invocation> levelComparison(const QCommandLineParser& parser, Invocation invocation) {
    using Mode = Invocation::Mode;
    const struct {
        const QCommandLineOption& option;
        Mode mode;
        qsizetype files;
        const char* message;
    } modes[] = {
        {DiffOption, Mode::Diff, 2, "--diff needs two levels, A and B."},
        {TextConvOption, Mode::TextConv, 1, "--textconv needs one LEVEL."},
        {MergeOption, Mode::Merge, 3, "--merge needs BASE, OURS and THEIRS, and -o OUT."},
    };
    for (const auto& mode : modes) {
        if (!parser.isSet(mode.option)) continue;
        if (invocation.levels.size() != mode.files ||
            (mode.mode == Mode::Merge && !parser.isSet(OutputOption)))
            return usage(QString::fromLatin1(mode.message));
        invocation.mode = mode.mode;
        invocation.output = parser.value(OutputOption);
        invocation.picture = parser.value(mode.mode == Mode::Diff ? PngOption : ConflictsOption);
        invocation.tiles = parser.value(TilesOption);
        return invocation;
    }
    return std::nullopt;
}

} // namespace

Invocation parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    describe(parser);
    // The parser's message repeats what was given, which may hold escape sequences.
    if (!parser.parse(arguments)) return usage(quotedName(parser.errorText()));

    Invocation invocation;
    if (parser.isSet(HelpOption)) {
        invocation.mode = Invocation::Mode::Help;
        return invocation;
    }
    if (parser.isSet(VersionOption)) {
        invocation.mode = Invocation::Mode::Version;
        return invocation;
    }
    invocation.levels = parser.positionalArguments();
    const bool check = parser.isSet(CheckOption);
    const bool render = parser.isSet(RenderOption);
    if (const QString error = misplacedOption(parser); !error.isEmpty()) return usage(error);
    if (const std::optional<Invocation> compare = levelComparison(parser, invocation))
        return *compare;
    if (const std::optional<Invocation> maps = parseMapModes(parser)) return *maps;

    if (check) {
        if (invocation.levels.isEmpty()) return usage(QStringLiteral("--check needs a LEVEL."));
        invocation.mode = Invocation::Mode::Check;
    } else if (render && parser.isSet(OutDirOption)) {
        return renderMany(parser, invocation.levels);
    } else if (render) {
        if (invocation.levels.size() != 2)
            return usage(QStringLiteral("--render needs a LEVEL and an OUT.png."));
        invocation.mode = Invocation::Mode::Render;
        invocation.output = invocation.levels.takeLast();
        invocation.tiles = parser.value(TilesOption);
    } else if (invocation.levels.size() > 1) {
        return usage(QStringLiteral("The editor opens one LEVEL at a time."));
    }
    return invocation;
}

Invocation parseCommandLine(const QList<QByteArray>& arguments) {
    QStringList decoded;
    for (const QByteArray& argument : arguments) {
        decoded << QFile::decodeName(argument);
        if (QFile::encodeName(decoded.last()) != argument)
            return usage(QStringLiteral("%1 is not a name this system can spell in text; "
                                        "rename the file.")
                             .arg(quotedName(argument)));
    }
    return parseCommandLine(decoded);
}

QString helpText() {
    QCommandLineParser parser;
    describe(parser);
    // Without an application object the parser cannot know the program's name.
    return parser.helpText().replace(QStringLiteral("<executable_name>"),
                                     QStringLiteral("qorvedit"));
}

QString versionText() {
    return QStringLiteral("QorvEdit " QORV_VERSION "\n");
}

} // namespace app
