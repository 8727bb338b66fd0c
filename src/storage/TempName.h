#pragma once
// The names of the temporary files a replacement makes beside its target:
// ".NAME.<12 random letters and digits>.tmp" (docs/saving.md, steps 2 and 4).

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qorv {

// The form of our temporary names for one target, made once for a whole folder's names.
class TempNamePattern {
  public:
    explicit TempNamePattern(const std::string& target);
    // Whether `entry`, a name in the target's folder, has that form.
    bool matches(std::string_view entry) const;
    // The part before the random letters that all temporary names of the target share.
    const std::string& prefix() const { return prefix_; }

  private:
    std::string prefix_;
};

// The shared part of `entry` when it has the form of a temporary name of some target:
// ".NAME." of ".NAME.<12 letters and digits>.tmp"; nothing otherwise.
std::optional<std::string_view> tempNamePrefixOf(std::string_view entry);

// Calls `create(path)` with fresh random temporary paths beside `target` until one
// returns 0, and returns that path. `create` returns an errno: EEXIST tries another
// name, anything else is thrown as the IoError for the target. When every name tried
// was taken, the error says so in words.
std::string createUnderFreshTempName(const std::string& target,
                                     const std::function<int(const std::string& path)>& create);

} // namespace qorv
