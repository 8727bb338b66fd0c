// Where the keyboard and the focus go, with real keys under a window manager: after an
// error box in the level browser, in a freshly opened browser, and in the brush-size field
// when a tile is picked from the palette.

#include "e2e/EditorSession.h"
#include "e2e/Processes.h"

#include "core/Brush.h"
#include "core/Selection.h"

#include <QDir>

#include <cstring>

namespace e2e {
namespace {

class WindowFocus : public EditorSession {
  protected:
    // Opens the level browser and waits until its list has the keyboard focus.
    std::optional<QString> openBrowser() const {
        controlClick(onTools(tools::Open));
        const auto browser = waitForWindow(QStringLiteral("View"));
        if (browser && pollUntil([&] { return focused(*browser); })) return browser;
        return std::nullopt;
    }
    // The preview's picture area, once the preview is shown.
    QRect previewArea() const {
        const auto preview = waitForWindow(QStringLiteral("Preview level"));
        return preview ? geometry(*preview) : QRect();
    }
};

// The box of a level that cannot be read belongs to the browser: once it is dismissed the
// keys go on acting in the list, never on the level being edited behind the preview. The
// first key in a fresh list (Down, Home) selects the first name.
TEST_P(WindowFocus, KeysActInTheBrowserAfterItsErrorBox) {
    const Level alpha = Level::patterned(1);
    const Level gamma = Level::patterned(3);
    writeWorkFile(QStringLiteral("alpha.qre"), levelFile(alpha));
    ASSERT_TRUE(QDir(workPath(QString())).mkdir(QStringLiteral("beta.qre")));
    writeWorkFile(QStringLiteral("gamma.qre"), levelFile(gamma));

    const auto browser = openBrowser();
    ASSERT_TRUE(browser) << "the browser has no focus";
    pressKey(QStringLiteral("Down"));
    const QRect preview = previewArea();
    EXPECT_TRUE(screenShows(preview, levelPicture(alpha))) << "the first name";
    pressKey(QStringLiteral("Down")); // a folder: its error box
    const auto box = waitForBox();
    ASSERT_TRUE(box) << "no error box for the folder";
    ASSERT_TRUE(pollUntil([&] { return focused(*box); })) << "the box has no focus";
    pressKey(QStringLiteral("Return"));
    EXPECT_TRUE(pollUntil([&] { return focused(*browser); })) << "the focus is not back";
    pressKey(QStringLiteral("f")); // Fill, were the main window to take the keys
    pressKey(QStringLiteral("Down"));
    EXPECT_TRUE(screenShows(preview, levelPicture(gamma)));

    ASSERT_TRUE(openBrowser()); // a fresh list again
    pressKey(QStringLiteral("Home"));
    EXPECT_TRUE(screenShows(preview, levelPicture(alpha)));
    xdo({QStringLiteral("windowunmap"), *visibleWindow(QStringLiteral("Preview level"))});
    EXPECT_TRUE(rasterShows(Level::fresh())) << "the level being edited is untouched";
}

// A pick in the palette leaves the focus in the brush-size field, so a typed 30 is not
// brought into range (25) before the field itself is left.
TEST_P(WindowFocus, APalettePickKeepsATypedBrushSize) {
    click(onTools({135, 66})); // the brush-size field
    pressKey(QStringLiteral("ctrl+a"));
    xdo({QStringLiteral("type"), QStringLiteral("30")});
    click(onTools(tools::paletteTile(45)));
    ASSERT_TRUE(swatchesShow(45, 0));
    click(cell(32, 22));
    qorv::LevelGrid grid;
    qorv::ClearFull(grid);
    qorv::applybrush(grid, qorv::selectall(), 32, 22, 30, 45);
    Level level;
    std::memcpy(level.cells.data(), grid.cells.data(), level.cells.size());
    EXPECT_TRUE(rasterShows(level)) << "a disc of size 30";
}

// Focus needs a window manager.
INSTANTIATE_TEST_SUITE_P(Desktops, WindowFocus, ::testing::Values(Desktop::WindowManager),
                         desktopName);

} // namespace
} // namespace e2e
