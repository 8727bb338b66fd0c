#include "app/CommandLine.h"

#include "app/Console.h"
#include "app/Reporting.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <vector>

namespace app {

namespace {

constexpr qsizetype SynopsisWidth = 40;

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QStringList namesOf(std::string_view letter, std::string_view name) {
    return letter.empty() ? QStringList{latin1(name)} : QStringList{latin1(letter), latin1(name)};
}

QString optionOf(const CommandMode& mode) {
    return QStringLiteral("--") + latin1(mode.option);
}

// "--check, --render, ... and --merge": the modes one chooses between.
QString choosingModes() {
    QStringList names;
    for (const CommandMode& mode : commandModes())
        if (!mode.overrides) names << optionOf(mode);
    return listed(names, QStringLiteral("and"));
}

// --- The help text ------------------------------------------------------------------------

QString synopsis(const QString& usage, std::string_view summary) {
    const QString line = QStringLiteral("  ") + usage;
    if (line.size() < SynopsisWidth) return line.leftJustified(SynopsisWidth) + latin1(summary);
    return line + '\n' + QString(SynopsisWidth, ' ') + latin1(summary);
}

bool isFormOption(const CommandMode& mode, Extra extra) {
    for (const Form& form : mode.forms)
        if (form.needs == extra) return true;
    return false;
}

// " [--png OUT.png] [--tiles SHEET.bmp]": the options a mode may take in any of its forms.
QString optionalExtras(const CommandMode& mode) {
    QString shown;
    for (const Accepted& accepted : mode.extras) {
        if (accepted.extra == Extra::None || isFormOption(mode, accepted.extra)) continue;
        for (const ExtraOption& option : extraOptions())
            if (option.extra == accepted.extra)
                shown += QStringLiteral(" [%1 %2]")
                             .arg(QString::fromStdString(shownName(accepted.extra)),
                                  latin1(option.valueName));
    }
    return shown;
}

QString modesSynopsis() {
    QStringList lines = {
        synopsis(QStringLiteral("qorvedit [LEVEL]"), "edit LEVEL, or a new level")};
    for (const CommandMode& mode : commandModes())
        for (const Form& form : mode.forms) {
            if (form.summary.empty()) continue;
            QString usage = QStringLiteral("qorvedit ") + optionOf(mode);
            if (!form.arguments.empty()) usage += ' ' + latin1(form.arguments);
            lines << synopsis(usage + optionalExtras(mode), form.summary);
        }
    return lines.join('\n');
}

// Qt's own help option would also offer Qt's window-system options, which the headless
// tools do not take; ours come from the tables.
struct Options {
    std::vector<QCommandLineOption> modes;  // in the order of commandModes()
    std::vector<QCommandLineOption> extras; // in the order of extraOptions()
};

Options describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("QorvEdit, a level editor for a tile-based game.\n\n") + modesSynopsis() +
        QStringLiteral("\n\nWrong arguments exit with status 2; 1 means a level failed or levels "
                       "differ."));
    Options options;
    for (const CommandMode& mode : commandModes())
        options.modes.emplace_back(namesOf(mode.letter, mode.option), latin1(mode.description));
    for (const ExtraOption& extra : extraOptions())
        options.extras.emplace_back(namesOf(extra.letter, extra.name), latin1(extra.description),
                                    latin1(extra.valueName));
    for (const auto* list : {&options.modes, &options.extras})
        for (const QCommandLineOption& option : *list)
            parser.addOption(option);
    parser.addPositionalArgument(QStringLiteral("LEVEL"), QStringLiteral("A level file (.qre)."),
                                 QStringLiteral("[LEVEL...]"));
    return options;
}

// --- What goes with what -------------------------------------------------------------------

Invocation usage(const QString& error) {
    Invocation invocation;
    invocation.error = error;
    return invocation;
}

bool accepts(const CommandMode* mode, Extra extra, const Invocation& invocation) {
    if (!mode) return false;
    for (const Accepted& accepted : mode->extras)
        if (accepted.extra == extra &&
            (accepted.onlyWith == Extra::None || invocation.given(accepted.onlyWith)))
            return true;
    return false;
}

// "--tiles goes with --render, --export, --png or --conflicts."
QString goesWith(Extra extra) {
    QStringList places;
    for (const CommandMode& mode : commandModes())
        for (const Accepted& accepted : mode.extras) {
            if (accepted.extra != extra) continue;
            const QString place = accepted.onlyWith == Extra::None
                                      ? optionOf(mode)
                                      : QString::fromStdString(shownName(accepted.onlyWith));
            if (!places.contains(place)) places << place;
        }
    return QStringLiteral("%1 goes with %2.")
        .arg(QString::fromStdString(shownName(extra)), listed(places, QStringLiteral("or")));
}

