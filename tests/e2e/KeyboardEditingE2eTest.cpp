// Editing with the keyboard alone under a window manager: the cell cursor moved, a selection
// spanned, stamps of two sizes, a tile picked by number and one under the cursor, Undo and
// Save, every step checked on the screen and the file against the level worked out here.

#include "e2e/EditorSession.h"
#include "e2e/Processes.h"

namespace e2e {
namespace {

class KeyboardEditing : public EditorSession {
  protected:
    // The window manager's own activation (as Alt+Tab would): no pixel of the raster changes.
    void focusMainWindow() const {
        const auto main = visibleWindow(QStringLiteral("QorvEdit"));
        ASSERT_TRUE(main);
        xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), *main});
        ASSERT_TRUE(pollUntil([&] { return focused(*main); }));
    }
    void keys(const QString& names) const {
        for (const QString& key : names.split(' '))
            pressKey(key);
    }
};

// A disc stamp as the brush makes it: the cells of the interior and of the selection (when
// one is shown) no farther than size / 2 from the centre.
void stamp(Level& level, int cx, int cy, int size, std::uint8_t tile, QRect selection = {}) {
    for (int x = 1; x < Columns - 1; ++x)
        for (int y = 1; y < Rows - 1; ++y) {
            const int dx = x - cx, dy = y - cy;
            const bool inSelection = selection.isNull() || selection.contains(x, y);
            if (4 * (dx * dx + dy * dy) <= size * size && inSelection) level.at(x, y) = tile;
        }
}

TEST_P(KeyboardEditing, ALevelMadeWithKeysAloneSavesToTheLevelShown) {
    Level level = Level::fresh();
    ASSERT_TRUE(rasterShows(level));
    ASSERT_NO_FATAL_FAILURE(focusMainWindow());
    ASSERT_TRUE(rasterShows(level)); // focused, the raster still shows the level alone

    // The cursor starts on the first interior cell; three keys take it to (3, 2).
    keys(QStringLiteral("Right Right Down"));
    ASSERT_TRUE(rasterShows(withCursor(levelPicture(level), 3, 2)));
    pressKey(QStringLiteral("space"));
    stamp(level, 3, 2, 1, 2);
    ASSERT_TRUE(rasterShows(withCursor(levelPicture(level), 3, 2)));

    // Tile 45 by number; a selection of columns 4..6 and rows 2..4 bounds a stamp of size 5.
    keys(QStringLiteral("4 5 Return Right shift+Right shift+Right shift+Down shift+Down"));
    const auto outlined = [&](int x, int y) {
        return withCursor(withOutline(levelPicture(level), 4, 2, 7, 5), x, y);
    };
    ASSERT_TRUE(rasterShows(outlined(6, 4)));
    keys(QStringLiteral("plus plus plus plus Left Up space"));
    stamp(level, 5, 3, 5, 45, QRect(4, 2, 3, 3));
    ASSERT_TRUE(rasterShows(outlined(5, 3)));
    ASSERT_TRUE(swatchesShow(45, 0));

    // Escape drops the selection; I takes tile 2 back from (3, 2); a stamp of size 5 at
    // (3, 5), taken back by Undo.
    keys(QStringLiteral("Escape Left Left Up i"));
    ASSERT_TRUE(swatchesShow(2, 0));
    ASSERT_TRUE(rasterShows(withCursor(levelPicture(level), 3, 2)));
    keys(QStringLiteral("Down Down Down space"));
    Level stamped = level;
    stamp(stamped, 3, 5, 5, 2);
    ASSERT_TRUE(rasterShows(withCursor(levelPicture(stamped), 3, 5)));
    pressKey(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(rasterShows(withCursor(levelPicture(level), 3, 5)));

    pressKey(QStringLiteral("ctrl+s"));
    ASSERT_NO_FATAL_FAILURE(answerFileDialog(QStringLiteral("Save As"), QStringLiteral("keys")));
    EXPECT_EQ(waitForWorkFile(QStringLiteral("keys.qre"), Rows * (Columns + 2)), levelFile(level));
}

INSTANTIATE_TEST_SUITE_P(Desktops, KeyboardEditing, ::testing::Values(Desktop::WindowManager),
                         desktopName);

} // namespace
} // namespace e2e
