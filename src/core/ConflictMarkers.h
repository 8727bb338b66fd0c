#pragma once
// Finding what a line merge leaves in a file it could not merge: a conflict between
// "<<<<<<<", "=======" and ">>>>>>>" lines, which no level reader can make sense of.

#include <cstddef>
#include <optional>
#include <string_view>

namespace qorv {

// The bytes of `text` from `start` up to the next line end (LF, CR LF or a lone CR, as a text
// editor and git's line merge count lines), and in `next` where the next line starts.
std::string_view lineAt(std::string_view text, std::size_t start, std::size_t& next);

// The line number (from 1) of the "<<<<<<<" line of the first conflict whose "=======" and
// ">>>>>>>" lines follow it. Lines end at LF, CR LF or a lone CR, as a text editor counts them.
std::optional<int> conflictMarkerLine(std::string_view bytes);

} // namespace qorv
