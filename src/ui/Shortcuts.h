#pragma once
// The keyboard: the tools window's commands as actions with the desktop's standard keys,
// usable in the main window and in the tools window alike. Each action does what its
// button does; Undo and Redo both run the one undo exchange. The level browser and the
// preview have none: their keys are their own.

#include <QKeySequence>
#include <QList>

#include <functional>

class QAction;
class QString;
class QWidget;
class TMainForm;
class TToolsForm;

namespace ui {

// An action of both windows, owned by the tools window, that runs `run` guarded (its error
// in the tools window's box), never while a button is held in the editing window.
QAction* addCommand(TMainForm& main, TToolsForm& tools, const QString& text,
                    const QList<QKeySequence>& shortcuts, std::function<void()> run);

// Creates the actions, owned by the tools window, and adds them to both windows. Their keys
// win over the control with the focus, such as the brush-size field.
void addShortcuts(TMainForm& main, TToolsForm& tools);

// Keeps every shortcut out of `window`, a tool window of the main window: Qt keeps a
// window's shortcuts live while a tool window it owns is active, and there a letter must
// reach the window's own control (the list's type-ahead), never change the level.
void keepKeysWithin(QWidget& window);

} // namespace ui
