// The recovery folder as editors share it: each running editor's level is its own, an
// ended editor's level is offered to one start only, a normal end leaves only a level
// with changes that were not saved, and a damaged file is set aside.

#include "recovery/RecoverySession.h"
#include "OtherAccount.h"
#include "recovery/LatestWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using qorv::RecoveredLevel;

constexpr uid_t NobodyId = 65534; // a real second account
constexpr uid_t Ours = uid_t(-1); // chown's "leave as it is"

namespace {

RecoveredLevel levelNamed(const std::string& name, qorv::TileIndex tile) {
    RecoveredLevel level{name, {}};
    level.grid.cells.fill(tile);
    return level;
}

class RecoveryFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/qorv-recovery-XXXXXX";
        ASSERT_TRUE(::mkdtemp(pattern));
        scratch_ = pattern;
        folder_ = scratch_ + "/state/qorvedit";
    }
    void TearDown() override { fs::remove_all(scratch_); }

    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.insert(entry.path().filename().string());
        return names;
    }
    // The one name in the folder with `suffix`; empty when there is none or more.
    std::string onlyOne(std::string_view suffix) const {
        std::vector<std::string> found;
        for (const std::string& name : entries())
            if (name.ends_with(suffix)) found.push_back(name);
        return found.size() == 1 ? found[0] : std::string();
    }
    // The recovery file's name of the session whose lock is the only one in the folder.
    std::string ourRecoveryName() const {
        const std::string lock = onlyOne(".lock");
        return lock.empty() ? lock : lock.substr(0, lock.size() - 5) + ".recovery";
    }
    // The recovery file that is in the folder now and was not in `before`.
    std::string newRecoveryFile(const std::set<std::string>& before) const {
        for (const std::string& name : entries())
            if (name.ends_with(".recovery") && !before.contains(name)) return folder_ + "/" + name;
        return {};
    }
    static mode_t modeOf(const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    // An editor in a child process that records `level` (if any) and then dies without ending.
    void editorThatDies(const std::optional<RecoveredLevel>& level) const {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            recovery::Session session(folder_);
            if (level) session.recordNow(*level);
            ::_exit(0); // no destructor runs: as a crash leaves things
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    std::string scratch_;
    std::string folder_;
};

// Writes what is posted only when waited for, then calls `written`: the test sees what is
// on disk at each step, with no thread and no timing.
class WrittenWhenWaitedFor final : public recovery::RecordWriter {
  public:
    WrittenWhenWaitedFor(Write write, std::function<void()> written)
        : write_(std::move(write)), written_(std::move(written)) {}
    void post(recovery::Record record) override { pending_ = std::move(record); }
    void waitUntilIdle() override {
        if (!pending_) return;
        write_(*std::exchange(pending_, std::nullopt));
        written_();
    }
    void stop() override { pending_.reset(); }

  private:
    Write write_;
    std::function<void()> written_;
    std::optional<recovery::Record> pending_;
};

// `made`, when given, receives the writer made, for the test to wait for.
recovery::MakeRecordWriter writtenWhenWaitedFor(
    std::function<void()> written = [] {}, recovery::RecordWriter** made = nullptr) {
    return [written, made](recovery::RecordWriter::Write write) {
        auto writer = std::make_unique<WrittenWhenWaitedFor>(std::move(write), written);
        if (made) *made = writer.get();
        return writer;
    };
}

} // namespace

TEST_F(RecoveryFolder, ARunningEditorsLevelIsPrivateAndNeverOfferedToAnother) {
    editorThatDies(levelNamed("lost.qre", 9));
    recovery::Session first(folder_);
    const std::set<std::string> before = entries();
    first.recordNow(levelNamed("a.qre", 5));
    const std::string firstFile = newRecoveryFile(before);
    EXPECT_EQ(modeOf(folder_), 0700u);
    EXPECT_EQ(modeOf(firstFile), 0600u);

    recovery::Session second(folder_);
    const auto ended = second.claimEnded();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->level().name, "lost.qre") << "the first editor's newer level passed over";
    std::ifstream file(firstFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(qorv::parseRecoveryFile(bytes), levelNamed("a.qre", 5)) << "left as it was";
}

