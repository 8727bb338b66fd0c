// The example levels against the rules file of examples/, and the example maze broken one
// rule at a time: each gives the one finding, with its cell, line, column and words.

#include "rules/RuleCheck.h"
#include "findings/FindingPrinter.h"
#include "levelio/LevelFile.h"
#include "rules/RulesFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qorv::rules {
namespace {

using findings::Finding;

const std::filesystem::path examples = QORV_EXAMPLES_DIR;

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const RuleSet& exampleRules() {
    static const RuleSet rules = parseRules(contentOf(examples / RulesFileName));
    return rules;
}

std::vector<Finding> check(const LevelGrid& level) {
    std::vector<Finding> found;
    checkRules(level, exampleRules(), "maze.qre", found);
    return found;
}

TEST(ExampleRules, EveryExampleLevelKeepsThem) {
    int levels = 0;
    for (const auto& entry : std::filesystem::directory_iterator(examples))
        if (entry.path().extension() == ".qre") {
            EXPECT_EQ(check(parseLevel(contentOf(entry.path()))), std::vector<Finding>{})
                << entry.path();
            ++levels;
        }
    EXPECT_GE(levels, 3);
}

TEST(ExampleRules, TheMazeBrokenOneRuleAtATime) {
    const LevelGrid maze = parseLevel(contentOf(examples / "maze.qre"));
    const auto changed = [&](std::initializer_list<std::tuple<int, int, TileIndex>> cells) {
        LevelGrid level = maze;
        for (const auto& [x, y, tile] : cells)
            level.at(x, y) = tile;
        return level;
    };
    const auto finding = [](int x, int y, const char* rule, const char* message, const char* help) {
        return Finding{"maze.qre", y + 1, x + 1, findings::FindingCell{x, y}, rule, message, help};
    };
    const struct {
        LevelGrid level;
        Finding found;
    } table[] = {
        {changed({{5, 0, 0}}), finding(5, 0, "walled", "border cell 5,0 holds tile 0, not one of 1",
                                       "Every level is walled in: no path leads off the map.")},
        {changed({{4, 2, 7}, {2, 1, 7}}),
         finding(2, 1, "palette", "cell 2,1 holds tile 7, which is not allowed (2 cells in all)",
                 "Only the tiles the game knows.")},
        {changed({{3, 1, 10}}),
         finding(3, 1, "one-start", "tile 10 appears 2 times, wanted at most 1",
                 "A level has one start at the most.")},
        {changed({{3, 1, 244}, {4, 1, 244}}),
         finding(3, 1, "doors-apart", "tile 244 at 3,1 is beside tile 244 at 4,1",
                 "A door stands in a wall, never beside another door.")},
        {changed({{1, 2, 1}}),
         finding(61, 43, "exit-reachable", "cell 61,43 (tile 11) cannot be reached from tile 10",
                 "The exit can be reached from the start, over floor, gems and doors.")},
        {changed({{1, 1, 0}}),
         finding(61, 43, "exit-reachable",
                 "cell 61,43 (tile 11) cannot be reached as no cell holds tile 10",
                 "The exit can be reached from the start, over floor, gems and doors.")},
    };
    for (const auto& row : table) {
        const std::vector<Finding> found = check(row.level);
        EXPECT_EQ(found, std::vector<Finding>{row.found}) << row.found.message;
        // The help is the rule's own copy, not one of each failure's.
        for (const Finding& each : found)
            EXPECT_TRUE(std::ranges::any_of(exampleRules(), [&](const Rule& rule) {
                return each.help.sameCopy(rule.help);
            })) << each.rule;
    }
}

} // namespace
} // namespace qorv::rules
