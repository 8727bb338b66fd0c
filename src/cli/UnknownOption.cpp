#include "cli/UnknownOption.h"

#include "cli/CommandLineText.h"
#include "cli/CommandModes.h"
#include "tools/Reporting.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace app {

namespace {

struct Known {
    std::string_view letter;
    std::string_view name;
    bool takesValue;
};

std::vector<Known> knownOptions() {
    std::vector<Known> known;
    for (const CommandMode& mode : commandModes())
        known.push_back({mode.letter, mode.option, !mode.valueName.empty()});
    for (const ExtraOption& extra : extraOptions())
        known.push_back({extra.letter, extra.name, !extra.valueName.empty()});
    return known;
}

// The optimal string alignment distance: insertions, deletions, changes and swaps of two
// neighbours, the slips of typing.
qsizetype distance(const QString& a, const QString& b) {
    std::vector<std::vector<qsizetype>> d(std::size_t(a.size() + 1),
                                          std::vector<qsizetype>(std::size_t(b.size() + 1)));
    for (qsizetype i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (qsizetype j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i)
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[std::size_t(a.size())][std::size_t(b.size())];
}

// The known long option nearest to `word`, when it is near enough to be a slip of typing.
QString nearest(const QString& word, const std::vector<Known>& known) {
    QString best;
    qsizetype bestDistance = std::max<qsizetype>(2, word.size() / 3) + 1;
    for (const Known& option : known) {
        const qsizetype d = distance(word, latin1(option.name));
        if (d < bestDistance) {
            bestDistance = d;
            best = QStringLiteral("--") + latin1(option.name);
        }
    }
    return best;
}

QString unknown(const QString& argument, const std::vector<Known>& known) {
    const QString word = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const QString suggestion = nearest(word.section('=', 0, 0), known);
    return QStringLiteral("unknown option %1%2")
        .arg(quotedName(argument), suggestion.isEmpty()
                                       ? QStringLiteral(".")
                                       : QStringLiteral("; did you mean %1?").arg(suggestion));
}

// "--name" or "--name=value": whether the next argument is its value; nothing when no option
// has the name.
std::optional<bool> longOption(const QString& argument, const std::vector<Known>& known) {
    const QString name = argument.mid(2).section('=', 0, 0);
    const auto found = std::ranges::find_if(
        known, [&](const Known& option) { return latin1(option.name) == name; });
    if (found == known.end()) return std::nullopt;
    return found->takesValue && !argument.contains('=');
}

// "-h", "-hv" or "-oOUT": letters of switches, the last one's value in the same argument or
// the next; nothing when a letter is no option's.
std::optional<bool> letters(const QString& argument, const std::vector<Known>& known) {
    for (qsizetype at = 1; at < argument.size(); ++at) {
        const auto found = std::ranges::find_if(known, [&](const Known& option) {
            return !option.letter.empty() && latin1(option.letter) == argument[at];
        });
        if (found == known.end()) return std::nullopt;
        if (found->takesValue) return at + 1 == argument.size();
    }
    return false;
}

} // namespace

QString unknownOption(const QStringList& arguments) {
    const std::vector<Known> known = knownOptions();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--") break;
        if (!argument.startsWith('-') || argument.size() == 1) continue; // a file, or "-"
        const std::optional<bool> valueFollows = argument.startsWith(QStringLiteral("--"))
                                                     ? longOption(argument, known)
                                                     : letters(argument, known);
        if (!valueFollows) return unknown(argument, known);
        if (*valueFollows) ++i;
    }
    return QString();
}

} // namespace app
