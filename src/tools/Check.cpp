#include "tools/Check.h"

#include "levelio/LevelFile.h"
#include "rules/RuleCheck.h"
#include "rules/RulesFile.h"
#include "rules/RulesFileSearch.h"
#include "text/Message.h"
#include "tools/FindingsReport.h"
#include "tools/InputFile.h"
#include "tools/LevelTools.h"
#include "tools/Reporting.h"
#include "tools/Usage.h"

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

// The rules files of a run, each read once however many levels it governs.
using RulesFiles = std::map<std::string, RuleSet>;

template <typename Read>
const RuleSet& rulesIn(RulesFiles& files, const std::string& path, Read read) {
    const auto known = files.find(path);
    if (known != files.end()) return known->second;
    try {
        return files.emplace(path, read()).first->second;
    } catch (const qorv::rules::RulesError& failure) {
        throw UnusableRules(qorv::text::aboutLine(path, failure.line(), failure.what()));
    } catch (const qorv::EditorError& failure) {
        throw UnusableRules(qorv::text::about(path, failure.what()));
    }
}

// The rules of the nearest rules file above the level; none when there is none. A folder
// that cannot be looked in fails the check: rules from further up would be a guess.
const RuleSet* rulesNear(qorv::rules::RulesFileSearch& search, RulesFiles& files,
                         const QString& level) {
    static const RuleSet none;
    std::optional<qorv::rules::FoundRules> found;
    try {
        found = search.find(fileName(QFileInfo(level).path()));
    } catch (const qorv::EditorError& failure) {
        throw UnusableRules(failure.what());
    }
    if (!found) return &none;
    const std::string path = found->path.string();
    return &rulesIn(files, path,
                    [&] { return qorv::rules::readRulesFileIn(found->folder->get(), path); });
}

// Each level's rules, all found and read before any level is: a rules file that is wrong
// stops the run before it reports anything.
std::vector<const RuleSet*> rulesOfLevels(const Invocation& invocation, RulesFiles& files) {
    if (invocation.given(Extra::Rules)) {
        const std::string named = fileName(invocation.value(Extra::Rules));
        return std::vector<const RuleSet*>(
            std::size_t(invocation.files.size()),
            &rulesIn(files, named, [&] { return qorv::rules::readRulesFile(named); }));
    }
    qorv::rules::RulesFileSearch search(qorv::rules::usableRulesFile);
    std::vector<const RuleSet*> rules;
    QStringView lastFolder;
    for (const QString& level : invocation.files) {
        // A folder's levels come one after another: its rules are looked up once, not once
        // a level (--check of 10,000 levels pays for every lookup).
        const QStringView folder = QStringView(level).first(level.lastIndexOf(u'/') + 1);
        if (rules.empty() || folder != lastFolder) {
            rules.push_back(rulesNear(search, files, level));
            lastFolder = folder;
        } else {
            rules.push_back(rules.back());
        }
    }
    return rules;
}

Finding readFailure(const QString& level, const qorv::EditorError& failure) {
    Finding finding;
    finding.file = fileName(level);
    finding.message = levelFailure(level, failure);
    if (const auto* at = dynamic_cast<const qorv::LevelTextError*>(&failure)) {
        finding.line = at->where().line;
        finding.column = at->where().column;
    }
    return finding;
}

void checkLevel(const QString& level, const RuleSet& rules, std::vector<Finding>& found) {
    try {
        const qorv::LevelGrid grid = qorv::levelFromFile(readInput(level, qorv::MaxLevelFileRead));
        // Most runs have no rules: a level's name is spelled out only for a failure to carry.
        if (!rules.empty()) qorv::rules::checkRules(grid, rules, fileName(level), found);
    } catch (const qorv::EditorError& failure) {
        found.push_back(readFailure(level, failure));
    }
}

FindingsFormat formatOf(const Invocation& invocation) {
    if (!invocation.given(Extra::Format)) {
        const char* actions = std::getenv("GITHUB_ACTIONS");
        return actions && std::string_view(actions) == "true" ? FindingsFormat::Github
                                                              : FindingsFormat::Text;
    }
    const QString name = invocation.value(Extra::Format);
    if (name == u"github") return FindingsFormat::Github;
    if (name == u"gitlab") return FindingsFormat::Gitlab;
    return name == u"json" ? FindingsFormat::Json : FindingsFormat::Text;
}

} // namespace

int runCheck(const Invocation& invocation, Console& console) {
    RulesFiles files;
    std::vector<const RuleSet*> rules;
    try {
        rules = rulesOfLevels(invocation, files);
    } catch (const UnusableRules& failure) {
        console.complain(std::string_view(failure.what()));
        return UsageStatus;
    } catch (const std::filesystem::filesystem_error& failure) {
        // The search starts from the working directory, which can be gone.
        console.complain(qorv::text::about(".", failure.code().message()));
        return UsageStatus;
    }
    // Each level's failures are reported and let go before the next level is read.
    FindingsReport report(formatOf(invocation), console);
    std::vector<Finding> found;
    for (qsizetype i = 0; i < invocation.files.size(); ++i) {
        found.clear();
        checkLevel(invocation.files[i], *rules[std::size_t(i)], found);
        for (const Finding& finding : found)
            report.add(finding);
    }
    report.end();
    return report.count() == 0 ? 0 : 1;
}

std::vector<std::vector<Finding>> failuresOfEach(const QStringList& levels) {
    Invocation invocation;
    invocation.files = levels;
    RulesFiles files;
    std::vector<const RuleSet*> rules;
    try {
        rules = rulesOfLevels(invocation, files);
    } catch (const std::filesystem::filesystem_error& failure) {
        throw UnusableRules(qorv::text::about(".", failure.code().message()));
    }
    std::vector<std::vector<Finding>> found(rules.size());
    for (std::size_t i = 0; i < rules.size(); ++i)
        checkLevel(levels[qsizetype(i)], *rules[i], found[i]);
    return found;
}

bool checkLevels(const QStringList& levels, Console& console) {
    Invocation invocation;
    invocation.files = levels;
    return runCheck(invocation, console) == 0;
}

} // namespace app
