#pragma once
// Reading a line of text off the screen without knowing its font: the glyphs of a status
// bar panel, told apart by the empty columns between them.

#include <QImage>

namespace e2e {

struct TextInk {
    int glyphs = 0;           // runs of columns holding dark text pixels
    bool endsInSpace = false; // the column after the last glyph is the panel's empty ground
};

// The text in `panel`, a picture of dark text on a light panel with a frame (whose lines
// are lighter than the text).
TextInk textInk(const QImage& panel);

} // namespace e2e
