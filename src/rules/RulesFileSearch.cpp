#include "rules/RulesFileSearch.h"

#include "rules/RulesFile.h"
#include "storage/PlantedEntry.h"

namespace qorv::rules {

RulesFileSearch::RulesFileSearch(Probe probe) : probe_(std::move(probe)) {}

std::optional<std::filesystem::path>
RulesFileSearch::find(const std::filesystem::path& levelFolder) {
    // Levels are named relative to one working directory: the folder as given is the key, so
    // that 10,000 levels of one folder cost one lookup each and no system call.
    const auto known = asked_.find(levelFolder);
    if (known != asked_.end()) return known->second;
    std::filesystem::path folder =
        std::filesystem::absolute(levelFolder.empty() ? "." : levelFolder).lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path()) folder = folder.parent_path();
    return asked_[levelFolder] = findFrom(folder);
}

std::optional<std::filesystem::path>
RulesFileSearch::findFrom(const std::filesystem::path& folder) {
    const auto known = searched_.find(folder);
    if (known != searched_.end()) return known->second;
    std::optional<std::filesystem::path> found;
    const std::filesystem::path candidate = folder / RulesFileName;
    if (probe_(candidate))
        found = candidate;
    else if (folder != folder.parent_path())
        found = findFrom(folder.parent_path());
    return searched_[folder] = found;
}

bool usableRulesFile(const std::filesystem::path& candidate) {
    return trustedEntryExists(candidate.string());
}

} // namespace qorv::rules
