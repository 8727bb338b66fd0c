#include "tools/ReviewMarkdown.h"

#include "text/Quoting.h"
#include "tools/FolderDiff.h"
#include "tools/Reporting.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace app {

namespace {

const std::string Title = "## Level review";

// A name in a code span that no backtick in it can end: one more backtick than its longest
// run of them, and spaces where it begins or ends with one.
std::string code(const std::string& name) {
    const std::string text = qorv::text::quoted(name);
    std::size_t longest = 0, run = 0;
    for (const char c : text)
        longest = std::max(longest, run = c == '`' ? run + 1 : 0);
    const std::string fence(longest + 1, '`');
    const bool pad = !text.empty() && (text.front() == '`' || text.back() == '`');
    return fence + (pad ? " " + text + " " : text) + fence;
}

struct Box {
    int left = qorv::GridWidth, top = qorv::GridHeight, right = -1, bottom = -1;
};

template <typename Cells> void widen(Box& box, const Cells& cells) {
    for (const auto& cell : cells) {
        box.left = std::min(box.left, cell.x);
        box.top = std::min(box.top, cell.y);
        box.right = std::max(box.right, cell.x);
        box.bottom = std::max(box.bottom, cell.y);
    }
}

// Around the changed cells, and the conflicts of a level a merge left conflicted.
Box boxAround(const ComparedLevel& level) {
    Box box;
    widen(box, level.cells);
    widen(box, level.beforeConflicts);
    widen(box, level.afterConflicts);
    return box;
}

// The box's tiles as two hexadecimal digits each, a space between cells.
std::string grid(const qorv::LevelGrid& level, const Box& box) {
    std::string text = "```text\n";
    char digits[4];
    for (int y = box.top; y <= box.bottom; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            std::snprintf(digits, sizeof digits, x == box.left ? "%02x" : " %02x", level.at(x, y));
            text += digits;
        }
        text += '\n';
    }
    return text + "```\n\n";
}

std::string cell(int x, int y) {
    return std::to_string(x) + ',' + std::to_string(y);
}

// What a review says of a side a merge left conflicted: drawn as ours, its conflicts framed.
std::string conflictsNote(const ComparedLevel& level) {
    std::string note;
    const std::pair<const char*, std::size_t> sides[] = {{"before", level.beforeConflicts.size()},
                                                         {"after", level.afterConflicts.size()}};
    for (const auto& [side, count] : sides)
        if (count > 0)
            note += "Unresolved merge conflicts " + std::string(side) + ": " + cellCount(count) +
                    ", drawn as ours and framed in " + code(fileName(pictureName(level, side))) +
                    ".\n\n";
    return note;
}

std::string changedHead(const ComparedLevel& level, const Box& box) {
    const auto picture = [&](const char* kind) { return code(fileName(pictureName(level, kind))); };
    return "### " + code(level.relative) + ": " + cellCount(level.cells.size()) + " changed\n\n" +
           conflictsNote(level) + "In the box from " + cell(box.left, box.top) + " to " +
           cell(box.right, box.bottom) + ". Pictures: " + picture("before") + ", " +
           picture("after") + ", " + picture("changes") + ".\n\n";
}

std::string changedBlock(const ComparedLevel& level) {
    const Box box = boxAround(level);
    return changedHead(level, box) + "Before:\n\n" + grid(level.before, box) + "After:\n\n" +
           grid(level.after, box);
}

// A block too long for any comment keeps its head: which level, how many cells, where.
std::string shortenedBlock(const ComparedLevel& level) {
    return changedHead(level, boxAround(level)) +
           "The grids are left out: they would not fit in one comment.\n\n";
}

std::string block(const ComparedLevel& level) {
    switch (level.fate) {
    case LevelFate::Added:
        return "- " + code(level.relative) + ": added\n\n";
    case LevelFate::Removed:
        return "- " + code(level.relative) + ": removed\n\n";
    case LevelFate::Unreadable:
        // The reason in a code span: a level's reader may quote what it read.
        return "- " + code(level.relative) + ": could not be read (" + level.side +
               "): " + code(level.reason) + "\n\n";
    case LevelFate::Changed:
        break;
    }
    return changedBlock(level);
}

std::string summary(const FolderComparison& comparison) {
    int counts[4] = {};
    for (const ComparedLevel& level : comparison.differing)
        ++counts[int(level.fate)];
    const int unreadable = counts[int(LevelFate::Unreadable)];
    return std::to_string(counts[int(LevelFate::Changed)]) + " changed, " +
           std::to_string(counts[int(LevelFate::Added)]) + " added, " +
           std::to_string(counts[int(LevelFate::Removed)]) + " removed, " +
           std::to_string(comparison.unchanged) + " unchanged" +
           (unreadable ? ", " + std::to_string(unreadable) + " could not be read" : "") + ".\n\n";
}

const std::string Legend =
    "Each cell of a grid is its tile as two hexadecimal digits (`00` to `ff`); a box is the "
    "smallest rectangle around the changed cells, from its top left cell to its bottom right "
    "one as column,row, counted from 0,0 at the top left.\n\n";

std::string partHead(std::size_t number, std::size_t count) {
    return Title + ", part " + std::to_string(number) + " of " + std::to_string(count) + "\n\n" +
           Legend;
}

struct Part {
    std::string text;
    std::string first, last; // the names of its first and last level
};

// The blocks packed in order into parts of at most `room` bytes each.
std::vector<Part> packed(const FolderComparison& comparison, std::size_t room) {
    std::vector<Part> parts;
    for (const ComparedLevel& level : comparison.differing) {
        std::string text = block(level);
        if (text.size() > room) text = shortenedBlock(level);
        if (parts.empty() || parts.back().text.size() + text.size() > room)
            parts.push_back({{}, level.relative, {}});
        parts.back().text += text;
        parts.back().last = level.relative;
    }
    return parts;
}

} // namespace

std::string partFileName(std::size_t number) {
    return "review-" + std::to_string(number) + ".md";
}

QString pictureName(const ComparedLevel& level, const char* kind) {
    // A level of a folder below (--recursive) has its picture in the review's folder itself:
    // "/" is written "%2F", and "%" "%25" so that no two names meet.
    QString name = level.name;
    name.replace(u'%', QStringLiteral("%25")).replace(u'/', QStringLiteral("%2F"));
    return name + '.' + QLatin1String(kind) + QStringLiteral(".png");
}

ReviewText reviewMarkdown(const FolderComparison& comparison, std::size_t limit) {
    std::string whole = Title + "\n\n" + summary(comparison) + Legend;
    for (const ComparedLevel& level : comparison.differing)
        whole += block(level);
    if (whole.size() < limit) return {whole, {}};

    // A part's head is the longest when its numbers are: no more parts than levels.
    const std::size_t most = comparison.differing.size();
    const std::vector<Part> parts = packed(comparison, limit - 1 - partHead(most, most).size());
    ReviewText review;
    review.main = Title + "\n\n" + summary(comparison) + "The review is in " +
                  std::to_string(parts.size()) + " parts, one comment each:\n\n";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        review.main += "- " + code(partFileName(i + 1)) + ": " + code(parts[i].first) + " to " +
                       code(parts[i].last) + '\n';
        review.parts.push_back(partHead(i + 1, parts.size()) + parts[i].text);
    }
    return review;
}

} // namespace app
