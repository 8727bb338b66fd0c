#include "cli/ManPage.h"

#include "cli/CommandLineText.h"
#include "cli/CommandModes.h"

#include <QRegularExpression>

namespace app {

namespace {

// Text for troff: backslashes and hyphens as its escapes, and a line never starts a request.
QString roff(std::string_view text) {
    QString escaped = latin1(text);
    escaped.replace('\\', QStringLiteral("\\e")).replace('-', QStringLiteral("\\-"));
    if (escaped.startsWith('.') || escaped.startsWith('\'')) escaped.prepend(QStringLiteral("\\&"));
    return escaped;
}

QString optionNames(std::string_view letter, std::string_view name, std::string_view value) {
    QString shown = QStringLiteral("\\fB");
    if (!letter.empty()) shown += QStringLiteral("\\-%1\\fR, \\fB").arg(roff(letter));
    shown += QStringLiteral("\\-\\-%1\\fR").arg(roff(name));
    if (!value.empty()) shown += QStringLiteral(" \\fI%1\\fR").arg(roff(value));
    return shown;
}

QString item(const QString& heading, std::string_view description) {
    return QStringLiteral(".TP\n%1\n%2\n").arg(heading, roff(description));
}

QString synopsis() {
    QString lines = QStringLiteral(".B qorvedit\n.RI [ LEVEL ]\n");
    for (const CommandMode& mode : commandModes())
        for (const Form& form : mode.forms) {
            if (form.summary.empty()) continue;
            lines += QStringLiteral(".br\n.B qorvedit\n%1")
                         .arg(optionNames({}, mode.option, mode.valueName));
            if (!form.arguments.empty())
                lines += QStringLiteral(" \\fI%1\\fR").arg(roff(form.arguments));
            lines += roff(optionalExtras(mode, form).toStdString());
            lines += '\n';
        }
    return lines;
}

QString modes() {
    QString items;
    for (const CommandMode& mode : commandModes())
        items += item(optionNames(mode.letter, mode.option, mode.valueName), mode.description);
    return items;
}

QString extras() {
    QString items;
    for (const ExtraOption& extra : extraOptions())
        items += item(optionNames(extra.letter, extra.name, extra.valueName), extra.description);
    return items;
}

} // namespace

QString manPage() {
    return QStringLiteral(".TH QORVEDIT 1 \"\" \"QorvEdit\" \"User Commands\"\n"
                          ".SH NAME\n"
                          "qorvedit \\- a level editor for a tile-based game\n"
                          ".SH SYNOPSIS\n") +
           synopsis() +
           QStringLiteral(".SH DESCRIPTION\n"
                          "Without a mode, qorvedit opens the editor on \\fILEVEL\\fR, or on a "
                          "new level. Each mode below works without a display and writes "
                          "nothing but what it names.\n"
                          ".SH MODES\n") +
           modes() + QStringLiteral(".SH OPTIONS\n") + extras() +
           QStringLiteral(".SH \"EXIT STATUS\"\n"
                          "0 when all went well; 1 when a level failed or levels differ; 2 for "
                          "wrong arguments, which are checked before anything is read. Each "
                          "mode's own statuses are told above.\n"
                          ".SH \"SEE ALSO\"\n"
                          "The README and docs/command-line.md of the QorvEdit sources.\n");
}

namespace {

// The words bash offers for an option's value: its choices, files, folders, or none for a
// number, as its value name says ("DIR": folders, "N": numbers).
QString valueWords(std::string_view valueName, const QStringList& choices) {
    if (!choices.isEmpty()) return QStringLiteral("-W '%1'").arg(choices.join(' '));
    if (valueName.ends_with("DIR")) return QStringLiteral("-d");
    if (valueName.starts_with('N')) return QString();
    return QStringLiteral("-f");
}

void addChoices(QStringList& words, const Choices& choices) {
    for (std::string_view choice : choices)
        if (!choice.empty() && !words.contains(latin1(choice))) words << latin1(choice);
}

struct Valued {
    QStringList names;
    QString words;
};

void addOption(QStringList& options, QList<Valued>& valued, std::string_view letter,
               std::string_view name, std::string_view valueName, const QStringList& choices) {
    QStringList names = {QStringLiteral("--") + latin1(name)};
    if (!letter.empty()) names << QStringLiteral("-") + latin1(letter);
    options += names;
    if (!valueName.empty()) valued << Valued{names, valueWords(valueName, choices)};
}

} // namespace

QString bashCompletion() {
    QStringList options;
    QList<Valued> valued;
    for (const CommandMode& mode : commandModes())
        addOption(options, valued, mode.letter, mode.option, mode.valueName, {});
    // --format's choices are those of every mode together.
    for (const ExtraOption& extra : extraOptions()) {
        QStringList choices;
        addChoices(choices, extra.choices);
        for (const CommandMode& mode : commandModes())
            for (const Accepted& accepted : mode.extras)
                if (accepted.extra == extra.extra) addChoices(choices, accepted.choices);
        addOption(options, valued, extra.letter, extra.name, extra.valueName, choices);
    }
    QString cases;
    for (const Valued& option : valued)
        cases += QStringLiteral("    %1)\n        %2\n        return ;;\n")
                     .arg(option.names.join('|'),
                          option.words.isEmpty()
                              ? QStringLiteral(":")
                              : QStringLiteral("COMPREPLY=($(compgen %1 -- \"$cur\"))")
                                    .arg(option.words));
    return QStringLiteral("# bash completion for qorvedit, made from its table of options.\n"
                          "_qorvedit() {\n"
                          "    local cur=${COMP_WORDS[COMP_CWORD]}\n"
                          "    local prev=${COMP_WORDS[COMP_CWORD-1]}\n"
                          "    COMPREPLY=()\n"
                          "    case $prev in\n") +
           cases +
           QStringLiteral("    esac\n"
                          "    if [[ $cur == -* ]]; then\n"
                          "        COMPREPLY=($(compgen -W '%1' -- \"$cur\"))\n"
                          "    else\n"
                          "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
                          "    fi\n"
                          "}\n"
                          "complete -o filenames -F _qorvedit qorvedit\n")
               .arg(options.join(' '));
}

} // namespace app
