// Where a level's rules file is found: up from its folder to the root, each folder looked at
// once in a run, and no file another account planted in a shared folder.

#include "rules/RulesFileSearch.h"
#include "OtherAccount.h"

#include <gtest/gtest.h>

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
    RulesFileSearch search{[this](const fs::path& candidate) {
        asked.push_back(candidate.string());
        return candidate == present;
    }};
};

TEST(RulesFileSearch, WalksUpToTheRootAndLooksAtEachFolderOnce) {
    Probes probes;
    probes.present = "/a/qorvedit-rules.toml";
    EXPECT_EQ(probes.search.find("/a/b/c"), probes.present);
    EXPECT_EQ(probes.search.find("/a/b/c/"), probes.present);
    EXPECT_EQ(probes.search.find("/a/b/c"), probes.present);
    EXPECT_EQ(probes.search.find("/a/b/d"), probes.present);
    EXPECT_EQ(probes.search.find("/x/y"), std::nullopt);
    EXPECT_EQ(probes.asked,
              (std::vector<std::string>{"/a/b/c/qorvedit-rules.toml", "/a/b/qorvedit-rules.toml",
                                        "/a/qorvedit-rules.toml", "/a/b/d/qorvedit-rules.toml",
                                        "/x/y/qorvedit-rules.toml", "/x/qorvedit-rules.toml",
                                        "/qorvedit-rules.toml"}));
}

TEST(RulesFileSearch, ARelativeFolderStartsFromTheWorkingDirectory) {
    Probes probes;
    probes.present = fs::current_path() / "qorvedit-rules.toml";
    EXPECT_EQ(probes.search.find(""), probes.present);
    EXPECT_EQ(probes.search.find("levels/.."), probes.present);
    EXPECT_EQ(probes.search.find("levels/deep"), probes.present);
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
    EXPECT_TRUE(usableRulesFile(candidate));
    fs::remove(candidate);
    ASSERT_EQ(test::asOtherAccount("echo >\"$1\"", {candidate}), 0);
    EXPECT_FALSE(usableRulesFile(candidate));
    EXPECT_FALSE(usableRulesFile(shared / "absent.toml"));
    fs::remove_all(shared);
}

} // namespace
} // namespace qorv::rules
