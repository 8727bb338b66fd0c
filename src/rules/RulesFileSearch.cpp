#include "rules/RulesFileSearch.h"

#include "rules/RulesFile.h"
#include "storage/FolderWalk.h"
#include "text/Message.h"

namespace qorv::rules {

RulesFileSearch::RulesFileSearch(Probe probe) : probe_(std::move(probe)) {}

std::optional<FoundRules> RulesFileSearch::find(const std::filesystem::path& levelFolder) {
    // Levels are named relative to one working directory: the folder as given is the key, so
    // that 10,000 levels of one folder cost one lookup each and no system call.
    const auto known = asked_.find(levelFolder);
    if (known != asked_.end()) return known->second;
    std::filesystem::path folder =
        std::filesystem::absolute(levelFolder.empty() ? "." : levelFolder).lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path()) folder = folder.parent_path();
    return asked_[levelFolder] = findAlong(folder);
}

std::optional<FoundRules> RulesFileSearch::findAlong(const std::filesystem::path& folder) {
    const auto known = searched_.find(folder);
    if (known != searched_.end()) return known->second;
    std::filesystem::path reached = folder.root_path();
    try {
        auto open = std::make_shared<const FileDescriptor>(openRootFolder());
        std::optional<FoundRules> nearest = nearestAt(reached, open, std::nullopt);
        for (const std::filesystem::path& part : folder.relative_path()) {
            if (part.empty()) continue;
            std::optional<FileDescriptor> next =
                openFolderIn(open->get(), part.string(), (reached / part).string());
            if (!next) break; // no such folder: there is nothing below to look in
            reached /= part;
            open = std::make_shared<const FileDescriptor>(std::move(*next));
            nearest = nearestAt(reached, open, nearest);
        }
        return nearest;
    } catch (const EditorError& failure) {
        throw EditorError(text::about(reached.string(), "cannot look for " +
                                                            std::string(RulesFileName) +
                                                            " here: " + failure.what()));
    }
}

std::optional<FoundRules>
RulesFileSearch::nearestAt(const std::filesystem::path& folder,
                           const std::shared_ptr<const FileDescriptor>& open,
                           const std::optional<FoundRules>& above) {
    const auto known = searched_.find(folder);
    if (known != searched_.end()) return known->second;
    const std::filesystem::path candidate = folder / RulesFileName;
    std::optional<FoundRules> nearest = above;
    if (probe_(open->get(), candidate)) nearest = FoundRules{candidate, open};
    return searched_[folder] = nearest;
}

bool usableRulesFile(int folder, const std::filesystem::path& candidate) {
    return trustedEntryExistsIn(folder, std::string(RulesFileName), candidate.string());
}

} // namespace qorv::rules
