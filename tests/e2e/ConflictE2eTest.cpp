// A level a merge left conflicted, resolved in the running editor as a user would: opened
// through the Open dialog, theirs taken for the conflict under the pointer and ours for the
// rest by keys, one take undone and redone, saved: the file holds the level without markers.

#include "e2e/EditorSession.h"

namespace e2e {
namespace {

class Conflicts : public EditorSession {};

constexpr qsizetype LevelFileSize = 45 * 66;

// The file git leaves: the rows of `ours` and `theirs` that differ between markers.
QByteArray conflictedFile(const Level& ours, const Level& theirs) {
    const QList<QByteArray> mine = levelFile(ours).split('\n'),
                            other = levelFile(theirs).split('\n');
    QByteArray file;
    for (int y = 0; y < Rows; ++y) {
        const QByteArray row = mine[y] + '\n';
        if (mine[y] == other[y])
            file += row;
        else
            file += "<<<<<<< ours\r\n" + row + "=======\r\n" + other[y] + "\n>>>>>>> theirs\r\n";
    }
    return file;
}

// `picture` with cell (x, y) framed: its outer ring of pixels yellow, the next ring black.
QImage framed(QImage picture, std::initializer_list<QPoint> cells) {
    for (const QPoint cell : cells)
        for (int dy = 0; dy < Cell; ++dy)
            for (int dx = 0; dx < Cell; ++dx) {
                const int ring = std::min({dx, dy, Cell - 1 - dx, Cell - 1 - dy});
                if (ring < 2)
                    picture.setPixel(cell.x() * Cell + dx, cell.y() * Cell + dy,
                                     ring == 0 ? qRgb(255, 255, 0) : qRgb(0, 0, 0));
            }
    return picture;
}

TEST_P(Conflicts, TheirsForOneOursForTheRestSavedWithoutMarkers) {
    Level ours = Level::fresh(), theirs = Level::fresh();
    ours.at(5, 3) = 10;
    theirs.at(5, 3) = 12;
    ours.at(20, 10) = 2;
    theirs.at(20, 10) = 3;
    writeWorkFile(QStringLiteral("conflict.qre"), conflictedFile(ours, theirs));

    click(onTools(tools::Open));
    ASSERT_NO_FATAL_FAILURE(
        answerFileDialog(QStringLiteral("Open"), workPath(QStringLiteral("conflict.qre"))));
    const QImage opened = framed(levelPicture(ours), {{5, 3}, {20, 10}});
    ASSERT_TRUE(rasterShows(opened));

    moveAndWaitForStatus(cell(5, 3));
    pressKey(QStringLiteral("t"));
    Level taken = ours;
    taken.at(5, 3) = 12;
    EXPECT_TRUE(rasterShows(framed(levelPicture(taken), {{20, 10}})));
    pressKey(QStringLiteral("ctrl+z")); // the tile and its frame come back
    EXPECT_TRUE(rasterShows(opened));
    pressKey(QStringLiteral("ctrl+y"));
    EXPECT_TRUE(rasterShows(framed(levelPicture(taken), {{20, 10}})));
    pressKey(QStringLiteral("ctrl+shift+o"));
    EXPECT_TRUE(rasterShows(taken));

    click(onTools(tools::Save));
    ASSERT_NO_FATAL_FAILURE(
        answerFileDialog(QStringLiteral("Save As"), QStringLiteral("resolved")));
    EXPECT_EQ(waitForWorkFile(QStringLiteral("resolved.qre"), LevelFileSize), levelFile(taken));
}

INSTANTIATE_TEST_SUITE_P(Desktops, Conflicts, ::testing::Values(Desktop::WindowManager),
                         desktopName);

} // namespace
} // namespace e2e
