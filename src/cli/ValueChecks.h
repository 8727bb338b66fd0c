#pragma once
// The checks the table of modes names for option values (CommandModes.h's ValueCheck): each
// says what is wrong with a value in words that follow it, empty when nothing is.

#include <charconv>
#include <string>
#include <string_view>

namespace app::checks {

// A whole number from 1 to `Most`, written in decimal digits alone.
template <int Most> std::string wholeNumber(std::string_view value) {
    int number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() || number < 1 ||
        number > Most)
        return "not a whole number from 1 to " + std::to_string(Most);
    return {};
}

// Tiles 0 to 255 separated by commas (--find-tile).
std::string tileList(std::string_view value);

// A TABLE of --remap given as OLD=NEW pairs; a TABLE that names a file is read with the levels.
std::string remapTable(std::string_view value);

} // namespace app::checks
