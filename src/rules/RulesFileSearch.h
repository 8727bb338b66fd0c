#pragma once
// Which rules file applies to a level: the nearest qorvedit-rules.toml in the level's folder
// or above it, up to the root of the file system, as editors look for .editorconfig. One
// search serves a whole run: each folder is looked at once, however many levels it holds and
// however many folders below it ask.

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

namespace qorv::rules {

class RulesFileSearch {
  public:
    // Whether a rules file at this path counts (see usableRulesFile).
    using Probe = std::function<bool(const std::filesystem::path&)>;

    explicit RulesFileSearch(Probe probe);

    // The rules file for the levels of `levelFolder` (relative to the working directory, or
    // absolute; empty for the working directory itself) as an absolute path; nothing when
    // there is none. Throws std::filesystem::filesystem_error when the working directory is
    // gone.
    std::optional<std::filesystem::path> find(const std::filesystem::path& levelFolder);

  private:
    std::optional<std::filesystem::path> findFrom(const std::filesystem::path& folder);

    Probe probe_;
    std::map<std::filesystem::path, std::optional<std::filesystem::path>> asked_;
    std::map<std::filesystem::path, std::optional<std::filesystem::path>> searched_;
};

// The probe for real folders: anything of that name counts (a link, a folder, a file that
// cannot be read: the reader then says what is wrong, rather than the rules being skipped
// without a word), except a name another account planted in a shared sticky folder such as
// /tmp, which the search passes over.
bool usableRulesFile(const std::filesystem::path& candidate);

} // namespace qorv::rules
