#pragma once
// Roles for assistive technology where Qt's own would mislead a screen reader: a plain
// QWidget window is no "window" to Qt, the frames that only lay out other controls would be
// announced as windows, and checkable tool buttons are check boxes even in an exclusive
// group. The editor's windows say they are windows, its layout frames are groupings (or
// separators, where they hold nothing), the level's raster is a table of cells
// (AccessibleLevel.h), its other pictures are graphics, and the tool buttons of
// an exclusive group are radio buttons.

namespace ui {

// Once per application, after the QApplication exists.
void installAccessibleRoles();

} // namespace ui