// A normal end keeps the record of changes that were not saved, and nothing else; the
// last record reaches the disk even when the editor closes right after making it.
TEST_F(RecoveryFolder, ANormalEndKeepsOnlyTheRecordOfUnsavedChanges) {
    const struct {
        bool forgotten;
        std::size_t left;
    } rows[] = {{false, 1}, {true, 0}};
    for (const auto& row : rows) {
        {
            recovery::Session session(folder_);
            session.recordNow(levelNamed("a.qre", 5));
            EXPECT_EQ(entries().size(), 2u) << "a lock and a recovery file";
            session.record(levelNamed("a.qre", 6));
            if (row.forgotten) session.forget();
        }
        EXPECT_EQ(entries().size(), row.left);
        recovery::Session next(folder_);
        auto ended = next.claimEnded();
        ASSERT_EQ(bool(ended), !row.forgotten);
        if (!ended) continue;
        EXPECT_EQ(ended->level(), levelNamed("a.qre", 6));
        EXPECT_TRUE(ended->closed()) << "it was closed, not crashed";
        ended->discard();
    }
}

// A closed editor's level that a start claims and leaves unanswered stays a closed one.
TEST_F(RecoveryFolder, AClosedEditorsLevelLeftUnansweredStaysClosed) {
    {
        recovery::Session session(folder_);
        session.record(levelNamed("a.qre", 5));
    }
    recovery::Session first(folder_);
    first.claimEnded(); // released unanswered
    recovery::Session second(folder_);
    auto ended = second.claimEnded();
    ASSERT_TRUE(ended);
    EXPECT_TRUE(ended->closed());
}

TEST_F(RecoveryFolder, AnEndedEditorsLevelIsClaimedByOneStartAndDiscarded) {
    editorThatDies(levelNamed("lost.qre", 9));
    editorThatDies(levelNamed("newer.qre", 3));
    recovery::Session starting(folder_);
    auto ended = starting.claimEnded();
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->level(), levelNamed("newer.qre", 3)) << "the most recent first";
    EXPECT_FALSE(ended->closed()) << "a crash";
    {
        recovery::Session alsoStarting(folder_);
        auto other = alsoStarting.claimEnded();
        ASSERT_TRUE(other);
        EXPECT_EQ(other->level().name, "lost.qre") << "never the one claimed already";
    }
    ended->discard();
    recovery::Session later(folder_);
    auto remaining = later.claimEnded();
    ASSERT_TRUE(remaining);
    EXPECT_EQ(remaining->level().name, "lost.qre");
    EXPECT_FALSE(remaining->closed()) << "still a crash after a start let it go";
    remaining->discard();
    EXPECT_EQ(entries().size(), 2u) << "only the running editors' locks";
    EXPECT_FALSE(later.claimEnded());
}

// An editor that ended before recording anything leaves only its lock: the next claim
// removes it.
TEST_F(RecoveryFolder, AnEndedEditorsBareLockGoes) {
    editorThatDies(std::nullopt);
    recovery::Session next(folder_);
    EXPECT_FALSE(next.claimEnded());
    EXPECT_EQ(entries().size(), 1u) << "only our own lock";
}

