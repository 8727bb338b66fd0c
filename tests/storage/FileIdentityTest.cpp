// A saved level stays the file it was: its other names, owner, group, mode, ACL and
// extended attributes, whether the save renamed a new file over it or overwrote it.

#include "IoMessage.h"
#include "TempDir.h"
#include "core/LevelTextSamples.h"
#include "levelio/LevelFile.h"
#include "errors/IoError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <map>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace qorv {
namespace {

using test::ioMessageOf;
using test::readWholeFile;
using test::sampleGrid;
using test::TempDir;

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

// Every extended attribute of the file, ACLs included, by name.
std::map<std::string, std::string> attributesOf(const std::string& path) {
    std::map<std::string, std::string> attributes;
    std::string names(4096, '\0');
    const ssize_t size = ::listxattr(path.c_str(), names.data(), names.size());
    for (std::size_t at = 0; size > 0 && at < static_cast<std::size_t>(size);) {
        const std::string name = names.c_str() + at;
        std::string value(4096, '\0');
        const ssize_t length = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        attributes[name] = value.substr(0, length < 0 ? 0 : static_cast<std::size_t>(length));
        at += name.size() + 1;
    }
    return attributes;
}

bool run(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

class FileIdentityTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string level = dir.file("x.qre");
    const std::string newBytes = formatLevel(LevelGrid{});
};

TEST_F(FileIdentityTest, EveryNameOfAHardLinkedLevelShowsTheNewLevel) {
    saveQRE(level, sampleGrid());
    const std::string other = dir.file("other.qre");
    ASSERT_EQ(::link(level.c_str(), other.c_str()), 0);
    const ino_t inode = statOf(level).st_ino;
    saveQRE(level, LevelGrid{});
    EXPECT_EQ(readWholeFile(other), newBytes);
    EXPECT_EQ(statOf(level).st_ino, inode);
    EXPECT_EQ(statOf(level).st_nlink, 2u);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"other.qre", "x.qre"}));
}

// Set up with setfacl (Debian's acl package), compared as the raw attributes.
TEST_F(FileIdentityTest, AttributesAndAclSurviveASave) {
    saveQRE(level, sampleGrid());
    if (::setxattr(level.c_str(), "user.probe", "1", 1, 0) != 0)
        GTEST_SKIP() << "no user attributes on " << dir.path() << ": " << std::strerror(errno);
    if (!run("setfacl --version >/dev/null")) GTEST_SKIP() << "setfacl not installed";
    const struct {
        const char* what;
        std::string setUp;
    } rows[] = {
        {"user attribute", "true"},
        {"named-user ACL", "setfacl -m u:nobody:rw,g::r '" + level + "'"},
        // A new file in this folder would get an ACL; the level has none and keeps none.
        {"folder's default ACL", "setfacl -d -m u:nobody:rw '" + dir.path() + "'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ::unlink(level.c_str());
        saveQRE(level, sampleGrid());
        ASSERT_EQ(::setxattr(level.c_str(), "user.origin", "painted", 7, 0), 0);
        ASSERT_TRUE(run(row.setUp));
        const auto before = attributesOf(level);
        const mode_t mode = statOf(level).st_mode;
        saveQRE(level, LevelGrid{});
        EXPECT_EQ(readWholeFile(level), newBytes);
        EXPECT_EQ(attributesOf(level), before);
        EXPECT_EQ(statOf(level).st_mode, mode);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.qre"});
    }
}

// An append-only folder (chattr +a) takes new names but lets none go, so no rename can
// replace a level there: the level is overwritten in place, a new one is created, and
// no temporary file is left that nobody could remove. Needs root and a file system
// that keeps the flag.
TEST_F(FileIdentityTest, AppendOnlyFolder) {
    const std::string folder = dir.file("log");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    saveQRE(folder + "/x.qre", sampleGrid());
    if (::geteuid() != 0 || !run("chattr +a '" + folder + "'"))
        GTEST_SKIP() << "cannot make a folder append-only here";
    // Cleared whatever happens, or the folder could not be removed.
    const std::unique_ptr<const std::string, void (*)(const std::string*)> appendOnly(
        &folder, [](const std::string* path) { run("chattr -a '" + *path + "'"); });
    const ino_t inode = statOf(folder + "/x.qre").st_ino;
    EXPECT_EQ(ioMessageOf([&] { saveQRE(folder + "/x.qre", LevelGrid{}); }), "");
    EXPECT_EQ(ioMessageOf([&] { saveQRE(folder + "/new.qre", LevelGrid{}); }), "");
    EXPECT_EQ(readWholeFile(folder + "/x.qre"), newBytes);
    EXPECT_EQ(readWholeFile(folder + "/new.qre"), newBytes);
    EXPECT_EQ(statOf(folder + "/x.qre").st_ino, inode);
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"new.qre", "x.qre"}));
}

