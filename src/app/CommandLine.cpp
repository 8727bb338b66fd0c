#include "app/CommandLine.h"

#include "app/Quoting.h"

#include <QCommandLineParser>
#include <QFile>

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
const QCommandLineOption TilesOption(QStringLiteral("tiles"),
                                     QStringLiteral("The tile sheet for --render and --export "
                                                    "(default: all.bmp in the level's folder)."),
                                     QStringLiteral("SHEET.bmp"));
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
                       "                                        exchange levels with Tiled"));
    parser.addOptions({HelpOption, VersionOption, CheckOption, RenderOption, TilesOption,
                       OutDirOption, ExportOption, ImportOption});
    parser.addPositionalArgument(QStringLiteral("LEVEL"), QStringLiteral("A level file (.qre)."),
                                 QStringLiteral("[LEVEL...]"));
}

Invocation usage(const QString& error) {
    Invocation invocation;
    invocation.mode = Invocation::Mode::Usage;
    invocation.error = error;
    return invocation;
}

// --tiles SHEET.bmp, which must name a file when given.
std::optional<Invocation> takeTiles(const QCommandLineParser& parser, Invocation& invocation) {
    invocation.tiles = parser.value(TilesOption);
    if (parser.isSet(TilesOption) && invocation.tiles.isEmpty())
        return usage(QStringLiteral("--tiles needs a file name."));
    return std::nullopt;
}

Invocation renderMany(const QCommandLineParser& parser, const QStringList& levels) {
    if (levels.isEmpty()) return usage(QStringLiteral("--render --out-dir needs a LEVEL."));
    Invocation invocation;
    invocation.mode = Invocation::Mode::RenderMany;
    invocation.levels = levels;
    invocation.output = parser.value(OutDirOption);
    if (invocation.output.isEmpty()) return usage(QStringLiteral("--out-dir needs a folder."));
    return takeTiles(parser, invocation).value_or(invocation);
}

// --export LEVEL OUT and --import IN OUT, or nothing when neither is asked for.
std::optional<Invocation> parseMapModes(const QCommandLineParser& parser, bool otherMode) {
    const bool exporting = parser.isSet(ExportOption), importing = parser.isSet(ImportOption);
    if (!exporting && !importing) return std::nullopt;
    if (otherMode || (exporting && importing))
        return usage(
            QStringLiteral("--export and --import go alone, without --check or --render."));
    if (parser.isSet(OutDirOption)) return usage(QStringLiteral("--out-dir goes with --render."));
    if (importing && parser.isSet(TilesOption))
        return usage(QStringLiteral("--tiles goes with --render or --export."));
    QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return usage(exporting
                         ? QStringLiteral("--export needs a LEVEL and an OUT.tmx or OUT.tmj.")
                         : QStringLiteral("--import needs an IN.tmx or IN.tmj and an OUT.qre."));
    Invocation invocation;
    invocation.mode = exporting ? Invocation::Mode::Export : Invocation::Mode::Import;
    invocation.output = files.takeLast();
    invocation.levels = files;
    return takeTiles(parser, invocation).value_or(invocation);
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
    if (check && render) return usage(QStringLiteral("--check and --render exclude each other."));
    if (const std::optional<Invocation> maps = parseMapModes(parser, check || render)) return *maps;
    if (parser.isSet(TilesOption) && !render)
        return usage(QStringLiteral("--tiles goes with --render."));
    if (parser.isSet(OutDirOption) && !render)
        return usage(QStringLiteral("--out-dir goes with --render."));

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
        if (parser.isSet(TilesOption) && invocation.tiles.isEmpty())
            return usage(QStringLiteral("--tiles needs a file name."));
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
