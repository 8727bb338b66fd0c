#include "cli/CommandLineText.h"

#include "cli/CommandLine.h"
#include "tools/Reporting.h"

namespace app {

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString optionOf(const CommandMode& mode) {
    return QStringLiteral("--") + latin1(mode.option);
}

QString choosingModes() {
    QStringList names;
    for (const CommandMode& mode : commandModes())
        if (!mode.overrides) names << optionOf(mode);
    return listed(names, QStringLiteral("and"));
}

namespace {

constexpr qsizetype SynopsisWidth = 40;

QStringList namesOf(std::string_view letter, std::string_view name) {
    return letter.empty() ? QStringList{latin1(name)} : QStringList{latin1(letter), latin1(name)};
}

// "--png OUT.png", or "--dry-run" for a switch.
QString withValue(const QString& option, std::string_view valueName) {
    return valueName.empty() ? option : option + ' ' + latin1(valueName);
}

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

QString modesSynopsis() {
    QStringList lines = {
        synopsis(QStringLiteral("qorvedit [LEVEL]"), "edit LEVEL, or a new level")};
    for (const CommandMode& mode : commandModes())
        for (const Form& form : mode.forms) {
            if (form.summary.empty()) continue;
            QString usage = QStringLiteral("qorvedit ") + withValue(optionOf(mode), mode.valueName);
            if (!form.arguments.empty()) usage += ' ' + latin1(form.arguments);
            lines << synopsis(usage + optionalExtras(mode, form), form.summary);
        }
    return lines.join('\n');
}

} // namespace

QString optionalExtras(const CommandMode& mode, const Form& form) {
    QString shown;
    for (const Accepted& accepted : mode.extras) {
        if (accepted.extra == Extra::None || isFormOption(mode, accepted.extra)) continue;
        // An option that goes only with another form's option is not one of this form's.
        if (accepted.onlyWith != Extra::None && isFormOption(mode, accepted.onlyWith) &&
            accepted.onlyWith != form.needs)
            continue;
        for (const ExtraOption& option : extraOptions())
            if (option.extra == accepted.extra)
                shown += QStringLiteral(" [%1]").arg(
                    withValue(QString::fromStdString(shownName(accepted.extra)), option.valueName));
    }
    return shown;
}

// Qt's own help option would also offer Qt's window-system options, which the headless
// tools do not take; ours come from the tables.
ParserOptions describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("QorvEdit, a level editor for a tile-based game.\n\n") + modesSynopsis() +
        QStringLiteral("\n\nWrong arguments exit with status 2; 1 means a level failed or levels "
                       "differ."));
    ParserOptions options;
    for (const CommandMode& mode : commandModes())
        options.modes.emplace_back(namesOf(mode.letter, mode.option), latin1(mode.description),
                                   latin1(mode.valueName));
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

QString noDisplayMessage(const QString& why) {
    return QStringLiteral("no display found (%1); %2 work without one.").arg(why, choosingModes());
}

} // namespace app
