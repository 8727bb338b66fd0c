#include "tools/ReportPage.h"

#include "core/CharTable.h"

#include <string_view>

namespace app {

namespace {

constexpr std::string_view Head = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>QorvEdit levels</title>
<style>
body { font-family: sans-serif; margin: 1em; color: #111; background: #fff; }
ul.levels { display: flex; flex-wrap: wrap; gap: 16px; list-style: none; padding: 0; }
li.level { width: 176px; border: 1px solid #ccc; padding: 8px; }
li.level img { display: block; image-rendering: pixelated; }
h2 { font-size: 1em; overflow-wrap: anywhere; margin: 0.4em 0; }
.badge { display: inline-block; border-radius: 4px; padding: 0 6px; color: #fff; }
.passes { background: #2e7d32; }
.fails { background: #c62828; }
ul.failures { font-size: small; padding-left: 1em; overflow-wrap: anywhere; }
table { border-collapse: collapse; font-size: small; }
td, th { border: 1px solid #ddd; padding: 0 4px; text-align: right; }
.counts { max-height: 12em; overflow: auto; }
</style>
</head>
<body>
)";

void addCounts(std::string& page, const qorv::TileCounts& counts) {
    page += "<table>\n<tr><th>tile</th><th>cells</th></tr>\n";
    for (std::size_t tile = 0; tile < counts.size(); ++tile)
        if (counts[tile] != 0)
            page += "<tr><td>" + std::to_string(tile) + "</td><td>" + std::to_string(counts[tile]) +
                    "</td></tr>\n";
    page += "</table>\n";
}

// Every tile a level file can hold that no level of the set holds.
std::string unusedTiles(const qorv::TileCounts& totals) {
    std::string unused;
    for (int tile = 0; tile < int(totals.size()); ++tile)
        if (totals[std::size_t(tile)] == 0 && qorv::M2O(qorv::TileIndex(tile)))
            unused += (unused.empty() ? "" : ", ") + std::to_string(tile);
    return unused.empty() ? "none" : unused;
}

void addSet(std::string& page, const std::vector<ReportEntry>& entries) {
    qorv::TileCounts totals{};
    std::size_t failing = 0;
    for (const ReportEntry& entry : entries) {
        if (entry.counts) qorv::addCounts(totals, *entry.counts);
        if (!entry.failures.empty()) ++failing;
    }
    page += "<h1>" + std::to_string(entries.size()) + " levels</h1>\n<section>\n<p>" +
            std::to_string(entries.size() - failing) + " pass, " + std::to_string(failing) +
            " fail.</p>\n<p>Tiles never used: " + unusedTiles(totals) + "</p>\n";
    page += "<div class=\"counts\">\n";
    addCounts(page, totals);
    page += "</div>\n</section>\n";
}

void addBadge(std::string& page, const std::vector<std::string>& failures) {
    if (failures.empty()) {
        page += "<p><span class=\"badge passes\">passes</span></p>\n";
        return;
    }
    page += "<p><span class=\"badge fails\">" + std::to_string(failures.size()) +
            (failures.size() == 1 ? " failure" : " failures") +
            "</span></p>\n<ul class=\"failures\">\n";
    for (const std::string& failure : failures)
        page += "<li>" + htmlEscaped(failure) + "</li>\n";
    page += "</ul>\n";
}

void addEntry(std::string& page, const ReportEntry& entry) {
    const std::string name = htmlEscaped(entry.name);
    page += "<li class=\"level\">\n";
    if (!entry.picture.empty())
        page += "<a href=\"" + htmlEscaped(entry.picture) + "\"><img src=\"" +
                htmlEscaped(entry.thumbnail) + "\" width=\"" +
                std::to_string(entry.thumbnailWidth) + "\" height=\"" +
                std::to_string(entry.thumbnailHeight) + "\" alt=\"" + name + "\"></a>\n";
    page += "<h2>" + name + "</h2>\n";
    addBadge(page, entry.failures);
    if (entry.counts) {
        page += "<div class=\"counts\">\n";
        addCounts(page, *entry.counts);
        page += "</div>\n";
    }
    page += "</li>\n";
}

} // namespace

std::string htmlEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string reportPage(const std::vector<ReportEntry>& entries) {
    std::string page(Head);
    addSet(page, entries);
    page += "<ul class=\"levels\">\n";
    for (const ReportEntry& entry : entries)
        addEntry(page, entry);
    page += "</ul>\n</body>\n</html>\n";
    return page;
}

} // namespace app
