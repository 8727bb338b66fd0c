// Window placement on screens of given sizes. ctest runs these once per screen file in
// tests/ui/screens/, giving Qt's offscreen platform that screen through QT_QPA_PLATFORM's
// configfile option; the file is named after the screen's size.

#include "EditorFixture.h"

#include <QRegularExpression>

using namespace testing_ui;

class ScreenSizeTest : public EditorFixture {
  protected:
    void SetUp() override {
        static const QRegularExpression screenFile(
            QStringLiteral("configfile=.*/(\\d+)x(\\d+)\\.json"));
        const auto size = screenFile.match(QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM")));
        if (!size.hasMatch()) GTEST_SKIP() << "run by ctest with a screen file";
        screen_ = QSize(size.captured(1).toInt(), size.captured(2).toInt());
        EditorFixture::SetUp();
    }
    QSize screen_;
};

TEST_F(ScreenSizeTest, MainWindowAndBrowserArePlacedForTheScreen) {
    ASSERT_EQ(platform::screenSize(), screen_);
    const QPoint mainPlace = screen_ == QSize(640, 480) ? QPoint(-2, -19) : QPoint(160, 0);
    EXPECT_EQ(MainForm->pos(), mainPlace);
    EXPECT_EQ(ToolsForm->pos(), QPoint(0, 0));

    openBrowser();
    const QRect tools = ToolsForm->frameGeometry();
    const int top = tools.bottom() + 1;
    EXPECT_EQ(ViewForm->frameGeometry().topLeft(), QPoint(0, top));
    EXPECT_EQ(ViewForm->frameGeometry().height(), std::max(screen_.height() - top - 30, 120));
}

TEST_F(ScreenSizeTest, UnderALowToolsWindowTheBrowserEnds30PixelsAboveTheBottom) {
    for (const int toolsTop : {screen_.height() - 118, 650}) {
        ToolsForm->move(0, toolsTop);
        openBrowser();
        const QRect browser = ViewForm->frameGeometry();
        EXPECT_EQ(browser.height(), 120) << toolsTop;
        EXPECT_EQ(browser.bottom() + 1, screen_.height() - 30) << toolsTop;
        EXPECT_EQ(browser.left(), 0) << toolsTop;
    }
}
