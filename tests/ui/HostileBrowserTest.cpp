// The level browser in a working folder of hostile names: spaces, dashes, characters
// outside ASCII, glob characters, bytes that are not UTF-8, links to devices. Every name
// listed opens exactly its own file; a name the list could not show faithfully is left
// out rather than shown as another file's name.

#include "EditorFixture.h"

#include "levelio/LevelFile.h"

#include <QFile>
#include <QListWidget>

#include <unistd.h>

using namespace testing_ui;

namespace {

class HostileBrowserTest : public EditorFixture {
  protected:
    // Saves under the exact bytes of `rawName`, whatever they are.
    void saveRaw(const QByteArray& rawName, const qorv::LevelGrid& grid) {
        const QByteArray file = QFile::encodeName(path("")) + "/" + rawName;
        qorv::saveQRE(file.toStdString(), grid);
        saved_ << file;
    }
    // Qt cannot name files that are not UTF-8, so the scratch folder's clean-up would
    // leave them behind: they go by their bytes first.
    void TearDown() override {
        for (const QByteArray& file : saved_)
            ::unlink(file.constData());
        EditorFixture::TearDown();
    }
    QList<QByteArray> saved_;
};

struct NamedLevel {
    QByteArray raw; // the name's bytes on disk
    int seed;       // of its patterned level
};

TEST_F(HostileBrowserTest, EveryListedNameOpensItsOwnFile) {
    const NamedLevel levels[] = {
        {"level with spaces.qre", 1},
        {" leading space.qre", 2},
        {"-leading-dash.qre", 3},
        {"--help.qre", 4},
        {"\xC3\x9Cn\xC3\xAF"
         "c\xC3\xB6"
         "d\xC3\xA9 \xE9\x96\xA2\xE6\x95\xB0.qre",
         5}, // "Ünïcödé 関数"
        {"[ab]*?.qre", 6},
        {"new\nline.qre", 7},
        // U+FFFD spelt correctly: what a decoder shows for the bad bytes below.
        {"bad\xEF\xBF\xBD.qre", 8},
    };
    for (const NamedLevel& level : levels)
        saveRaw(level.raw, patternedLevel(level.seed));
    // Not UTF-8: it cannot be listed faithfully, so it must not be listed at all; above
    // all it must never be taken for "bad\uFFFD.qre" or open that file.
    saveRaw("bad\xFF.qre", patternedLevel(9));
    saveRaw("bad\xC0\x80.qre", patternedLevel(10));

    openBrowser();
    QStringList expected;
    for (const NamedLevel& level : levels)
        expected << QFile::decodeName(level.raw);
    expected.sort();
    EXPECT_EQ(listed(), expected);

    for (const NamedLevel& level : levels) {
        const QString name = QFile::decodeName(level.raw);
        SCOPED_TRACE(name.toStdString());
        select(name);
        EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
        EXPECT_EQ(MainForm->PreviewMap, patternedLevel(level.seed));
        EXPECT_TRUE(View1->isVisible());
    }
    EXPECT_TRUE(sameImage(View1->Image->picture(), expectedRaster(patternedLevel(8))));
}

TEST_F(HostileBrowserTest, EntriesThatAreNoLevelFileShowTheirErrorWithoutHanging) {
    saveRaw("good.qre", patternedLevel(1));
    ASSERT_EQ(::symlink("/dev/zero", path("zero.qre").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink("/dev/urandom", path("random.qre").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink("nowhere.qre", path("dangling.qre").toLocal8Bit().constData()), 0);
    ASSERT_EQ(::symlink("self.qre", path("self.qre").toLocal8Bit().constData()), 0);
    // Regular files that a reader reading to their end would never finish.
    ASSERT_EQ(::symlink("/proc/self/pagemap", path("pagemap.qre").toLocal8Bit().constData()), 0);
    saveRaw("hole.qre", qorv::LevelGrid{});
    ASSERT_EQ(::truncate(path("hole.qre").toLocal8Bit().constData(), 0), 0);
    ASSERT_EQ(::truncate(path("hole.qre").toLocal8Bit().constData(), off_t{1} << 40), 0);
    // A level when listed, a link to /dev/zero when read.
    saveRaw("swapped.qre", patternedLevel(2));
    openBrowser();
    ::unlink(path("swapped.qre").toLocal8Bit().constData());
    ASSERT_EQ(::symlink("/dev/zero", path("swapped.qre").toLocal8Bit().constData()), 0);
    select("good.qre");
    const std::pair<const char*, const char*> rows[] = {
        {"zero.qre", "File access denied."},
        {"random.qre", "File access denied."},
        {"dangling.qre", "File not found."},
        {"self.qre", "Invalid filename."},
        {"pagemap.qre", "Not a level: no 45 lines in its first 4 MiB."},
        {"hole.qre", "Not a level: no 45 lines in its first 4 MiB."},
        {"swapped.qre", "File access denied."}};
    for (const auto& [name, message] : rows) {
        errors_.clear();
        select(name);
        EXPECT_EQ(errors_, QStringList{message}) << name;
        EXPECT_EQ(MainForm->PreviewMap, patternedLevel(1)) << name;
    }
}

// A 2 GB level file whose level stands at its front: the preview reads 45 lines and
// stops (the rest is a hole that costs no disk space).
TEST_F(HostileBrowserTest, HugeLevelFilePreviewsItsFirst45Lines) {
    saveRaw("huge.qre", patternedLevel(3));
    ASSERT_EQ(::truncate(path("huge.qre").toLocal8Bit().constData(), off_t{2} << 30), 0);
    openBrowser();
    select("huge.qre");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
    EXPECT_EQ(MainForm->PreviewMap, patternedLevel(3));
}

} // namespace
