#pragma once
// The bounds a rules file is held to before the TOML reader sees it. The reader recurses once
// for each part of a dotted key and each nested value, so 200,000 key parts in a file under
// the size limit would overflow the stack; a team's file needs three parts and two levels.

#include <string_view>

namespace qorv::rules {

// The most parts of one key ("rule.count.tile" has three) and the deepest nesting of arrays
// and inline tables in a value ([[3, 4]] nests two).
inline constexpr int MaxKeyParts = 8;
inline constexpr int MaxNesting = 8;

// Throws RulesError, at the line where a bound is first passed, for a key of more parts or a
// value nested deeper. Strings and comments are passed over as TOML reads them; what is not
// TOML is left for the reader to refuse.
void checkBounds(std::string_view text);

} // namespace qorv::rules
