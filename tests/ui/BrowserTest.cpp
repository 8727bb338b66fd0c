// The level browser and its preview: opened by Control-click on Open, listing the level
// files of the working directory, previewing the one selected without touching the edit.

#include "EditorFixture.h"

#include "levelio/LevelFile.h"

#include <QListWidget>

#include <sys/stat.h>

using namespace testing_ui;

class BrowserTest : public EditorFixture {
  protected:
    void saveLevel(const QString& name, const qorv::LevelGrid& grid) {
        qorv::saveQRE(path(name).toStdString(), grid);
    }
    static QImage preview() { return View1->Image->picture(); }
};

TEST_F(BrowserTest, ControlClickOpensTheBrowserAndNoDialog) {
    const int dialogs = dialogs_.fileDialogs;
    openBrowser();
    EXPECT_TRUE(ViewForm->isVisible());
    EXPECT_EQ(dialogs_.fileDialogs, dialogs);
    EXPECT_FALSE(View1->isVisible());

    dialogs_.nextFileName = std::nullopt;
    clickButton(ToolsForm->ToolButton2);
    EXPECT_EQ(dialogs_.fileDialogs, dialogs + 1) << "a plain click opens the dialog";
    EXPECT_TRUE(ViewForm->isVisible()) << "and leaves the browser as it was";
}

TEST_F(BrowserTest, OpensUnderTheToolsWindowDownTo30PixelsAboveTheScreensBottom) {
    ViewForm->move(400, 300);
    ViewForm->resize(250, 100); // the user's width stays
    openBrowser();
    const QRect tools = ToolsForm->frameGeometry();
    EXPECT_EQ(ViewForm->frameGeometry().topLeft(), QPoint(tools.left(), tools.bottom() + 1));
    EXPECT_EQ(ViewForm->frameGeometry().height(),
              platform::screenSize().height() - (tools.bottom() + 1) - 30);
    EXPECT_EQ(ViewForm->width(), 250);

    ToolsForm->move(30, 40);
    ViewForm->move(500, 10);
    ViewForm->resize(260, 90);
    openBrowser();
    EXPECT_EQ(ViewForm->frameGeometry().topLeft(), QPoint(30, 40 + tools.height()));
    EXPECT_EQ(ViewForm->frameGeometry().height(),
              platform::screenSize().height() - (40 + tools.height()) - 30);
    EXPECT_EQ(ViewForm->width(), 260);

    // Where the user then puts it, it stays, also when it is shown again.
    ViewForm->move(500, 10);
    ViewForm->hide();
    ViewForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ViewForm));
    EXPECT_EQ(ViewForm->pos(), QPoint(500, 10));
}

TEST(BrowserHeight, FillsTheScreenBelowTheToolsWindowWithAFloor) {
    const std::tuple<int, int, int> rows[] = {
        {768, 200, 538}, {600, 176, 394}, {768, 700, 120}, {768, 768, 120}, {480, 2000, 120}};
    for (const auto& [screen, top, height] : rows)
        EXPECT_EQ(browserHeight(screen, top), height);
}

TEST(BrowserTop, RightBelowTheToolsWindowOrUpWhereTheMinimumWouldNotFit) {
    const std::tuple<int, int, int> rows[] = {
        // screen height, bottom of the tools window's frame, top of the browser's frame
        {768, 200, 200},  {768, 618, 618}, {768, 619, 618}, {768, 827, 618},
        {768, 2000, 618}, {600, 176, 176}, {480, 830, 330}, {480, -50, -50}};
    for (const auto& [screen, toolsBottom, top] : rows) {
        EXPECT_EQ(browserTop(screen, toolsBottom), top) << screen << ", " << toolsBottom;
        EXPECT_LE(top + browserHeight(screen, top), screen - 30) << "ends above the bottom";
    }
}

