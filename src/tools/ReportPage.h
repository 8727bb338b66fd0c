#pragma once
// The page of --report: every level of a set with its thumbnail, its failures and its tile
// counts, the set's totals on top. One self-contained HTML5 file: its style inline, no
// script, nothing fetched but the pictures beside it, the same bytes for the same set.

#include "core/TileCounts.h"

#include <optional>
#include <string>
#include <vector>

namespace app {

struct ReportEntry {
    std::string name;      // the level as messages show it: UTF-8 without controls
    std::string picture;   // its full picture's file name beside the page; empty: none
    std::string thumbnail; // its thumbnail, a data: URL
    int thumbnailWidth = 0;
    int thumbnailHeight = 0;
    std::vector<std::string> failures;      // as --check prints them, one line each
    std::optional<qorv::TileCounts> counts; // none when the level could not be read
};

std::string reportPage(const std::vector<ReportEntry>& entries);

// `text` with HTML's five special characters as references.
std::string htmlEscaped(const std::string& text);

} // namespace app
