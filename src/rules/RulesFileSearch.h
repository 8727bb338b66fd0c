#pragma once
// Which rules file applies to a level: the nearest qorvedit-rules.toml in the level's folder
// or above it, up to the root of the file system, as editors look for .editorconfig. One
// search serves a whole run: each folder is looked at once, however many levels it holds and
// however many folders below it ask. The folders are walked down from the root through
// descriptors, so a level's path may be longer than PATH_MAX: no folder is skipped because
// its name is too long to give to the kernel whole.

#include "storage/FileDescriptor.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace qorv::rules {

// A rules file found: its path as messages name it, and its folder, held open to read it by.
struct FoundRules {
    std::filesystem::path path;
    std::shared_ptr<const FileDescriptor> folder;
};

class RulesFileSearch {
  public:
    // Whether the entry RulesFileName of the open folder `folder` counts; `candidate` is its
    // path (see usableRulesFile).
    using Probe = std::function<bool(int folder, const std::filesystem::path& candidate)>;

    explicit RulesFileSearch(Probe probe);

    // The rules file for the levels of `levelFolder` (relative to the working directory, or
    // absolute; empty for the working directory itself), named by its absolute path; nothing
    // when there is none. Throws EditorError ("FOLDER: reason") when a folder on the way
    // cannot be looked in, for the rules would then be a guess, and
    // std::filesystem::filesystem_error when the working directory is gone.
    std::optional<FoundRules> find(const std::filesystem::path& levelFolder);

  private:
    std::optional<FoundRules> findAlong(const std::filesystem::path& folder);
    std::optional<FoundRules> nearestAt(const std::filesystem::path& folder,
                                        const std::shared_ptr<const FileDescriptor>& open,
                                        const std::optional<FoundRules>& above);

    Probe probe_;
    std::map<std::filesystem::path, std::optional<FoundRules>> asked_;
    std::map<std::filesystem::path, std::optional<FoundRules>> searched_;
};

// The probe for real folders: anything of that name counts (a link, a folder, a file that
// cannot be read: the reader then says what is wrong, rather than the rules being skipped
// without a word), except a name another account planted in a shared sticky folder such as
// /tmp, which the search passes over. Throws IoError when the folder cannot be looked in.
bool usableRulesFile(int folder, const std::filesystem::path& candidate);

} // namespace qorv::rules
