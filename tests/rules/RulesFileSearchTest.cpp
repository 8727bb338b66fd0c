// Where a level's rules file is found: the nearest of its folder and those above, each folder
// looked at once in a run, at any depth, and no file another account planted in a shared folder.

#include "rules/RulesFileSearch.h"
#include "OtherAccount.h"
#include "errors/IoError.h"
#include "rules/RulesFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace qorv::rules {
namespace {

namespace fs = std::filesystem;

struct Probes {
    std::vector<std::string> asked;
    fs::path present;
    RulesFileSearch search{[this](int, const fs::path& candidate) {
        asked.push_back(candidate.string());
        return candidate == present;
    }};
    std::string found(const fs::path& folder) {
        const std::optional<FoundRules> rules = search.find(folder);
        return rules ? rules->path.string() : "none";
    }
};

// A folder of the test's own below /tmp, removed at the end however deep it grew.
struct TempTree {
    fs::path base;
    TempTree() {
        char name[] = "/tmp/qorv-search-XXXXXX";
        base = ::mkdtemp(name);
    }
    ~TempTree() { std::system(("rm -rf '" + base.string() + "'").c_str()); }
};

TEST(RulesFileSearch, WalksTheFoldersDownFromTheRootAndLooksAtEachOnce) {
    TempTree tree;
    fs::create_directories(tree.base / "a/b/c");
    fs::create_directories(tree.base / "a/b/d");
    Probes probes;
    probes.present = tree.base / "a/qorvedit-rules.toml";
    EXPECT_EQ(probes.found(tree.base / "a/b/c"), probes.present);
    EXPECT_EQ(probes.found(tree.base / "a/b/c/"), probes.present);
    EXPECT_EQ(probes.found(tree.base / "a/b/c"), probes.present);
    EXPECT_EQ(probes.found(tree.base / "a/b/d"), probes.present);
    EXPECT_EQ(probes.found(tree.base / "x/y"), "none"); // no such folder: nothing below base
    std::vector<std::string> expected;
    for (fs::path above = tree.base; above != "/"; above = above.parent_path())
        expected.insert(expected.begin(), (above / "qorvedit-rules.toml").string());
    expected.insert(expected.begin(), "/qorvedit-rules.toml");
    for (const char* folder : {"a", "a/b", "a/b/c", "a/b/d"})
        expected.push_back((tree.base / folder / "qorvedit-rules.toml").string());
    EXPECT_EQ(probes.asked, expected);
}

// A folder that cannot be looked in fails the search: the file further up would be a guess.
TEST(RulesFileSearch, AFolderThatCannotBeLookedInFailsTheSearch) {
    TempTree tree;
    fs::create_directories(tree.base / "a/b");
    RulesFileSearch search([&](int, const fs::path& candidate) {
        if (candidate == tree.base / "a/qorvedit-rules.toml") throw IoError(iocode::AccessDenied);
        return candidate == tree.base / "qorvedit-rules.toml";
    });
    try {
        search.find(tree.base / "a/b");
        ADD_FAILURE() << "no failure";
    } catch (const EditorError& failure) {
        EXPECT_EQ(failure.what(), (tree.base / "a").string() +
                                      ": cannot look for qorvedit-rules.toml here: File access "
                                      "denied");
    }
}

// The kernel takes no path longer than PATH_MAX: a level deeper than that still gets the rules
// file of its own folder, not one from higher up, and it is read through its folder.
TEST(RulesFileSearch, FindsAndReadsTheNearestBeyondPathMax) {
    TempTree tree;
    std::ofstream(tree.base / "qorvedit-rules.toml") << "[[rule]]\nid = 'far'\nborder = [1]\n";
    fs::path deep = tree.base;
    int folder = ::open(tree.base.c_str(), O_PATH | O_DIRECTORY);
    const std::string part(200, 'd');
    while (deep.string().size() <= PATH_MAX) {
        ASSERT_EQ(::mkdirat(folder, part.c_str(), 0700), 0);
        const int next = ::openat(folder, part.c_str(), O_PATH | O_DIRECTORY);
        ::close(folder);
        folder = next;
        deep /= part;
    }
    const int parent = ::openat(folder, "..", O_DIRECTORY);
    ::close(folder);
    const int near =
        ::openat(parent, (part + "/qorvedit-rules.toml").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string text = "[[rule]]\nid = 'near'\nborder = [1]\n";
    ASSERT_EQ(::write(near, text.data(), text.size()), ssize_t(text.size()));
    ::close(near);
    ::close(parent);
    RulesFileSearch search(usableRulesFile);
    const std::optional<FoundRules> found = search.find(deep);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, deep / "qorvedit-rules.toml");
    const RuleSet rules = readRulesFileIn(found->folder->get(), found->path.string());
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].id, "near");
}

TEST(RulesFileSearch, ARelativeFolderStartsFromTheWorkingDirectory) {
    Probes probes;
    probes.present = fs::current_path() / "qorvedit-rules.toml";
    EXPECT_EQ(probes.found(""), probes.present);
    EXPECT_EQ(probes.found("levels/.."), probes.present);
    EXPECT_EQ(probes.found("levels/deep"), probes.present);
}

// A sticky folder everyone may write, as /tmp is: a rules file of another account there is
// passed over, ours and the folder owner's count.
TEST(RulesFileSearch, PassesOverAFileAnotherAccountPlantedInASharedFolder) {
    QORV_NEEDS_OTHER_ACCOUNT();
    char name[] = "/tmp/qorv-rules-XXXXXX";
    const fs::path shared = ::mkdtemp(name);
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
    const fs::path candidate = shared / "qorvedit-rules.toml";
    std::ofstream(candidate).put('\n');
    const int folder = ::open(shared.c_str(), O_PATH | O_DIRECTORY);
    EXPECT_TRUE(usableRulesFile(folder, candidate));
    fs::remove(candidate);
    EXPECT_FALSE(usableRulesFile(folder, candidate));
    ASSERT_EQ(test::asOtherAccount("echo >\"$1\"", {candidate}), 0);
    EXPECT_FALSE(usableRulesFile(folder, candidate));
    ::close(folder);
    fs::remove_all(shared);
}

} // namespace
} // namespace qorv::rules
