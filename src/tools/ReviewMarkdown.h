#pragma once
// The review of a change to a folder of levels as Markdown, the body of a pull request's
// comment: for each changed level its name, how many cells changed and the box around them
// as text grids before and after; one line for a level added or removed. A comment holds
// fewer than 65,536 characters, so a longer review is cut into parts between levels.

#include "tools/FolderComparison.h"

#include <string>
#include <vector>

namespace app {

// Every text written is shorter than this, in bytes (and so in characters).
inline constexpr std::size_t CommentLimit = 65536;

struct ReviewText {
    std::string main;               // review.md: the whole review, or what the parts hold
    std::vector<std::string> parts; // review-1.md, ...; none when `main` holds it all
};

// The names of the files of a review.
std::string partFileName(std::size_t number); // "review-2.md" for the second part
inline constexpr char MainFileName[] = "review.md";

// The picture of a changed level, "maze.qre.changes.png" for `kind` "changes".
QString pictureName(const ComparedLevel& level, const char* kind);

ReviewText reviewMarkdown(const FolderComparison& comparison, std::size_t limit = CommentLimit);

} // namespace app
