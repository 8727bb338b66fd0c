#include "core/ConflictMarkers.h"

#include <algorithm>

namespace qorv {

namespace {

constexpr std::string_view Markers[] = {"<<<<<<<", "=======", ">>>>>>>"};

} // namespace

std::string_view lineAt(std::string_view text, std::size_t start, std::size_t& next) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    next = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++next;
    return text.substr(start, end - start);
}

std::optional<int> conflictMarkerLine(std::string_view bytes) {
    // Every conflict has its middle marker: one fast search settles the usual short level
    // without cutting it into lines.
    if (bytes.find(Markers[1]) == std::string_view::npos) return std::nullopt;
    std::size_t expected = 0; // the index of the marker the conflict needs next
    int opening = 0;
    int line = 1;
    for (std::size_t start = 0, next = 0; start < bytes.size(); start = next, ++line) {
        const std::string_view text = lineAt(bytes, start, next);
        if (text.starts_with(Markers[0])) {
            expected = 1; // a later opening marker starts the conflict afresh
            opening = line;
        } else if (expected > 0 && text.starts_with(Markers[expected])) {
            if (++expected == std::size(Markers)) return opening;
        }
    }
    return std::nullopt;
}

} // namespace qorv
