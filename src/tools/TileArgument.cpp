#include "tools/TileArgument.h"

namespace app {

namespace {
constexpr std::string_view Blanks = " \t\r";
} // namespace

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

std::vector<std::string_view> splitText(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::optional<int> tileNumber(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text.size() > 3) return std::nullopt;
    int tile = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9') return std::nullopt;
        tile = tile * 10 + (digit - '0');
    }
    return tile <= 255 ? std::optional<int>(tile) : std::nullopt;
}

} // namespace app