// A write that fails is said once for a run of failures; a record replaced by "nothing to
// keep" before it was written leaves nothing to remove, and is no failure.
TEST_F(RecoveryFolder, AFailingWriteIsSaidOnce) {
    recovery::RecordWriter* writer = nullptr;
    recovery::Session session(folder_, writtenWhenWaitedFor([] {}, &writer));
    ::testing::internal::CaptureStderr();
    session.record(levelNamed("a.qre", 5));
    session.forget();
    writer->waitUntilIdle();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    fs::remove_all(folder_); // every write fails from now on
    ::testing::internal::CaptureStderr();
    for (const qorv::TileIndex tile : {1, 2, 3})
        session.recordNow(levelNamed("a.qre", tile));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

// A level taken back is in this editor's recovery file before the ended editor's file goes.
TEST_F(RecoveryFolder, ALevelTakenBackIsOnDiskBeforeItsOldFileGoes) {
    editorThatDies(levelNamed("lost.qre", 9));
    std::vector<std::set<std::string>> seen; // the folder's names as each record is written
    recovery::Session session(folder_, writtenWhenWaitedFor([&] { seen.push_back(entries()); }));
    auto ended = session.claimEnded();
    ASSERT_TRUE(ended);
    const std::string old = onlyOne(".recovery"); // the ended editor's, the only one yet
    session.record(ended->level());
    ended->discard();
    const std::string ours = onlyOne(".recovery"); // the old one gone
    ASSERT_FALSE(ours.empty());
    EXPECT_NE(ours, old);
    ASSERT_EQ(seen.size(), 1u) << "written before the old file went";
    EXPECT_TRUE(seen[0].contains(ours) && seen[0].contains(old)) << "both there";
    std::ifstream file(folder_ + "/" + ours, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(qorv::parseRecoveryFile(bytes), levelNamed("lost.qre", 9));
}

// A file that is no whole recovery file, or a link under its name (never followed), is set
// aside with one line.
TEST_F(RecoveryFolder, ADamagedFileIsSetAsideWithOneLine) {
    const std::string stem = folder_ + "/instance-0123456789abcdef";
    std::ofstream(scratch_ + "/elsewhere") << qorv::formatRecoveryFile(levelNamed("maze.qre", 1));
    const std::function<void()> damages[] = {
        [&] { std::ofstream(stem + ".recovery") << "QorvEdit recovery 1 3\nx"; },
        [&] { fs::create_symlink(scratch_ + "/elsewhere", stem + ".recovery"); },
    };
    for (const auto& damage : damages) {
        recovery::Session session(folder_);
        damage();
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(session.claimEnded());
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("set aside as"), std::string::npos) << said;
        EXPECT_EQ(entries().size(), 2u) << "the damaged file and our lock";
        EXPECT_TRUE(fs::exists(fs::symlink_status(stem + ".damaged")));
        EXPECT_FALSE(fs::exists(fs::symlink_status(stem + ".recovery")));
        fs::remove(stem + ".damaged");
    }
}

TEST_F(RecoveryFolder, OnlyAPrivateFolderOfOurOwnIsUsed) {
    fs::create_directories(scratch_ + "/state/elsewhere");
    fs::create_directory_symlink(scratch_ + "/state/elsewhere", folder_);
    EXPECT_THROW(recovery::Session{folder_}, std::runtime_error) << "a link is refused";
    fs::remove(folder_);
    fs::create_directory(folder_);
    fs::permissions(folder_, fs::perms(0755));
    recovery::Session session(folder_);
    EXPECT_EQ(modeOf(folder_), 0700u) << "narrowed";
}

// Once checked, the folder is used through its descriptor: renamed away and replaced by
// another with a link under the record's name, it still gets the record, and the link's
// target is never written. The swap is made by another account that got hold of the
// parent after the check.
TEST_F(RecoveryFolder, AFolderSwappedAfterTheCheckIsNeverWrittenThrough) {
    QORV_NEEDS_OTHER_ACCOUNT();
    recovery::Session session(folder_);
    const std::string name = ourRecoveryName();
    ASSERT_FALSE(name.empty());
    std::ofstream(scratch_ + "/secret") << "secret";
    ASSERT_EQ(::chmod(scratch_.c_str(), 0711), 0);
    ASSERT_EQ(::chown((scratch_ + "/state").c_str(), qorv::test::otherAccountId(), Ours), 0);
    ASSERT_EQ(
        qorv::test::asOtherAccount("mv \"$1\" \"$1-moved\"; mkdir \"$1\"; ln -s \"$2\" \"$1/$3\"",
                                   {folder_, scratch_ + "/secret", name}),
        0);
    session.recordNow(levelNamed("a.qre", 5));
    std::ifstream secret(scratch_ + "/secret");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(secret), {}), "secret");
    EXPECT_TRUE(fs::is_regular_file(folder_ + "-moved/" + name));
}

// Another account's file, planted while the folder was open to others (before the start
// narrowed it), is not offered.
TEST_F(RecoveryFolder, AnotherAccountsFileIsNeverOffered) {
    QORV_NEEDS_OTHER_ACCOUNT();
    ASSERT_EQ(::chmod(scratch_.c_str(), 0711), 0);
    fs::create_directories(folder_);
    fs::permissions(folder_, fs::perms::all);
    std::ofstream(scratch_ + "/level") << qorv::formatRecoveryFile(levelNamed("maze.qre", 1));
    ASSERT_EQ(qorv::test::asOtherAccount("cp \"$1\" \"$2/instance-0123456789abcdef.recovery\"",
                                         {scratch_ + "/level", folder_}),
              0);
    recovery::Session session(folder_);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(session.claimEnded());
    ::testing::internal::GetCapturedStderr();
}

