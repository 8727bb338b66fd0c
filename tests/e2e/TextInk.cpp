#include "e2e/TextInk.h"

#include <QColor>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

namespace e2e {

namespace {

// Dark enough for the core of a glyph; anti-aliased edges and frame lines are lighter.
bool isInk(QRgb pixel) {
    return qGray(pixel) < 110;
}

// The panel's ground: its most common colour.
QRgb groundColour(const QImage& panel) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < panel.height(); ++y)
        for (int x = 0; x < panel.width(); ++x)
            ++counts[panel.pixel(x, y) | 0xff000000u];
    QRgb ground = 0;
    int most = 0;
    for (const auto& [colour, count] : counts)
        if (count > most) std::tie(ground, most) = std::tie(colour, count);
    return ground;
}

} // namespace

TextInk textInk(const QImage& panel) {
    std::vector<bool> inkColumn(std::size_t(panel.width()), false);
    int top = panel.height(), bottom = -1;
    for (int y = 0; y < panel.height(); ++y)
        for (int x = 0; x < panel.width(); ++x)
            if (isInk(panel.pixel(x, y))) {
                inkColumn[std::size_t(x)] = true;
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    TextInk ink;
    int last = -1;
    for (int x = 0; x < panel.width(); ++x) {
        if (!inkColumn[std::size_t(x)]) continue;
        if (x == 0 || !inkColumn[std::size_t(x - 1)]) ++ink.glyphs;
        last = x;
    }
    if (last < 0 || last + 2 >= panel.width() || top < 1 || bottom + 1 >= panel.height())
        return ink;
    // Right of the text lies the panel's ground, not its frame: a text cut off by its panel
    // ends right at the frame's line, which runs on above and below the text's rows (the
    // glyphs' lighter edges may lie beside the text, but not above or below it).
    const QRgb ground = groundColour(panel);
    ink.endsInSpace = true;
    for (int x = last + 1; x <= last + 2; ++x)
        for (int y : {top - 1, bottom + 1})
            if ((panel.pixel(x, y) | 0xff000000u) != ground) ink.endsInSpace = false;
    return ink;
}

} // namespace e2e
