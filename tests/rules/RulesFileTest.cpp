// The rules file: the shape teams share, and every way a file is refused, with its line.

#include "rules/RulesFile.h"

#include <gtest/gtest.h>

#include <string>

namespace qorv::rules {
namespace {

constexpr const char* SharedShape = R"([[rule]]
id = "walled"                  # printed as the rule in every format
help = "Every level is walled in."
border = [1]                   # every border cell is one of these tiles
[[rule]]
id = "one-start"
count = { tile = 2, min = 1, max = 1 }
[[rule]]
id = "no-lava-by-water"
forbidden-neighbours = [[3, 4]]
[[rule]]
id = "exit-reachable"
reachable = { from = 2, to = [5], through = [0, 2, 5] }
[[rule]]
id = "palette"
tiles-allowed = [0, 1, 2, 3, 4, 5]   # or tiles-forbidden = [...]
)";

std::string repeated(const std::string& part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

// `count` rules with ids r0, r1, ..., three lines each.
std::string numberedRules(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "[[rule]]\nid = 'r" + std::to_string(i) + "'\nborder = [1]\n";
    return text;
}

NeighbourRule banned(TileIndex a, TileIndex b) {
    NeighbourRule rule;
    rule.ban.forbid(a, b);
    return rule;
}

TEST(RulesFile, ReadsEachKindOfRule) {
    const struct {
        std::string text;
        RuleSet rules;
    } table[] = {
        {SharedShape,
         {{"walled", "Every level is walled in.", 1, BorderRule{TileSet{1}}},
          {"one-start", "", 5, CountRule{2, 1, 1}},
          {"no-lava-by-water", "", 8, banned(3, 4)},
          {"exit-reachable", "", 11, ReachRule{2, FloodTiles(2, TileSet{5}, TileSet{0, 2, 5})}},
          {"palette", "", 14, TilesRule{TileSet{0, 1, 2, 3, 4, 5}.complement(), true}}}},
        {"", {}},
        {"[[rule]]\nid = 'x.y_z'\ntiles-forbidden = [7, 255]\n",
         {{"x.y_z", "", 1, TilesRule{TileSet{7, 255}, false}}}},
        {"\n[[rule]]\ncount = { max = 0, tile = 9 }\nid = \"none\"\n",
         {{"none", "", 2, CountRule{9, std::nullopt, 0}}}},
        // Dots and brackets in strings and comments are neither keys nor values.
        {"[[rule]] # a.b.c.d.e.f.g.h.i [[[[[[[[[\nid = 'h'\nhelp = \"\"\"a.b.c.d.e.f.g.h.i \\\n"
         "[[[[[[[[[ \\\"\"\"\"\"\nborder = [1]\n",
         {{"h", "a.b.c.d.e.f.g.h.i [[[[[[[[[ \"\"", 1, BorderRule{TileSet{1}}}}},
        {"[[rule]]\nid = \"a.b.c.d.e.f.g.h.i\"\ncount = {tile = 2, max = 2880}\n",
         {{"a.b.c.d.e.f.g.h.i", "", 1, CountRule{2, std::nullopt, 2880}}}},
        {"[[rule]]\nid = '" + std::string(64, 'i') + "'\nborder = [1]\nhelp = '" +
             std::string(4096, 'h') + "'\n",
         {{std::string(64, 'i'), std::string(4096, 'h'), 1, BorderRule{TileSet{1}}}}},
    };
    for (const auto& row : table)
        EXPECT_EQ(parseRules(row.text), row.rules) << row.text;
    EXPECT_EQ(parseRules(numberedRules(1000)).size(), 1000u);
}

TEST(RulesFile, RefusesAFileNamingTheLine) {
    const std::string rule = "[[rule]]\nid = \"a\"\n";
    const struct {
        std::string text;
        int line;
        std::string message;
    } table[] = {
        {"rules = 1\n", 1, "unknown key \"rules\" in the file (it holds [[rule]] tables)"},
        {"[rule]\nid = \"a\"\n", 1, "rule must be [[rule]] tables"},
        {rule + "bordr = [1]\n", 3, "unknown key \"bordr\" in a rule"},
        {rule + "\"\\u001b[2J\" = 1\n", 3, "unknown key with characters no bare key has in a rule"},
        {"[[rule]]\nborder = [1]\n", 1, "rule without an id"},
        {rule + "border = [1]\n" + rule + "border = [1]\n", 4,
         "id \"a\" is used before, at line 1"},
        {"[[rule]]\nid = \"a b\"\n", 2,
         "id must be 1 to 64 letters, digits, '-', '_' or '.', as in \"one-start\""},
        {"[[rule]]\nid = '" + std::string(65, 'i') + "'\n", 2,
         "id must be 1 to 64 letters, digits, '-', '_' or '.', as in \"one-start\""},
        {rule + "help = \"a\\u001b[2Jb\"\nborder = [1]\n", 3, "help holds a control character"},
        {rule + "help = \"\\u202Eevil\"\nborder = [1]\n", 3, "help holds a control character"},
        {rule + "help = \"h\"\n", 1,
         "rule \"a\" has no kind: border, count, forbidden-neighbours, reachable, tiles-allowed "
         "or tiles-forbidden"},
        {rule + "border = [1]\ncount = { tile = 2, max = 1 }\n", 4,
         "a rule has one kind, this one has \"border\" and \"count\""},
        {rule + "border = [1,\n  256]\n", 4, "tile 256 in border is outside 0..255"},
        {rule + "border = [\"1\"]\n", 3, "border takes tile numbers 0..255"},
        {rule + "border = []\n", 3, "border names no tile"},
        {rule + "count = { tile = -1, max = 1 }\n", 3, "tile -1 in count's tile is outside 0..255"},
        {rule + "count = { tile = 2 }\n", 3, "count needs \"min\", \"max\" or both"},
        {rule + "count = { tile = 2, min = 2, max = 1 }\n", 3, "count's min is above its max"},
        {rule + "count = { tile = 2, max = 2881 }\n", 3, "count's max must be a number 0..2880"},
        {rule + "count = { tile = 2, maxi = 1 }\n", 3, "unknown key \"maxi\" in count"},
        {rule + "count = [2]\n", 3, "count takes a table, as in { tile = 2, min = 1, max = 1 }"},
        {rule + "forbidden-neighbours = [[3, 4, 5]]\n", 3,
         "forbidden-neighbours takes pairs of tiles, as in [[3, 4]]"},
        {rule + "reachable = { from = 2, to = [5] }\n", 3, "reachable needs \"through\""},
        // Bounds checked before the TOML reader, which recurses once a key part.
        {rule + "\n[a" + repeated(".a", 200'000) + "]\n", 4, "a key of more than 8 dotted parts"},
        {rule + "a . b.c.d.e.f.g.'h.i' = 1\n", 3, "unknown key \"a\" in a rule"},
        {rule + "border = [1]\nx = { a.a.a.a.a.a.a = 1, b.b.b.b.b.b.b.b.b = 2 }", 4,
         "a key of more than 8 dotted parts"},
        {rule + "x = " + repeated("[", 8) + repeated("]", 8) + "\n", 3,
         "unknown key \"x\" in a rule"},
        {rule + "x = " + repeated("[", 9) + repeated("]", 9) + "\n", 3,
         "values nested more than 8 deep"},
        {rule + "help = \"" + std::string(4097, 'h') + "\"\nborder = [1]\n", 3,
         "help is longer than 4096 bytes"},
        {numberedRules(1001), 3001, "more than 1000 rules"},
    };
    for (const auto& row : table) {
        try {
            parseRules(row.text);
            ADD_FAILURE() << "accepted: " << row.text;
        } catch (const RulesError& error) {
            EXPECT_EQ(error.line(), row.line) << row.text;
            EXPECT_EQ(error.what(), row.message) << row.text;
        }
    }
}

TEST(RulesFile, RefusesTomlThatDoesNotParseWithTheParsersLineAndNoControls) {
    const struct {
        std::string text;
        int line;
    } table[] = {
        {"[[rule]]\nid = \"a\"\nborder = [1\n", 3},
        {"[[rule]]\nid = \"a\"\n\xE2\x80\xAE = 1\n", 3}, // a bare U+202E
        {"[[rule]]\nid = \"a\"\nhelp = \"\xFF\"\n", 3},
    };
    for (const auto& row : table) {
        try {
            parseRules(row.text);
            ADD_FAILURE() << "accepted: " << row.text;
        } catch (const RulesError& error) {
            EXPECT_EQ(error.line(), row.line) << error.what();
            EXPECT_EQ(std::string(error.what()).find("\xE2\x80\xAE"), std::string::npos);
        }
    }
}

} // namespace
} // namespace qorv::rules
