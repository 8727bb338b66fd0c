#pragma once
// Names for assistive technology. Icon-only buttons and picture controls have no text of
// their own: each gets its hint, or a short name where the hint is a sentence.

class QString;
class QWidget;

namespace ui {

// Names every control of the four windows that has no accessible name yet.
void nameControls();

// A swatch's name says which tile it holds: "Foreground: tile 2".
void nameSwatch(QWidget& swatch, const QString& which, int tile);

} // namespace ui