// The folder and every folder above it must be beyond other accounts' reach.
TEST_F(RecoveryFolder, AFolderAnotherAccountCanChangeIsRefused) {
    const std::string parent = scratch_ + "/state";
    const struct {
        const char* what;
        mode_t parentMode;
        uid_t parentOwner, folderOwner; // Ours: left as made
        bool used;
    } rows[] = {
        {"a parent open to all", 0777, Ours, Ours, false},
        {"a sticky parent, the folder ours", 01777, Ours, Ours, true},
        {"a private parent", 0700, Ours, Ours, true},
        {"a parent of another account", 0755, NobodyId, Ours, false},
        {"a folder of another account", 0755, Ours, NobodyId, false},
    };
    for (const auto& row : rows) {
        const bool otherAccount = row.parentOwner != Ours || row.folderOwner != Ours;
        if (otherAccount && ::geteuid() != 0) continue; // skipped below
        fs::remove_all(parent);
        fs::create_directories(folder_);
        ::chmod(parent.c_str(), row.parentMode);
        ::chmod(folder_.c_str(), 0700);
        ASSERT_EQ(::chown(parent.c_str(), row.parentOwner, Ours), 0);
        ASSERT_EQ(::chown(folder_.c_str(), row.folderOwner, Ours), 0);
        bool used = true;
        try {
            recovery::Session session(folder_);
        } catch (const std::runtime_error&) {
            used = false;
        }
        EXPECT_EQ(used, row.used) << row.what;
    }
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give folders to another account";
}

// A relative XDG_STATE_HOME is ignored, as the XDG rules say.
TEST(StateFolder, ComesFromAnAbsoluteXdgStateHomeOrHome) {
    const std::string saved = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    const struct {
        const char* state;
        const char* expected;
    } rows[] = {
        {"/s", "/s/qorvedit"},
        {"s", "/h/.local/state/qorvedit"},
        {"", "/h/.local/state/qorvedit"},
    };
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/h", 1);
    for (const auto& row : rows) {
        ::setenv("XDG_STATE_HOME", row.state, 1);
        EXPECT_EQ(qorv::stateFolderFromEnvironment(), row.expected) << row.state;
    }
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_STATE_HOME", saved.c_str(), 1);
}

TEST(LatestWriter, WritesOnlyTheNewestValue) {
    std::mutex gate;
    std::vector<qorv::TileIndex> written;
    std::unique_lock held(gate);
    recovery::LatestWriter writer([&](const recovery::Record& record) {
        const std::lock_guard pass(gate);
        written.push_back(record->grid.cells[0]);
    });
    // While the disk (the gate) is busy, at most one value is being written and one
    // waits: the others are replaced before anyone writes them.
    for (qorv::TileIndex tile = 1; tile <= 4; ++tile)
        writer.post(levelNamed("", tile));
    held.unlock();
    writer.waitUntilIdle();
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), 4);
    EXPECT_LE(written.size(), 2u);
}

// A record being written is no record written: a restored level's old file would otherwise go
// while its new one is still on its way to the disk.
TEST(Mailbox, IsIdleOnlyOnceTheRecordTakenHasBeenWritten) {
    recovery::Mailbox box;
    EXPECT_TRUE(box.idle());
    box.post(levelNamed("", 1));
    box.post(levelNamed("", 2));
    EXPECT_FALSE(box.idle()) << "one waits";
    const auto taken = box.take();
    ASSERT_TRUE(taken);
    EXPECT_EQ(*taken, levelNamed("", 2)) << "the newest";
    EXPECT_FALSE(box.holdsOne());
    EXPECT_FALSE(box.idle()) << "being written";
    box.done();
    EXPECT_TRUE(box.idle());
    EXPECT_FALSE(box.take()) << "nothing left to write";
    box.post(std::nullopt); // "nothing to keep" is a record too
    EXPECT_TRUE(box.holdsOne());
    EXPECT_FALSE(box.idle());
}
