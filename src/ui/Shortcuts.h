#pragma once
// The keyboard: the tools window's commands as actions with the desktop's standard keys,
// usable in the main window and in the tools window alike. Each action does what its
// button does; Undo and Redo both run the one undo exchange.

class TMainForm;
class TToolsForm;

namespace ui {

// Creates the actions, owned by the tools window, and adds them to both windows.
void addShortcuts(TMainForm& main, TToolsForm& tools);

} // namespace ui
