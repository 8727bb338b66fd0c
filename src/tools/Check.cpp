#include "tools/Check.h"

#include "levelio/LevelFile.h"
#include "rules/RuleCheck.h"
#include "rules/RulesFile.h"
#include "rules/RulesFileSearch.h"
#include "text/Message.h"
#include "tools/FindingsReport.h"
#include "tools/InputFile.h"
#include "tools/LevelTools.h"
#include "tools/Progress.h"
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
using RulesFiles = SetRules::Files;

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
            lastRules = rulesNear(search, files, level);
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

// Each conflicting cell of a level a merge left in conflict, at OURS's copy of its row.
void conflictFindings(const SetLevel& level, const LevelFailure& failure,
                      std::vector<Finding>& found) {
    const qorv::ConflictedLevel& conflicted = *failure.conflicted;
    for (const qorv::CellConflict& cell : conflicted.conflicts) {
        Finding finding;
        finding.file = level.path;
        finding.line = conflicted.oursLines[std::size_t(cell.y)];
        finding.column = cell.x + 1;
        finding.cell = qorv::findings::FindingCell{cell.x, cell.y};
        finding.message = "unresolved conflict: ours " + std::to_string(cell.ours) + ", theirs " +
                          std::to_string(cell.theirs);
        found.push_back(std::move(finding));
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
    if (const auto* failure = std::get_if<LevelFailure>(&read)) {
        if (failure->conflicted)
            conflictFindings(level, *failure, found);
        else
            found.push_back(readFailure(level, *failure));
    }
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
    // Each level's failures are reported and let go before the next level is read.
    FindingsReport report(formatOf(invocation), console);
    std::vector<Finding> found;
    Progress progress(console, qsizetype(invocation.levels.size()));
    for (std::size_t i = 0; i < invocation.levels.size(); ++i) {
        const SetLevel& level = invocation.levels[i];
        found.clear();
        checkRead(level, readSetLevel(level), rules->of(i), found);
        for (const Finding& finding : found)
            report.add(finding);
        progress.tick();
    }
    report.end();
    return report.count() == 0 ? 0 : 1;
}

bool checkLevels(const QStringList& levels, Console& console) {
    Invocation invocation;
    invocation.levels = levelSet(levels, false);
    invocation.files = fileNames(invocation.levels);
    return runCheck(invocation, console) == 0;
}

} // namespace app