// Runs `body` in a child process as the user nobody, so the test process stays root.
int asNobody(uid_t nobody, gid_t nogroup, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nogroup, nogroup, nogroup) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// Another user's level in various folders, saved by nobody. Who may write decides by
// the bits that apply to them; a level whose owner, group or folder nobody cannot keep
// is overwritten in place; and once renamed a level is saved even when its folder
// cannot be opened to sync it.
TEST_F(FileIdentityTest, SavedByAnotherUser) {
    const passwd* user = ::getpwnam("nobody");
    if (::geteuid() != 0 || !user) GTEST_SKIP() << "needs root and a user nobody";
    const uid_t nobody = user->pw_uid;
    const gid_t nogroup = user->pw_gid;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    enum Outcome { Replaced, Overwritten, Refused };
    const struct Row {
        const char* what;
        uid_t folderOwner;
        mode_t folderMode;
        uid_t fileOwner;
        gid_t fileGroup;
        mode_t fileMode;
        Outcome outcome;
    } rows[] = {
        {"own file, own folder", nobody, 0755, nobody, nogroup, 0640, Replaced},
        {"own file, folder we may not list", nobody, 0300, nobody, nogroup, 0600, Replaced},
        {"own file, folder not ours", 0, 0755, nobody, nogroup, 0644, Overwritten},
        {"own file, group not ours", nobody, 0755, nobody, 0, 0640, Overwritten},
        {"our group may write, owner may not", nobody, 0755, 0, nogroup, 0464, Overwritten},
        {"others may write", nobody, 0755, 0, 0, 0606, Overwritten},
        {"our group may only read", nobody, 0755, 0, nogroup, 0664 & ~0020, Refused},
        {"own read-only file", nobody, 0755, nobody, nogroup, 0444, Refused},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string folder = dir.file("f" + std::to_string(index++));
        const std::string file = folder + "/x.qre";
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        saveQRE(file, sampleGrid());
        const std::string oldBytes = readWholeFile(file);
        ASSERT_EQ(::chown(file.c_str(), row.fileOwner, row.fileGroup), 0);
        ASSERT_EQ(::chmod(file.c_str(), row.fileMode), 0);
        ASSERT_EQ(::chown(folder.c_str(), row.folderOwner, nogroup), 0);
        ASSERT_EQ(::chmod(folder.c_str(), row.folderMode), 0);
        const struct stat before = statOf(file);

        const int result = asNobody(nobody, nogroup, [&] {
            const std::string message = ioMessageOf([&] { saveQRE(file, LevelGrid{}); });
            if (message.empty()) return 0;
            return message == "File access denied" ? 1 : 2;
        });
        EXPECT_EQ(result, row.outcome == Refused ? 1 : 0) << "0 saved, 1 access denied, 2 other";
        const struct stat after = statOf(file);
        EXPECT_EQ(readWholeFile(file), row.outcome == Refused ? oldBytes : newBytes);
        EXPECT_EQ(after.st_ino == before.st_ino, row.outcome != Replaced);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_mode, before.st_mode);
        std::vector<std::string> entries;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            entries.push_back(entry.path().filename().string());
        EXPECT_EQ(entries, std::vector<std::string>{"x.qre"});
    }
}

} // namespace
} // namespace qorv
