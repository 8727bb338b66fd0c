#include "rules/RulesFile.h"

#include "rules/RulesBounds.h"
#include "storage/BoundedRead.h"
#include "storage/FolderWalk.h"
#include "text/Characters.h"

// Only the parser is used; without the formatters the header compiles in half the time.
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include <algorithm>
#include <map>
#include <vector>

namespace qorv::rules {

namespace {

using Entry = std::pair<const toml::key*, const toml::node*>;

[[noreturn]] void refuse(int line, const std::string& message) {
    throw RulesError(line, message);
}

int lineOf(const toml::node& node) {
    return static_cast<int>(node.source().begin.line);
}
int lineOf(const toml::key& key) {
    return static_cast<int>(key.source().begin.line);
}

// A table's entries in the file's order (toml++ keeps them sorted by name), so that of two
// faults the first in the file is the one reported.
std::vector<Entry> inFileOrder(const toml::table& table) {
    std::vector<Entry> entries;
    for (const auto& [key, node] : table)
        entries.emplace_back(&key, &node);
    std::ranges::sort(entries, [](const Entry& a, const Entry& b) {
        return a.first->source().begin < b.first->source().begin;
    });
    return entries;
}

bool isBareKeyCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

// A key as the messages show it: a bare key as it is written; a quoted key may hold anything.
std::string shownKey(const toml::key& key) {
    const bool bare = !key.str().empty() && std::ranges::all_of(key.str(), isBareKeyCharacter);
    return bare ? "\"" + std::string(key.str()) + "\"" : "with characters no bare key has";
}

void refuseUnknownKeys(const toml::table& table, std::initializer_list<std::string_view> known,
                       std::string_view where) {
    for (const auto& [key, node] : inFileOrder(table))
        if (std::ranges::find(known, key->str()) == known.end())
            refuse(lineOf(*key), "unknown key " + shownKey(*key) + " in " + std::string(where));
}

const toml::node& required(const toml::table& table, std::string_view key, std::string_view where) {
    const toml::node* node = table.get(key);
    if (!node) refuse(lineOf(table), std::string(where) + " needs \"" + std::string(key) + "\"");
    return *node;
}

TileIndex tileOf(const toml::node& node, std::string_view where) {
    const auto* number = node.as_integer();
    if (!number) refuse(lineOf(node), std::string(where) + " takes tile numbers 0..255");
    const std::int64_t tile = number->get();
    if (tile < 0 || tile > 255)
        refuse(lineOf(node),
               "tile " + std::to_string(tile) + " in " + std::string(where) + " is outside 0..255");
    return static_cast<TileIndex>(tile);
}

const toml::array& nonEmptyList(const toml::node& node, std::string_view where) {
    const auto* list = node.as_array();
    if (!list) refuse(lineOf(node), std::string(where) + " takes a list, as in [1, 2]");
    if (list->empty()) refuse(lineOf(node), std::string(where) + " names no tile");
    return *list;
}

TileSet tileList(const toml::node& node, std::string_view where) {
    TileSet tiles;
    for (const toml::node& element : nonEmptyList(node, where))
        tiles.insert(tileOf(element, where));
    return tiles;
}

const toml::table& inlineTable(const toml::node& node, std::string_view where,
                               std::string_view example) {
    const auto* table = node.as_table();
    if (!table)
        refuse(lineOf(node), std::string(where) + " takes a table, as in " + std::string(example));
    return *table;
}

std::optional<int> countBound(const toml::table& count, std::string_view key) {
    const toml::node* node = count.get(key);
    if (!node) return std::nullopt;
    const auto* number = node->as_integer();
    if (!number || number->get() < 0 || number->get() > GridCells)
        refuse(lineOf(*node),
               "count's " + std::string(key) + " must be a number 0.." + std::to_string(GridCells));
    return static_cast<int>(number->get());
}

CountRule countRule(const toml::node& node) {
    const toml::table& count = inlineTable(node, "count", "{ tile = 2, min = 1, max = 1 }");
    refuseUnknownKeys(count, {"tile", "min", "max"}, "count");
    CountRule rule{tileOf(required(count, "tile", "count"), "count's tile"),
                   countBound(count, "min"), countBound(count, "max")};
    if (!rule.min && !rule.max) refuse(lineOf(node), "count needs \"min\", \"max\" or both");
    if (rule.min && rule.max && *rule.min > *rule.max)
        refuse(lineOf(node), "count's min is above its max");
    return rule;
}

NeighbourRule neighbourRule(const toml::node& node) {
    NeighbourRule rule;
    for (const toml::node& pair : nonEmptyList(node, "forbidden-neighbours")) {
        const auto* tiles = pair.as_array();
        if (!tiles || tiles->size() != 2)
            refuse(lineOf(pair), "forbidden-neighbours takes pairs of tiles, as in [[3, 4]]");
        rule.ban.forbid(tileOf(*tiles->get(0), "forbidden-neighbours"),
                        tileOf(*tiles->get(1), "forbidden-neighbours"));
    }
    return rule;
}

ReachRule reachRule(const toml::node& node) {
    const toml::table& reach =
        inlineTable(node, "reachable", "{ from = 2, to = [5], through = [0, 2, 5] }");
    refuseUnknownKeys(reach, {"from", "to", "through"}, "reachable");
    const TileIndex from = tileOf(required(reach, "from", "reachable"), "reachable's from");
    return ReachRule{from,
                     FloodTiles(from, tileList(required(reach, "to", "reachable"), "to"),
                                tileList(required(reach, "through", "reachable"), "through"))};
}

// The kinds of rule by their key; nothing for any other key.
std::optional<RuleKind> kindOf(std::string_view key, const toml::node& node) {
    if (key == "border") return BorderRule{tileList(node, "border")};
    if (key == "tiles-allowed")
        return TilesRule{tileList(node, "tiles-allowed").complement(), true};
    if (key == "tiles-forbidden") return TilesRule{tileList(node, "tiles-forbidden"), false};
    if (key == "count") return countRule(node);
    if (key == "forbidden-neighbours") return neighbourRule(node);
    if (key == "reachable") return reachRule(node);
    return std::nullopt;
}

// Ids are printed in every report and GitHub titles: the characters of a bare key, and '.'.
std::string idOf(const toml::node& node) {
    const auto* id = node.as_string();
    const bool plain =
        id && !id->get().empty() && id->get().size() <= 64 &&
        std::ranges::all_of(id->get(), [](char c) { return isBareKeyCharacter(c) || c == '.'; });
    if (!plain)
        refuse(lineOf(node),
               "id must be 1 to 64 letters, digits, '-', '_' or '.', as in \"one-start\"");
    return id->get();
}

std::string helpOf(const toml::node& node) {
    const auto* help = node.as_string();
    if (!help) refuse(lineOf(node), "help takes a string");
    if (!text::isPrintable(help->get())) refuse(lineOf(node), "help holds a control character");
    if (help->get().size() > MaxHelpBytes)
        refuse(lineOf(node), "help is longer than " + std::to_string(MaxHelpBytes) + " bytes");
    return help->get();
}

Rule ruleOf(const toml::node& node) {
    const auto* table = node.as_table();
    if (!table) refuse(lineOf(node), "rule must be [[rule]] tables");
    Rule rule{"", "", lineOf(node), {}};
    std::optional<std::string> kindKey;
    for (const auto& [key, value] : inFileOrder(*table)) {
        if (key->str() == "id") {
            rule.id = idOf(*value);
        } else if (key->str() == "help") {
            rule.help = helpOf(*value);
        } else if (std::optional<RuleKind> kind = kindOf(key->str(), *value)) {
            if (kindKey)
                refuse(lineOf(*key), "a rule has one kind, this one has \"" + *kindKey +
                                         "\" and \"" + std::string(key->str()) + "\"");
            kindKey = key->str();
            rule.kind = std::move(*kind);
        } else {
            refuse(lineOf(*key), "unknown key " + shownKey(*key) + " in a rule");
        }
    }
    if (rule.id.empty()) refuse(rule.line, "rule without an id");
    if (!kindKey)
        refuse(rule.line, "rule \"" + rule.id +
                              "\" has no kind: border, count, forbidden-neighbours, reachable, "
                              "tiles-allowed or tiles-forbidden");
    return rule;
}

} // namespace

RuleSet parseRules(std::string_view text) {
    checkBounds(text);
    toml::table file;
    try {
        file = toml::parse(text);
    } catch (const toml::parse_error& error) {
        // toml++ quotes what it saw, which came from the file.
        refuse(static_cast<int>(error.source().begin.line), text::printable(error.description()));
    }
    refuseUnknownKeys(file, {"rule"}, "the file (it holds [[rule]] tables)");
    RuleSet rules;
    std::map<std::string, int> lineOfId;
    if (const toml::node* list = file.get("rule")) {
        const auto* tables = list->as_array();
        if (!tables) refuse(lineOf(*list), "rule must be [[rule]] tables");
        for (const toml::node& node : *tables) {
            if (rules.size() == MaxRules)
                refuse(lineOf(node), "more than " + std::to_string(MaxRules) + " rules");
            Rule rule = ruleOf(node);
            const auto [earlier, added] = lineOfId.emplace(rule.id, rule.line);
            if (!added)
                refuse(rule.line, "id \"" + rule.id + "\" is used before, at line " +
                                      std::to_string(earlier->second));
            rules.push_back(std::move(rule));
        }
    }
    return rules;
}

namespace {

RuleSet rulesOfRead(const BoundedBytes& read) {
    if (read.longer)
        refuse(static_cast<int>(std::ranges::count(read.bytes, '\n')) + 1,
               "the file is longer than " + std::to_string(MaxRulesFileRead) + " bytes");
    return parseRules(read.bytes);
}

} // namespace

RuleSet readRulesFile(const std::string& path) {
    return rulesOfRead(readBounded(path, {.limit = MaxRulesFileRead}));
}

RuleSet readRulesFileIn(int folder, const std::string& path) {
    return rulesOfRead(
        readBoundedIn(folder, std::string(RulesFileName), path, {.limit = MaxRulesFileRead}));
}

} // namespace qorv::rules
