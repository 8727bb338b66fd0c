#include "tools/Check.h"

#include "findings/GithubReport.h"
#include "findings/GitlabReport.h"
#include "findings/LineReports.h"
#include "levelio/LevelFile.h"
#include "rules/RuleCheck.h"
#include "rules/RulesFile.h"
#include "rules/RulesFileSearch.h"
#include "storage/AppendFile.h"
#include "text/Message.h"
#include "text/Quoting.h"
#include "tools/InputFile.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"
#include "tools/Usage.h"

#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <vector>

namespace app {

namespace {

using qorv::findings::Finding;
using qorv::rules::RuleSet;

const RuleSet& rulesIn(SetRules::Files& files, const std::string& path) {
    const auto known = files.find(path);
    if (known != files.end()) return known->second;
    try {
        return files.emplace(path, qorv::rules::readRulesFile(path)).first->second;
    } catch (const qorv::rules::RulesError& failure) {
        throw UnusableRules(qorv::text::aboutLine(path, failure.line(), failure.what()));
    } catch (const qorv::EditorError& failure) {
        throw UnusableRules(qorv::text::about(path, failure.what()));
    }
}

// Each level's rules, all found and read before any level is: a rules file that is wrong
// stops the run before it reports anything.
std::vector<const RuleSet*> rulesOfLevels(const Invocation& invocation, SetRules::Files& files) {
    if (invocation.given(Extra::Rules))
        return std::vector<const RuleSet*>(
            std::size_t(invocation.files.size()),
            &rulesIn(files, fileName(invocation.value(Extra::Rules))));
    static const RuleSet none;
    qorv::rules::RulesFileSearch search(qorv::rules::usableRulesFile);
    std::vector<const RuleSet*> rules;
    QStringView lastFolder;
    const RuleSet* lastRules = nullptr;
    for (qsizetype i = 0; i < invocation.files.size(); ++i) {
        const QString& level = invocation.files[i];
        // A level known to be unreadable has no rules to meet, nor a folder to find them in.
        if (std::size_t(i) < invocation.levels.size() &&
            invocation.levels[std::size_t(i)].failure) {
            rules.push_back(&none);
            continue;
        }
        // A folder's levels come one after another: its rules are looked up once, not once
        // a level (--check of 10,000 levels pays for every lookup).
        const QStringView folder = QStringView(level).first(level.lastIndexOf(u'/') + 1);
        if (!lastRules || folder != lastFolder) {
            const auto found = search.find(fileName(QFileInfo(level).path()));
            lastRules = found ? &rulesIn(files, found->string()) : &none;
            lastFolder = folder;
        }
        rules.push_back(lastRules);
    }
    return rules;
}

Finding readFailure(const SetLevel& level, const LevelFailure& failure) {
    Finding finding;
    finding.file = level.path;
    finding.message = failure.reason;
    finding.line = failure.line;
    finding.column = failure.column;
    return finding;
}

enum class Format { Text, Github, Gitlab, Json };

Format formatOf(const Invocation& invocation) {
    if (!invocation.given(Extra::Format)) {
        const char* actions = std::getenv("GITHUB_ACTIONS");
        return actions && std::string_view(actions) == "true" ? Format::Github : Format::Text;
    }
    const QString name = invocation.value(Extra::Format);
    if (name == u"github") return Format::Github;
    if (name == u"gitlab") return Format::Gitlab;
    return name == u"json" ? Format::Json : Format::Text;
}

// GitHub gives each step a summary file of its own, which earlier commands of the step may
// have written to: the table takes what is left of the limit.
void appendStepSummary(const std::vector<Finding>& found) {
    const char* summary = std::getenv("GITHUB_STEP_SUMMARY");
    if (!summary || !*summary) return;
    aboutFile(QFile::decodeName(summary), [&] {
        qorv::appendToFile(summary, [&](std::size_t sizeNow) {
            const std::size_t limit = qorv::findings::GithubSummaryLimit;
            return qorv::findings::githubSummary(found, sizeNow < limit ? limit - sizeNow : 0);
        });
    });
}

void report(const std::vector<Finding>& found, Format format, Console& console) {
    switch (format) {
    case Format::Text:
        for (const Finding& finding : found)
            console.write(qorv::findings::plainLine(finding, qorv::text::quoted(finding.file)));
        return;
    case Format::Json:
        for (const Finding& finding : found)
            console.write(qorv::findings::jsonLine(finding));
        return;
    case Format::Gitlab:
        console.write(qorv::findings::gitlabCodeQuality(found));
        return;
    case Format::Github:
        console.write(qorv::findings::githubAnnotations(found));
        appendStepSummary(found);
        return;
    }
}

} // namespace

SetRules::SetRules(const Invocation& invocation) {
    try {
        of_ = rulesOfLevels(invocation, files_);
    } catch (const std::filesystem::filesystem_error& failure) {
        // The search starts from the working directory, which can be gone.
        throw UnusableRules(qorv::text::about(".", failure.code().message()));
    }
}

void checkRead(const SetLevel& level, const LevelRead& read, const RuleSet& rules,
               std::vector<Finding>& found) {
    if (const auto* failure = std::get_if<LevelFailure>(&read))
        found.push_back(readFailure(level, *failure));
    // Most runs have no rules: nothing more to do for them.
    else if (!rules.empty())
        qorv::rules::checkRules(std::get<qorv::LevelGrid>(read), rules, level.path, found);
}

int runCheck(const Invocation& invocation, Console& console) {
    std::optional<SetRules> rules;
    try {
        rules.emplace(invocation);
    } catch (const UnusableRules& failure) {
        console.complain(std::string_view(failure.what()));
        return UsageStatus;
    }
    std::vector<Finding> found;
    for (std::size_t i = 0; i < invocation.levels.size(); ++i) {
        const SetLevel& level = invocation.levels[i];
        checkRead(level, readSetLevel(level), rules->of(i), found);
    }
    report(found, formatOf(invocation), console);
    return found.empty() ? 0 : 1;
}

bool checkLevels(const QStringList& levels, Console& console) {
    Invocation invocation;
    invocation.levels = levelSet(levels, false);
    invocation.files = fileNames(invocation.levels);
    return runCheck(invocation, console) == 0;
}

} // namespace app
