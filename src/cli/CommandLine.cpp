#include "cli/CommandLine.h"

#include "cli/CommandLineText.h"
#include "cli/UnknownOption.h"
#include "tools/LevelSet.h"
#include "tools/Reporting.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace app {

namespace {

// --- What goes with what -------------------------------------------------------------------

Invocation usage(const QString& error) {
    Invocation invocation;
    invocation.error = error;
    return invocation;
}

const Accepted* accepted(const CommandMode* mode, Extra extra, const Invocation& invocation) {
    if (!mode) return nullptr;
    for (const Accepted& accepted : mode->extras)
        if (accepted.extra == extra &&
            (accepted.onlyWith == Extra::None || invocation.given(accepted.onlyWith)))
            return &accepted;
    return nullptr;
}

bool accepts(const CommandMode* mode, Extra extra, const Invocation& invocation) {
    return accepted(mode, extra, invocation) != nullptr;
}

// The values the option takes with the mode given (--format: csv or json with --stats).
const Choices& choicesFor(const ExtraOption& option, const Invocation& invocation) {
    const Accepted* with = accepted(invocation.mode, option.extra, invocation);
    return with && !with->choices[0].empty() ? with->choices : option.choices;
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

bool takesValue(const Choices& choices, const QString& value) {
    return choices[0].empty() || std::ranges::find(choices, fileName(value)) != choices.end();
}

// "text, github, gitlab or json"
QString choicesOf(const Choices& options) {
    QStringList choices;
    for (std::string_view choice : options)
        if (!choice.empty()) choices << latin1(choice);
    return listed(choices, QStringLiteral("or"));
}

// "--scale 0: not a whole number from 1 to 450.": the option, the value as messages quote
// names, and what is wrong with it.
QString wrongValue(const QString& option, const QString& value, const QString& reason) {
    return QStringLiteral("%1 %2: %3.").arg(option, quotedName(value), reason);
}

QString checked(const QString& option, ValueCheck check, const QString& value) {
    if (!check) return QString();
    const std::string reason = check(fileName(value));
    return reason.empty() ? QString() : wrongValue(option, value, QString::fromStdString(reason));
}

QString misplacedExtra(const Invocation& invocation) {
    for (const ExtraOption& option : extraOptions())
        if (invocation.given(option.extra) && !accepts(invocation.mode, option.extra, invocation))
            return goesWith(option.extra);
    for (const ExtraOption& option : extraOptions())
        if (invocation.given(option.extra) && !option.valueName.empty() &&
            invocation.value(option.extra).isEmpty())
            return QStringLiteral("%1 needs a %2.")
                .arg(QString::fromStdString(shownName(option.extra)), latin1(option.valueKind));
    for (const ExtraOption& option : extraOptions())
        if (const Choices& choices = choicesFor(option, invocation);
            invocation.given(option.extra) && !takesValue(choices, invocation.value(option.extra)))
            return wrongValue(QString::fromStdString(shownName(option.extra)),
                              invocation.value(option.extra),
                              QStringLiteral("not ") + choicesOf(choices));
    for (const ExtraOption& option : extraOptions())
        if (invocation.given(option.extra))
            if (QString wrong = checked(QString::fromStdString(shownName(option.extra)),
                                        option.check, invocation.value(option.extra));
                !wrong.isEmpty())
                return wrong;
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
    // --dry-run writes nothing back, so it reads standard input as every mode does.
    if (mode.writesBack && !invocation.given(Extra::DryRun) &&
        invocation.files.contains(QStringLiteral("-")))
        return usage(optionOf(mode) + QStringLiteral(" writes each level back: standard input "
                                                     "(-) cannot be one."));
    if (form->lastFileIsOutput)
        invocation.output = invocation.files.takeLast();
    else if (form->needs != Extra::None)
        invocation.output = invocation.value(form->needs);
    // A set of levels is made here, once, for every mode that takes one; LEVEL OUT.png is one
    // level, whatever LEVEL is.
    if (mode.levelSets) {
        invocation.levels = form->maxFiles == AnyNumber
                                ? levelSet(invocation.files, invocation.given(Extra::Recursive))
                                : levelsAsGiven(invocation.files);
        invocation.files = fileNames(invocation.levels);
    }
    decideSheets(invocation);
    return invocation;
}

// The modes given, by their place in the table; one that overrides the others alone.
QList<std::size_t> modesGiven(const QCommandLineParser& parser, const ParserOptions& options) {
    QList<std::size_t> given;
    for (std::size_t i = 0; i < options.modes.size(); ++i) {
        if (!parser.isSet(options.modes[i])) continue;
        if (commandModes()[i].overrides) return {i};
        given << i;
    }
    return given;
}

} // namespace

Invocation parseCommandLine(const QStringList& arguments) {
    if (const QString unknown = unknownOption(arguments); !unknown.isEmpty()) return usage(unknown);
    QCommandLineParser parser;
    const ParserOptions options = describe(parser);
    // The parser's message repeats what was given, which may hold escape sequences.
    if (!parser.parse(arguments)) return usage(quotedName(parser.errorText()));

    const QList<std::size_t> chosen = modesGiven(parser, options);
    if (chosen.size() > 1) return usage(choosingModes() + QStringLiteral(" exclude each other."));
    Invocation invocation;
    if (!chosen.isEmpty()) {
        invocation.mode = &commandModes()[chosen.first()];
        if (invocation.mode->overrides) return invocation;
        if (!invocation.mode->valueName.empty())
            invocation.argument = parser.value(options.modes[chosen.first()]);
        if (QString wrong =
                checked(optionOf(*invocation.mode), invocation.mode->check, invocation.argument);
            !wrong.isEmpty())
            return usage(wrong);
    }
    const std::span<const ExtraOption> extras = extraOptions();
    for (std::size_t i = 0; i < extras.size(); ++i)
        if (parser.isSet(options.extras[i]))
            invocation.extras[std::size_t(extras[i].extra)] = parser.value(options.extras[i]);
    if (const QString error = misplacedExtra(invocation); !error.isEmpty()) return usage(error);
    for (const ExtraOption& option : extras)
        if (option.written != Written::Nothing && invocation.given(option.extra))
            invocation.namedOutputs << NamedOutput{invocation.value(option.extra), option.written};

    invocation.files = parser.positionalArguments();
    if (invocation.mode) return shaped(invocation);
    if (invocation.files.size() > 1)
        return usage(QStringLiteral("The editor opens one LEVEL at a time."));
    return invocation;
}

// Whether an argument that is not text went anywhere but into a set of levels.
bool unspellableOutsideSet(const Invocation& invocation) {
    if (!invocation.mode || !invocation.mode->levelSets) return true;
    QStringList others = {invocation.argument, invocation.output};
    for (const std::optional<QString>& value : invocation.extras)
        others << value.value_or(QString());
    return std::ranges::any_of(others, isUnspellable);
}

Invocation parseCommandLine(const QList<QByteArray>& arguments) {
    QStringList decoded;
    QByteArray unspelled;
    for (const QByteArray& argument : arguments) {
        decoded << QFile::decodeName(argument);
        if (QFile::encodeName(decoded.last()) == argument) continue;
        // A level of a set is told as one that cannot be read, and the others are read.
        if (unspelled.isEmpty()) unspelled = argument;
        decoded.last() = unspellableArgument(argument);
    }
    Invocation invocation = parseCommandLine(decoded);
    if (!unspelled.isEmpty() && unspellableOutsideSet(invocation))
        return usage(QStringLiteral("%1 is not a name this system can spell in text; "
                                    "rename the file.")
                         .arg(quotedName(unspelled)));
    return invocation;
}

} // namespace app
