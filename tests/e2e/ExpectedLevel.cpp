#include "e2e/ExpectedLevel.h"

#include <algorithm>
#include <string>

namespace e2e {

namespace {

constexpr int SheetSize = 160;
constexpr int SheetBlue = 77;
constexpr int TilesPerRow = 16;
constexpr QRgb ColourBits = 0xffffff;

// The characters of the tiles, run by run: tiles first .. first + count - 1 are written as
// the characters from `character` upwards.
struct CharacterRun {
    int firstTile;
    unsigned char character;
    int count;
};
constexpr CharacterRun CharacterRuns[] = {
    {0, '0', 10}, {10, 'A', 26},  {36, 'a', 13},  {49, 'o', 3},    {52, 's', 1},
    {53, 'w', 3}, {56, 0x7c, 12}, {68, 0x89, 32}, {100, 0xaa, 32}, {132, 0xcb, 12},
};

char characterOf(int tile) {
    for (const CharacterRun& run : CharacterRuns)
        if (tile >= run.firstTile && tile < run.firstTile + run.count)
            return char(run.character + (tile - run.firstTile));
    ADD_FAILURE() << "the test uses tile " << tile << ", which has no character";
    return '?';
}

std::string hex(QRgb colour) {
    return "#" + QString::number(colour & ColourBits, 16).rightJustified(6, '0').toStdString();
}

void invert(QImage& picture, int x, int y) {
    if (!picture.rect().contains(x, y) || (x + y) % 2 != 0) return;
    picture.setPixel(x, y, picture.pixel(x, y) ^ ColourBits);
}

} // namespace

Level Level::fresh() {
    Level level;
    for (int x = 0; x < Columns; ++x)
        for (int y = 0; y < Rows; ++y)
            level.at(x, y) = (x == 0 || y == 0 || x == Columns - 1 || y == Rows - 1) ? 1 : 0;
    return level;
}

Level Level::patterned(int seed) {
    Level level;
    for (int x = 0; x < Columns; ++x)
        for (int y = 0; y < Rows; ++y)
            level.at(x, y) = std::uint8_t((x * 5 + y * 3 + seed) % 56);
    return level;
}

Level& Level::fill(int x1, int y1, int x2, int y2, std::uint8_t tile) {
    for (int x = x1; x <= x2; ++x)
        for (int y = y1; y <= y2; ++y)
            at(x, y) = tile;
    return *this;
}

QRgb sheetPixel(int x, int y) {
    return qRgb(x, y, SheetBlue);
}

QImage tileSheet() {
    QImage sheet(SheetSize, SheetSize, QImage::Format_RGB888);
    for (int y = 0; y < SheetSize; ++y)
        for (int x = 0; x < SheetSize; ++x)
            sheet.setPixel(x, y, sheetPixel(x, y));
    return sheet;
}

QImage levelPicture(const Level& level) {
    QImage picture(Columns * Cell, Rows * Cell, QImage::Format_RGB32);
    for (int x = 0; x < Columns; ++x)
        for (int y = 0; y < Rows; ++y) {
            const int tile = level.at(x, y);
            const int left = (tile % TilesPerRow) * Cell;
            const int top = (tile / TilesPerRow) * Cell;
            for (int dy = 0; dy < Cell; ++dy)
                for (int dx = 0; dx < Cell; ++dx)
                    picture.setPixel(x * Cell + dx, y * Cell + dy, sheetPixel(left + dx, top + dy));
        }
    return picture;
}

QImage withOutline(QImage picture, int x1, int y1, int x2, int y2) {
    const int left = std::min(x1, x2) * Cell - 1;
    const int right = std::max(x1, x2) * Cell;
    const int top = std::min(y1, y2) * Cell - 1;
    const int bottom = std::max(y1, y2) * Cell;
    for (int x = left; x <= right; ++x) {
        invert(picture, x, top);
        invert(picture, x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        invert(picture, left, y);
        invert(picture, right, y);
    }
    return picture;
}

QImage withCursor(QImage picture, int x, int y) {
    for (int dy = 0; dy < Cell; ++dy)
        for (int dx = 0; dx < Cell; ++dx) {
            const bool outer = dx == 0 || dy == 0 || dx == Cell - 1 || dy == Cell - 1;
            const bool inner = dx == 1 || dy == 1 || dx == Cell - 2 || dy == Cell - 2;
            if (outer || inner)
                picture.setPixel(x * Cell + dx, y * Cell + dy,
                                 outer ? qRgb(255, 255, 0) : qRgb(0, 0, 0));
        }
    return picture;
}

QByteArray levelFile(const Level& level) {
    QByteArray bytes;
    for (int y = 0; y < Rows; ++y) {
        for (int x = 0; x < Columns; ++x)
            bytes.append(characterOf(level.at(x, y)));
        bytes.append("\r\n");
    }
    return bytes;
}

::testing::AssertionResult samePicture(const QImage& actual, const QImage& expected,
                                       const std::vector<QRect>& hidden) {
    const auto isHidden = [&](int x, int y) {
        return std::any_of(hidden.begin(), hidden.end(),
                           [&](const QRect& area) { return area.contains(x, y); });
    };
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "the picture is " << actual.width() << " x " << actual.height() << ", not "
               << expected.width() << " x " << expected.height();
    int differences = 0;
    QPoint first;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (!isHidden(x, y) &&
                ((actual.pixel(x, y) ^ expected.pixel(x, y)) & ColourBits) != 0 &&
                differences++ == 0)
                first = QPoint(x, y);
    if (differences == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differences << " pixels differ; the first at (" << first.x() << ", " << first.y()
           << ") is " << hex(actual.pixel(first)) << " instead of " << hex(expected.pixel(first));
}

::testing::AssertionResult showsTileEnlarged(const QImage& swatch, int tile, int size) {
    const int left = (tile % TilesPerRow) * Cell;
    const int top = (tile / TilesPerRow) * Cell;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = swatch.pixel(x, y);
            const bool fromTile = qRed(pixel) >= left && qRed(pixel) < left + Cell &&
                                  qGreen(pixel) >= top && qGreen(pixel) < top + Cell &&
                                  qBlue(pixel) == SheetBlue;
            if (!fromTile)
                return ::testing::AssertionFailure() << "swatch pixel (" << x << ", " << y << ") "
                                                     << hex(pixel) << " is not from tile " << tile;
        }
    const QRgb first = sheetPixel(left, top);
    const QRgb last = sheetPixel(left + Cell - 1, top + Cell - 1);
    if (((swatch.pixel(0, 0) ^ first) & ColourBits) != 0 ||
        ((swatch.pixel(size - 1, size - 1) ^ last) & ColourBits) != 0)
        return ::testing::AssertionFailure()
               << "the swatch of tile " << tile << " does not span the whole tile";
    return ::testing::AssertionSuccess();
}

} // namespace e2e
