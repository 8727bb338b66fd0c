// Draws the bundled tile sheet: 16 x 16 tiles of 10 x 10 pixels, written as a 24-bit
// BMP. Tiles 0..143 and 202, 244 and 255 are the ones level files can name; the rest
// stay black. Usage: qorv_make_tilesheet <output.bmp>
#include <QColor>
#include <QImage>
#include <QSet>

#include <cstdio>
#include <functional>

namespace {

constexpr int Tile = 10;
constexpr int SheetSide = 16 * Tile;

// Draws into the 10 x 10 square of one tile, coordinates relative to the tile.
class TilePainter {
  public:
    TilePainter(QImage& sheet, int tile)
        : sheet_(sheet), left_((tile % 16) * Tile), top_((tile / 16) * Tile) {}

    void dot(int x, int y, QColor c) {
        if (x >= 0 && x < Tile && y >= 0 && y < Tile) sheet_.setPixelColor(left_ + x, top_ + y, c);
    }
    void each(const std::function<QColor(int, int)>& colourAt) {
        for (int y = 0; y < Tile; ++y)
            for (int x = 0; x < Tile; ++x)
                dot(x, y, colourAt(x, y));
    }

  private:
    QImage& sheet_;
    int left_;
    int top_;
};

void drawFloor(TilePainter& p) {
    const QColor base(54, 50, 62);
    p.each([&](int x, int y) { return (x * 7 + y * 3) % 11 == 0 ? base.lighter(125) : base; });
}

void drawWall(TilePainter& p) {
    // Bricks with light mortar: rows of 4, every other row shifted by half a brick.
    p.each([](int x, int y) {
        const bool mortarRow = y % 5 == 4;
        const bool mortarJoint = ((x + (y / 5) * 3) % 6) == 5;
        if (mortarRow || mortarJoint) return QColor(190, 180, 160);
        return QColor(150 - (x + y) % 3 * 10, 60, 40);
    });
}

void drawGem(TilePainter& p) {
    drawFloor(p);
    for (int y = 0; y < Tile; ++y) {
        for (int x = 0; x < Tile; ++x) {
            const int d = std::abs(x - 4) + std::abs(y - 4);
            if (d <= 4) p.dot(x, y, d <= 1 ? QColor(255, 255, 220) : QColor(255, 215, 0));
        }
    }
}

// The other tiles: a hue from the index's group of eight and one of eight patterns.
QColor hueOf(int group, int lightness) {
    return QColor::fromHsl((group * 47) % 360, 200, lightness);
}

void drawPatterned(TilePainter& p, int tile) {
    const QColor fore = hueOf(tile / 8, 150);
    const QColor back = hueOf(tile / 8, 60);
    const int pattern = tile % 8;
    p.each([&](int x, int y) {
        switch (pattern) {
        case 0:
            return (x == 0 || y == 0 || x == 9 || y == 9) ? back : fore; // block
        case 1:
            return (x + y) % 4 < 2 ? fore : back; // diagonal
        case 2:
            return ((x / 2) + (y / 2)) % 2 ? fore : back; // checker
        case 3:
            return (x - 4) * (x - 4) + (y - 4) * (y - 4) <= 12 ? fore : back; // round
        case 4:
            return (x == 4 || x == 5 || y == 4 || y == 5) ? fore : back; // cross
        case 5:
            return y % 3 == 0 ? fore : back; // bars
        case 6:
            return x % 3 == 0 ? fore : back; // columns
        default:
            return (x % 3 == 1 && y % 3 == 1) ? fore : back; // dots
        }
    });
}

// A 3 x 5 digit in the corner, so that tiles of one pattern read apart at a glance.
void drawDigit(TilePainter& p, int digit, QColor c) {
    static const char* const glyphs[10] = {"111101101101111", "010110010010111", "111001111100111",
                                           "111001111001111", "101101111001001", "111100111001111",
                                           "111100111101111", "111001001001001", "111101111101111",
                                           "111101111001111"};
    for (int i = 0; i < 15; ++i)
        if (glyphs[digit][i] == '1') p.dot(6 + i % 3, 4 + i / 3, c);
}

void drawSpecial(TilePainter& p, int tile) {
    if (tile == 255) { // unknown: black with a red cross
        p.each([](int x, int y) {
            return x == y || x == 9 - y ? QColor(230, 30, 30) : QColor(0, 0, 0);
        });
    } else if (tile == 244) { // a door
        p.each([](int x, int y) {
            if (x == 0 || x == 9 || y == 0) return QColor(90, 60, 30);
            return x == 7 && y == 5 ? QColor(255, 220, 0) : QColor(160, 100, 40);
        });
    } else { // 202: a key
        drawFloor(p);
        for (int x = 1; x <= 8; ++x)
            p.dot(x, 5, QColor(240, 200, 60));
        for (int y = 3; y <= 7; ++y)
            p.dot(1, y, QColor(240, 200, 60));
        p.dot(7, 6, QColor(240, 200, 60));
        p.dot(8, 7, QColor(240, 200, 60));
    }
}

QImage drawSheet() {
    QImage sheet(SheetSide, SheetSide, QImage::Format_RGB888);
    sheet.fill(Qt::black);
    for (int tile = 0; tile < 256; ++tile) {
        TilePainter p(sheet, tile);
        if (tile == 0)
            drawFloor(p);
        else if (tile == 1)
            drawWall(p);
        else if (tile == 2)
            drawGem(p);
        else if (tile <= 143) {
            drawPatterned(p, tile);
            drawDigit(p, tile % 10, tile % 8 == 0 ? QColor(20, 20, 20) : QColor(250, 250, 250));
        } else if (tile == 202 || tile == 244 || tile == 255)
            drawSpecial(p, tile);
    }
    return sheet;
}

// Every tile that a level can name must be told apart from every other.
bool tilesAreDistinct(const QImage& sheet) {
    QSet<QByteArray> seen;
    for (int tile = 0; tile < 256; ++tile) {
        if (tile > 143 && tile != 202 && tile != 244 && tile != 255) continue;
        const QImage square = sheet.copy((tile % 16) * Tile, (tile / 16) * Tile, Tile, Tile);
        const QByteArray bytes(reinterpret_cast<const char*>(square.constBits()),
                               square.sizeInBytes());
        if (seen.contains(bytes)) {
            std::fprintf(stderr, "tile %d repeats another tile\n", tile);
            return false;
        }
        seen.insert(bytes);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.bmp>\n", argv[0]);
        return 2;
    }
    const QImage sheet = drawSheet().convertToFormat(QImage::Format_RGB888);
    if (!tilesAreDistinct(sheet)) return 1;
    if (!sheet.save(QString::fromLocal8Bit(argv[1]), "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