TEST_F(BrowserTest, ListsEveryLevelEntryInSortedOrder) {
    for (const char* name : {"zeta.qre", "Alpha.qre", "beta.qre", ".hidden.qre", "B.QRE",
                             "notes.txt", "old.qrl", "qre", "mid.qre.bak"})
        writeFile(name, "x");
    QDir(path("")).mkdir("folder.qre");
    openBrowser();
    QStringList expected{"zeta.qre", "Alpha.qre", "beta.qre", ".hidden.qre", "B.QRE", "folder.qre"};
    expected.sort();
    EXPECT_EQ(listed(), expected);
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(BrowserTest, AnEmptyFolderGivesAnEmptyListAndNoMessage) {
    QFile::remove(path("all.bmp"));
    openBrowser();
    EXPECT_EQ(ViewForm->LBox->count(), 0);
    EXPECT_TRUE(ViewForm->isVisible());
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(BrowserTest, SelectingALevelPreviewsItWithoutTouchingTheEdit) {
    saveLevel("one.qre", patternedLevel(1));
    saveLevel("two.qre", patternedLevel(2));
    MainForm->Map = patternedLevel(7);
    MainForm->BackupMap = patternedLevel(8);
    MainForm->Sel = {3, 3, 9, 9, true};
    MainForm->drawall();
    const QImage editing = raster();
    MainForm->move(123, 45);
    View1->move(600, 500);

    openBrowser();
    select("two.qre");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
    EXPECT_EQ(MainForm->PreviewMap, patternedLevel(2));
    EXPECT_TRUE(sameImage(preview(), expectedRaster(patternedLevel(2))));
    EXPECT_TRUE(View1->isVisible());
    EXPECT_EQ(View1->pos(), QPoint(123, 45));

    EXPECT_EQ(MainForm->Map, patternedLevel(7));
    EXPECT_EQ(MainForm->BackupMap, patternedLevel(8));
    EXPECT_EQ(MainForm->Sel, (qorv::Selection{3, 3, 9, 9, true}));
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit");
    EXPECT_TRUE(sameImage(raster(), editing));
}

// From a freshly opened list on: the first Down or Home selects the first name.
TEST_F(BrowserTest, ArrowKeysPreviewEachLevelPassedOver) {
    for (int i = 1; i <= 3; ++i)
        saveLevel(QString("level%1.qre").arg(i), patternedLevel(i));
    for (const Qt::Key first : {Qt::Key_Down, Qt::Key_Home}) {
        openBrowser();
        QList<qorv::LevelGrid> seen;
        for (const Qt::Key key : {first, Qt::Key_Down, Qt::Key_Down, Qt::Key_Home}) {
            QTest::keyClick(ViewForm->LBox, key);
            seen << MainForm->PreviewMap;
        }
        EXPECT_EQ(seen, QList<qorv::LevelGrid>({patternedLevel(1), patternedLevel(2),
                                                patternedLevel(3), patternedLevel(1)}));
    }
    EXPECT_TRUE(sameImage(preview(), expectedRaster(patternedLevel(1))));
}

TEST_F(BrowserTest, ALevelThatCannotBeReadKeepsThePreviousPicture) {
    saveLevel("good.qre", patternedLevel(4));
    saveLevel("gone.qre", patternedLevel(5));
    writeFile("short.qre", "123\r\n");
    QDir(path("")).mkdir("dir.qre");
    ASSERT_EQ(::mkfifo(path("pipe.qre").toLocal8Bit().constData(), 0644), 0);
    openBrowser();
    select("good.qre");
    QFile::remove(path("gone.qre"));
    const std::pair<const char*, const char*> rows[] = {{"gone.qre", "File not found."},
                                                        {"short.qre", "Read beyond end of file."},
                                                        {"dir.qre", "File access denied."},
                                                        {"pipe.qre", "File access denied."}};
    for (const auto& [name, message] : rows) {
        errors_.clear();
        View1->move(700, 700);
        select(name);
        EXPECT_EQ(errors_, QStringList{message}) << name;
        EXPECT_EQ(dialogs_.lastOwner, ViewForm) << "the focus goes back to the list";
        EXPECT_EQ(MainForm->PreviewMap, patternedLevel(4)) << name;
        EXPECT_TRUE(sameImage(preview(), expectedRaster(patternedLevel(4)))) << name;
        EXPECT_EQ(View1->pos(), MainForm->pos()) << "moved before the read";
    }
}

TEST_F(BrowserTest, NoSelectionReportsTheIndexWithoutAFullStop) {
    saveLevel("a.qre", patternedLevel(1));
    openBrowser();
    select("a.qre");
    View1->close();
    // Control-click on the selected item clears the selection.
    const QRect box = ViewForm->LBox->visualItemRect(ViewForm->LBox->item(0));
    QTest::mouseClick(ViewForm->LBox->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      box.center());
    EXPECT_EQ(errors_, QStringList{"List index out of bounds (-1)"});
    EXPECT_FALSE(View1->isVisible());
}

TEST_F(BrowserTest, ClosingTheBrowserClosesThePreviewButNotTheOtherWayRound) {
    saveLevel("a.qre", patternedLevel(1));
    saveLevel("b.qre", patternedLevel(2));
    openBrowser();
    select("a.qre");
    View1->close();
    EXPECT_TRUE(ViewForm->isVisible());
    select("b.qre");
    EXPECT_TRUE(View1->isVisible()) << "the next selection shows the preview again";
    ViewForm->close();
    EXPECT_FALSE(ViewForm->isVisible());
    EXPECT_FALSE(View1->isVisible());
    EXPECT_NE(ViewForm, nullptr) << "hidden, not destroyed";
}

TEST_F(BrowserTest, ReopeningRebuildsTheListFromScratch) {
    saveLevel("a.qre", patternedLevel(1));
    openBrowser();
    select("a.qre");
    saveLevel("b.qre", patternedLevel(2));
    QFile::remove(path("a.qre"));
    openBrowser();
    EXPECT_EQ(listed(), QStringList{"b.qre"});
    EXPECT_TRUE(ViewForm->LBox->selectedItems().isEmpty());
    EXPECT_TRUE(errors_.isEmpty()) << "rebuilding is not a selection";
}
