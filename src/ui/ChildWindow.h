#pragma once
// The tools window, the level browser and the preview are children of the main window:
// transient for it (WM_TRANSIENT_FOR on X11, xdg_toplevel.set_parent on Wayland), so that
// window managers and compositors keep them above it. Qt names a window's transient parent
// when it makes the window's native window, from the parent's native window: the main
// window's must therefore exist first.

class QWidget;

namespace ui {

// Shows `window`, a child window of an existing main window. On Wayland a window names its
// parent only while the parent is on the screen: a child shown before the main window
// appears waits for it, and follows it at once.
void showAsChild(QWidget& window);

} // namespace ui
