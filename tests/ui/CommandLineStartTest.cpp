// Starting the editor on a level, as "qorvedit LEVEL" does: in the level's folder, with the
// level open as the Open command leaves it.

#include "EditorFixture.h"

#include "tools/LevelTools.h"
#include "levelio/LevelFile.h"

using namespace testing_ui;

class CommandLineStart : public EditorFixture {
  protected:
    void writeLevel(const QString& name, const qorv::LevelGrid& grid) {
        qorv::saveQRE(path(name).toStdString(), grid);
    }
};

TEST_F(CommandLineStart, OpensTheLevelInItsOwnFolder) {
    startEditorOn("../castle.qre", [&] { writeLevel("castle.qre", patternedLevel(5)); });
    // The tile sheet was found beside the level, not in the folder started from.
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(path(".")).canonicalPath());
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit - castle.qre");
    EXPECT_EQ(MainForm->Map, patternedLevel(5));
    EXPECT_EQ(MainForm->BackupMap, newLevel()) << "Undo brings back the new level";
    EXPECT_EQ(MainForm->Sel, qorv::selectall());
    EXPECT_TRUE(sameImage(raster(), expectedRaster(patternedLevel(5))));
}

TEST_F(CommandLineStart, ALevelBesideNoTileSheetLeavesTheWorkingDirectory) {
    // Started in a folder with a tile sheet, on a level in a folder without one.
    startEditorOn("level/solo.qre", [&] {
        QDir(path(".")).mkpath("elsewhere/level");
        writeSheet(path("elsewhere/all.bmp"));
        writeLevel("elsewhere/level/solo.qre", patternedLevel(6));
    });
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(path("elsewhere")).canonicalPath());
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit - solo.qre");
    EXPECT_TRUE(sameImage(raster(), expectedRaster(patternedLevel(6))));
}

TEST_F(CommandLineStart, AMissingOrBadLevelLeavesTheNewLevelAndShowsTheError) {
    const struct {
        const char* name;
        QByteArray bytes; // empty: no such file
        const char* shown;
    } rows[] = {
        {"../missing.qre", {}, "File not found."},
        {"../short.qre", "0123\r\n", "Read beyond end of file."},
    };
    for (const auto& row : rows) {
        startEditorOn(row.name, [&] {
            if (!row.bytes.isEmpty()) writeFile(QString(row.name).mid(3), row.bytes);
        });
        EXPECT_EQ(errors_, QStringList{row.shown}) << row.name;
        EXPECT_EQ(MainForm->windowTitle(), "QorvEdit");
        EXPECT_EQ(MainForm->Map, newLevel());
        EXPECT_TRUE(sameImage(raster(), expectedRaster(newLevel())));
    }
}

// The headless render and the window draw the same pixels for the same level and sheet.
TEST_F(CommandLineStart, TheRenderEqualsTheRasterOfTheOpenedLevel) {
    startEditorOn("../castle.qre", [&] { writeLevel("castle.qre", patternedLevel(9)); });
    ASSERT_TRUE(errors_.isEmpty());
    const QImage rendered = app::renderLevel(path("castle.qre"), path("all.bmp"));
    EXPECT_EQ(rendered.size(), QSize(640, 450));
    EXPECT_TRUE(sameImage(rendered, raster()));
}
