#pragma once
// The keyboard: the tools window's commands as actions with the desktop's standard keys,
// usable in the main window and in the tools window alike. Each action does what its
// button does; Undo and Redo both run the one undo exchange.

class TMainForm;
class TToolsForm;
class QAction;

namespace ui {

struct Shortcuts {
    QAction* New;
    QAction* Open;
    QAction* Save;
    QAction* Undo;
    QAction* Redo;
    QAction* Fill;
    QAction* Select;
    QAction* Brush;
    QAction* Line;
    QAction* EyeDropper;
};

// Creates the actions, owned by the tools window, and adds them to both windows.
Shortcuts addShortcuts(TMainForm& main, TToolsForm& tools);

} // namespace ui
