// Where the tile sheet is found, for the editor and the command line alike.

#include "render/TileSheetSearch.h"
#include "OtherAccount.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace qorv {
namespace {

TEST(TileSheetSearch, TheNamedSheetThenBesideTheLevelThenHereThenInstalled) {
    const struct {
        const char* given;
        bool beside, here, installed; // which folders hold an all.bmp
        const char* found;            // "" when none
    } rows[] = {
        {"named.bmp", true, true, true, "named.bmp"}, // named, even when it does not exist
        {"", true, true, true, "levels/all.bmp"},
        {"", false, true, true, "all.bmp"},
        {"", false, false, true, "share/all.bmp"},
        {"", true, false, false, "levels/all.bmp"},
        {"", false, false, false, ""},
    };
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    QDir().mkpath("levels");
    QDir().mkpath("share");
    for (const auto& row : rows) {
        for (const auto& [folder, holds] :
             {std::pair{"levels", row.beside}, {".", row.here}, {"share", row.installed}}) {
            QFile sheet(QDir(folder).filePath("all.bmp"));
            ASSERT_TRUE(holds ? sheet.open(QIODevice::WriteOnly)
                              : !sheet.exists() || sheet.remove());
        }
        const TileSheetSearch search = findTileSheet(row.given, "levels", "share");
        EXPECT_EQ(search.found, row.found) << row.found;
        if (search.found.isEmpty()) {
            EXPECT_EQ(search.lookedIn, QStringList({"levels", ".", "share"}));
        }
    }
    // A level in the working directory: each folder is looked in once.
    EXPECT_EQ(findTileSheet("", ".", "share").lookedIn, QStringList({".", "share"}));
    QDir::setCurrent(previous);
}

// A shared folder (sticky, everyone may write it, as /tmp): her "all.bmp" there is passed over
// and the search goes on, as for a rules file; ours there is found. The editor's search is this
// one, with the working directory as the level's folder.
TEST(TileSheetSearch, PassesOverASheetAnotherAccountPlantedInASharedFolder) {
    QORV_NEEDS_OTHER_ACCOUNT();
    QTemporaryDir shared(QDir::tempPath() + "/qorv-sheets-XXXXXX"), installed;
    ASSERT_TRUE(shared.isValid() && installed.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    const QString theirs = shared.filePath("all.bmp"), ours = installed.filePath("all.bmp");
    QFile sheet(ours);
    ASSERT_TRUE(sheet.open(QIODevice::WriteOnly));
    ASSERT_EQ(test::asOtherAccount("echo >\"$1\"", {QFile::encodeName(theirs).toStdString()}), 0);
    EXPECT_EQ(findTileSheet("", shared.path(), installed.path()).found, ours);
    ASSERT_TRUE(QFile::remove(theirs));
    QFile mine(theirs);
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    EXPECT_EQ(findTileSheet("", shared.path(), installed.path()).found, theirs);
}

} // namespace
} // namespace qorv
