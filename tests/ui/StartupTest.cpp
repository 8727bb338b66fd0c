// The editor as it stands right after start-up, and start-up without a usable tile sheet.

#include "EditorFixture.h"

#include "levelio/LevelFile.h"
#include "ui/SpinEdit.h"

#include <QWindow>

using namespace testing_ui;

class StartupTest : public EditorFixture {};

TEST_F(StartupTest, WindowsStandWhereAndHowTheyShould) {
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
    EXPECT_EQ(ToolsForm->pos(), QPoint(0, 0));
    EXPECT_TRUE(ToolsForm->isVisible());
    EXPECT_TRUE(ToolsForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(ToolsForm->windowType(), Qt::Tool);
    EXPECT_EQ(ToolsForm->parentWidget(), MainForm) << "transient for the main window";
    EXPECT_EQ(ToolsForm->size(), QSize(163, 176));
    EXPECT_EQ(ToolsForm->windowTitle(), "Tools");

    EXPECT_EQ(MainForm->pos(), mainWindowPlacement(platform::screenSize()));
    EXPECT_EQ(MainForm->size(), QSize(640, 450));
    EXPECT_EQ(MainForm->Image->geometry(), QRect(0, 0, 640, 450));
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit");
    EXPECT_TRUE(MainForm->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(MainForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(MainForm->minimumSize(), MainForm->maximumSize()) << "not resizable";

    EXPECT_FALSE(ViewForm->isVisible());
    EXPECT_FALSE(View1->isVisible());
    EXPECT_EQ(View1->Image->picture().size(), QSize(640, 450));
    EXPECT_EQ(View1->size(), QSize(640, 450));
}

// Window managers and compositors keep a window above the one it is transient for.
TEST_F(StartupTest, ToolWindowsAreTransientForTheMainWindow) {
    qorv::saveQRE(path("one.qre").toStdString(), patternedLevel(1));
    openBrowser();
    select("one.qre");
    for (QWidget* window : {static_cast<QWidget*>(ToolsForm), static_cast<QWidget*>(ViewForm),
                            static_cast<QWidget*>(View1)}) {
        ASSERT_TRUE(window->isVisible() && window->windowHandle());
        EXPECT_EQ(window->windowHandle()->transientParent(), MainForm->windowHandle())
            << window->objectName().toStdString();
    }
}

TEST_F(StartupTest, EditingStateIsTheDefault) {
    EXPECT_EQ(MainForm->CurrentTool, toolBrush);
    EXPECT_TRUE(ToolsForm->ToolButton12->isChecked());
    EXPECT_EQ(MainForm->BrushSize, 1);
    EXPECT_EQ(ToolsForm->SpinEdit1->value(), 1);
    EXPECT_EQ(MainForm->ForeTile, 2);
    EXPECT_EQ(MainForm->BackTile, 0);
    EXPECT_EQ(MainForm->Sel, qorv::selectall());
    EXPECT_FALSE(MainForm->Dragging);

    qorv::LevelGrid fresh;
    qorv::ClearFull(fresh);
    EXPECT_EQ(MainForm->Map, fresh);
    EXPECT_EQ(MainForm->BackupMap, qorv::LevelGrid{}) << "no backup is taken at start-up";
    EXPECT_EQ(MainForm->PreviewMap, qorv::LevelGrid{});
    EXPECT_TRUE(sameImage(raster(), expectedRaster(fresh))) << "the new level, with no outline";
    EXPECT_EQ(panel(0), "");
    EXPECT_EQ(panel(1), "");
}

TEST(Placement, OnlyA640By480ScreenPutsTheWindowInTheCorner) {
    struct Row {
        QSize screen;
        QPoint place;
    };
    const Row rows[] = {
        {{640, 480}, {-2, -19}}, {{800, 600}, {160, 0}}, {{1024, 768}, {160, 0}},
        {{640, 400}, {160, 0}},  {{480, 640}, {160, 0}}, {{641, 480}, {160, 0}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(mainWindowPlacement(row.screen), row.place)
            << row.screen.width() << "x" << row.screen.height();
}

class BrokenSheetTest : public EditorFixture,
                        public ::testing::WithParamInterface<std::pair<bool, const char*>> {
  protected:
    void SetUp() override { startEditor(GetParam().first ? Sheet::Missing : Sheet::Invalid); }
};

TEST_P(BrokenSheetTest, ShowsTheMessageTwiceAndKeepsRunning) {
    const QString message = GetParam().second;
    EXPECT_EQ(errors_, QStringList({message, message}));
    EXPECT_EQ(MainForm->size(), QSize(425, 292)) << "layout size kept";
    EXPECT_EQ(MainForm->pos(), QPoint(253, 166)) << "layout place kept";
    EXPECT_EQ(raster().size(), QSize(1, 1));
    const QImage shown = MainForm->Image->grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.rect().bottomRight()), MainForm->palette().button().color())
        << "beyond the picture";
    EXPECT_EQ(MainForm->Map, qorv::LevelGrid{}) << "no level was made";
    EXPECT_EQ(MainForm->ForeTile, 2);
    EXPECT_EQ(MainForm->CurrentTool, toolBrush);
    EXPECT_EQ(ToolsForm->pos(), QPoint(0, 0));
    EXPECT_TRUE(ToolsForm->isVisible());

    // Still usable: New makes a level, Save writes it.
    clickButton(ToolsForm->ToolButton1);
    qorv::LevelGrid fresh;
    qorv::ClearFull(fresh);
    EXPECT_EQ(MainForm->Map, fresh);
    dialogs_.nextFileName = path("saved");
    clickButton(ToolsForm->ToolButton3);
    EXPECT_EQ(readFile("saved.qre").size(), 2970);
    EXPECT_EQ(errors_.size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Sheets, BrokenSheetTest,
                         ::testing::Values(std::make_pair(true, "Cannot open file all.bmp."),
                                           std::make_pair(false, "Bitmap image is not valid.")));

// The tile sheet: the working directory's, else the installed one, else the name whose
// load reports it missing.
TEST_F(StartupTest, TheTileSheetIsTheWorkingDirectorysThenTheInstalledOne) {
    const QString installed = path("share");
    QDir().mkpath(installed);
    EXPECT_EQ(platform::tileSheetName(installed), "all.bmp");
    QFile::rename(path("all.bmp"), installed + "/all.bmp");
    EXPECT_EQ(platform::tileSheetName(installed), installed + "/all.bmp");
    QFile::remove(installed + "/all.bmp");
    EXPECT_EQ(platform::tileSheetName(installed), "all.bmp");
}

TEST(ErrorBox, AddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    const std::pair<QString, QString> rows[] = {
        {"File not found", "File not found."},
        {"I/O error 13", "I/O error 13."},
        {"List index out of bounds (-1)", "List index out of bounds (-1)"},
        {"Done.", "Done."},
        {"Odd,", "Odd,"},
        {"", ""},
    };
    for (const auto& [message, shown] : rows)
        EXPECT_EQ(platform::errorBoxText(message), shown);
}
