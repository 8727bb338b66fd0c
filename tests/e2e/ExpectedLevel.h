#pragma once
// What the editor should show and write, worked out by the test on its own: a level of
// 64 x 45 tiles, the picture of it drawn from the synthetic tile sheet, the dotted
// selection outline, and the level file's bytes.

#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace e2e {

inline constexpr int Columns = 64;
inline constexpr int Rows = 45;
inline constexpr int Cell = 10;

struct Level {
    // Column by column, as the editor keeps it: cell (x, y) is byte x * 45 + y.
    std::array<std::uint8_t, Columns * Rows> cells{};

    std::uint8_t& at(int x, int y) { return cells[std::size_t(x * Rows + y)]; }
    std::uint8_t at(int x, int y) const { return cells[std::size_t(x * Rows + y)]; }
    bool operator==(const Level&) const = default;

    // Border of tile 1, interior of tile 0.
    static Level fresh();
    // Every cell a different-looking tile with a character (0..55), shifted by `seed`.
    static Level patterned(int seed);
    // The cells of columns x1..x2 and rows y1..y2 (inclusive) set to `tile`.
    Level& fill(int x1, int y1, int x2, int y2, std::uint8_t tile);
};

// 160 x 160 pixels, each with a colour of its own: red = x, green = y, blue = 77.
QImage tileSheet();
QRgb sheetPixel(int x, int y);

// The 640 x 450 picture of `level`: cell (x, y) shows the 10 x 10 square of its tile t at
// ((t % 16) * 10, (t / 16) * 10) of the sheet.
QImage levelPicture(const Level& level);

// `picture` with the dotted outline of the selection between grid lines (x1, y1) and
// (x2, y2): every pixel with an even x + y on the frame just outside the selected cells
// (columns min * 10 - 1 and max * 10, rows min * 10 - 1 and max * 10) inverted.
QImage withOutline(QImage picture, int x1, int y1, int x2, int y2);

// `picture` with the keyboard's cell cursor on cell (x, y): a frame two pixels wide inside
// the cell, its outer ring yellow and its inner ring black.
QImage withCursor(QImage picture, int x, int y);

// The level file: 45 lines of 64 bytes, each ended by CR LF.
QByteArray levelFile(const Level& level);

// Compares two pictures pixel by pixel (colour only) outside the `hidden` areas, naming
// the first difference.
::testing::AssertionResult samePicture(const QImage& actual, const QImage& expected,
                                       const std::vector<QRect>& hidden = {});

// A tile shown enlarged to `size` x `size`: every pixel comes from the tile's square of the
// sheet, and the first and last pixels are its first and last.
::testing::AssertionResult showsTileEnlarged(const QImage& swatch, int tile, int size);

} // namespace e2e
