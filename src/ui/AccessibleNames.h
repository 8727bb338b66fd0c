#pragma once
// Names for assistive technology. Icon-only buttons and picture controls have no text of
// their own: each gets its hint, or a short name where the hint is a sentence.

namespace ui {

// Names every control of the four windows that has no accessible name yet.
void nameControls();

} // namespace ui
