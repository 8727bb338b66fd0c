#include "render/ExactPalette.h"

#include <array>
#include <cstdint>

namespace qorv {

namespace {

constexpr int MaxColours = 256;

// Colour -> palette index, open addressing in a table four times the palette, so that
// a look-up rarely probes twice. It runs once per pixel, where QHash would cost more
// than the PNG encoder it saves.
class ColourIndex {
  public:
    // The index of `rgb` (0xRRGGBB), added to `table` when new; -1 once it is full.
    int indexOf(std::uint32_t rgb, QList<QRgb>& table) {
        const std::uint32_t key = rgb + 1; // 0 marks an empty slot
        for (std::uint32_t slot = (rgb * 2654435761u) >> (32 - SlotBits);;
             slot = (slot + 1) & (SlotCount - 1)) {
            if (keys_[slot] == key) return indices_[slot];
            if (keys_[slot] != 0) continue;
            if (table.size() == MaxColours) return -1;
            keys_[slot] = key;
            indices_[slot] = std::uint8_t(table.size());
            table.append(0xFF000000u | rgb);
            return indices_[slot];
        }
    }

  private:
    static constexpr int SlotBits = 10;
    static constexpr std::uint32_t SlotCount = 1u << SlotBits;
    std::array<std::uint32_t, SlotCount> keys_{};
    std::array<std::uint8_t, SlotCount> indices_{};
};

} // namespace

std::optional<QImage> withExactPalette(const QImage& image) {
    if (image.format() != QImage::Format_RGB888) return std::nullopt;
    QImage indexed(image.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    table.reserve(MaxColours);
    ColourIndex colours;
    // QImage's accessors are calls into the library: asked once, not once per pixel.
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        const uchar* in = image.constScanLine(y);
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < width; ++x, in += 3) {
            const int index =
                colours.indexOf(std::uint32_t(in[0]) << 16 | in[1] << 8 | in[2], table);
            if (index < 0) return std::nullopt;
            out[x] = uchar(index);
        }
    }
    indexed.setColorTable(table);
    return indexed;
}

} // namespace qorv