QString misplacedExtra(const Invocation& invocation) {
    for (const ExtraOption& option : extraOptions())
        if (invocation.given(option.extra) && !accepts(invocation.mode, option.extra, invocation))
            return goesWith(option.extra);
    for (const ExtraOption& option : extraOptions())
        if (invocation.given(option.extra) && invocation.value(option.extra).isEmpty())
            return QStringLiteral("%1 needs a %2.")
                .arg(QString::fromStdString(shownName(option.extra)), latin1(option.valueKind));
    return QString();
}

// The form the options given choose: the one whose option is given, else the plain one.
const Form* formFor(const CommandMode& mode, const Invocation& invocation) {
    const Form* plain = nullptr;
    for (const Form& form : mode.forms) {
        if (form.summary.empty()) continue;
        if (form.needs == Extra::None && !plain) plain = &form;
        if (form.needs != Extra::None && invocation.given(form.needs)) return &form;
    }
    return plain;
}

// "--render takes LEVEL OUT.png, or LEVEL... --out-dir DIR."
QString takes(const CommandMode& mode) {
    QStringList forms;
    for (const Form& form : mode.forms)
        if (!form.summary.empty()) forms << latin1(form.arguments);
    return QStringLiteral("%1 takes %2.").arg(optionOf(mode), forms.join(QStringLiteral(", or ")));
}

bool isDrawn(Drawn drawn, qsizetype file) {
    switch (drawn) {
    case Drawn::EachFile:
        return true;
    case Drawn::FirstFile:
        return file == 0;
    case Drawn::SecondFile:
        return file == 1;
    case Drawn::Nothing:
        break;
    }
    return false;
}

// The default is decided here, once: every handler finds its sheet in the invocation.
void decideSheets(Invocation& invocation) {
    const Drawn drawn = invocation.mode->drawn;
    if (drawn == Drawn::Nothing) return;
    invocation.sheets.resize(invocation.files.size());
    QHash<QString, qorv::TileSheetSearch> byFolder; // a folder of levels is searched once
    for (qsizetype file = 0; file < invocation.files.size(); ++file) {
        if (!isDrawn(drawn, file)) continue;
        const QString folder = QFileInfo(invocation.files[file]).path();
        auto found = byFolder.constFind(folder);
        if (found == byFolder.cend())
            found = byFolder.insert(folder,
                                    qorv::findTileSheet(invocation.value(Extra::Tiles), folder));
        invocation.sheets[file] = *found;
    }
}

// The files and the output of the mode, by its form.
Invocation shaped(Invocation invocation) {
    const CommandMode& mode = *invocation.mode;
    const Form* form = formFor(mode, invocation);
    const qsizetype files = invocation.files.size();
    if (!form || files < form->minFiles || files > form->maxFiles) return usage(takes(mode));
    if (form->lastFileIsOutput)
        invocation.output = invocation.files.takeLast();
    else if (form->needs != Extra::None)
        invocation.output = invocation.value(form->needs);
    decideSheets(invocation);
    return invocation;
}

} // namespace

Invocation parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const Options options = describe(parser);
    // The parser's message repeats what was given, which may hold escape sequences.
    if (!parser.parse(arguments)) return usage(quotedName(parser.errorText()));

    const std::span<const CommandMode> modes = commandModes();
    Invocation invocation;
    for (std::size_t i = 0; i < modes.size(); ++i)
        if (modes[i].overrides && parser.isSet(options.modes[i])) {
            invocation.mode = &modes[i];
            return invocation;
        }
    QList<const CommandMode*> chosen;
    for (std::size_t i = 0; i < modes.size(); ++i)
        if (parser.isSet(options.modes[i])) chosen << &modes[i];
    if (chosen.size() > 1) return usage(choosingModes() + QStringLiteral(" exclude each other."));
    invocation.mode = chosen.value(0, nullptr);
    const std::span<const ExtraOption> extras = extraOptions();
    for (std::size_t i = 0; i < extras.size(); ++i)
        if (parser.isSet(options.extras[i]))
            invocation.extras[std::size_t(extras[i].extra)] = parser.value(options.extras[i]);
    if (const QString error = misplacedExtra(invocation); !error.isEmpty()) return usage(error);

    invocation.files = parser.positionalArguments();
    if (invocation.mode) return shaped(invocation);
    if (invocation.files.size() > 1)
        return usage(QStringLiteral("The editor opens one LEVEL at a time."));
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

QString noDisplayMessage() {
    return QStringLiteral("no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); %1 "
                          "work without one.")
        .arg(choosingModes());
}

int printHelp(const Invocation&, Console& console) {
    console.print(helpText());
    return 0;
}

int printVersion(const Invocation&, Console& console) {
    console.print(versionText());
    return 0;
}

} // namespace app
