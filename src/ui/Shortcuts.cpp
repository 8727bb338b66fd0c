#include "ui/Shortcuts.h"

#include "ui/Handler.h"
#include "ui/MainUnit.h"
#include "ui/Tools.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QToolButton>

namespace ui {

namespace {

// The desktop's own bindings for a standard key, followed by `extra` ones it lacks.
QList<QKeySequence> keys(QKeySequence::StandardKey standard, QList<QKeySequence> extra = {}) {
    QList<QKeySequence> all = QKeySequence::keyBindings(standard);
    for (const QKeySequence& key : extra)
        if (!all.contains(key)) all << key;
    return all;
}

} // namespace

QAction* addCommand(TMainForm& main, TToolsForm& tools, const QString& text,
                    const QList<QKeySequence>& shortcuts, std::function<void()> run) {
    auto* act = new QAction(text, &tools);
    act->setShortcuts(shortcuts);
    act->setShortcutContext(Qt::WindowShortcut);
    // While a button is held in the editing window a stroke or a selection drag is under
    // way, and no button of the tools window can be reached either: a key then must not
    // change the tool, the level or the selection under the drag.
    QObject::connect(act, &QAction::triggered, &tools,
                     guarded({tools, tools.dialogs()}, [&main, run] {
                         if (!main.Dragging) run();
                     }));
    main.addAction(act);
    tools.addAction(act);
    return act;
}

namespace {

// A button's own click: its handler, and for a tool button the group's check state too.
auto clickOf(QToolButton* button) {
    return [button] { button->click(); };
}

// Claims each key before the shortcuts are asked: Qt then gives it to the focused control.
class KeysStayWithin : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) return false;
        event->accept();
        return true;
    }
};

// Gives the window's own shortcuts precedence over the control with the focus: the brush-size
// field, a line edit, would otherwise claim Control+Z for undoing its text and the letters
// for typing, and the level's command would never run.
class ShortcutsBeforeControls : public QObject {
  public:
    ShortcutsBeforeControls(QWidget& window) : QObject(&window), window_(window) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) return false;
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* act : window_.actions()) {
            // Kept from the control and left unclaimed (Qt sends it unaccepted): Qt runs the
            // shortcut.
            if (act->shortcuts().contains(pressed)) return true;
        }
        return false;
    }

  private:
    QWidget& window_;
};

void putShortcutsFirst(QWidget& window) {
    auto* filter = new ShortcutsBeforeControls(window);
    for (QWidget* control : window.findChildren<QWidget*>())
        if (control->focusPolicy() != Qt::NoFocus) control->installEventFilter(filter);
}

} // namespace

void keepKeysWithin(QWidget& window) {
    window.installEventFilter(new KeysStayWithin(&window));
}

void addShortcuts(TMainForm& main, TToolsForm& tools) {
    auto add = [&](const QString& text, const QList<QKeySequence>& shortcuts, auto run) {
        addCommand(main, tools, text, shortcuts, run);
    };
    add(QStringLiteral("New"), keys(QKeySequence::New), clickOf(tools.ToolButton1));
    // Open's key holds Control, which on the button means the level browser: the key goes
    // straight to the open dialog.
    add(QStringLiteral("Open"), keys(QKeySequence::Open), [&tools] { tools.openWithDialog(); });
    add(QStringLiteral("Save"), keys(QKeySequence::Save), clickOf(tools.ToolButton3));
    add(QStringLiteral("Undo"), keys(QKeySequence::Undo), clickOf(tools.ToolButton5));
    add(QStringLiteral("Redo"),
        keys(QKeySequence::Redo,
             {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}),
        clickOf(tools.ToolButton6));
    add(QStringLiteral("Fill"), {QKeySequence(Qt::Key_F)}, clickOf(tools.ToolButton10));
    add(QStringLiteral("Select"), {QKeySequence(Qt::Key_S)}, clickOf(tools.ToolButton11));
    add(QStringLiteral("Brush"), {QKeySequence(Qt::Key_B)}, clickOf(tools.ToolButton12));
    add(QStringLiteral("Line"), {QKeySequence(Qt::Key_L)}, clickOf(tools.ToolButton14));
    add(QStringLiteral("Eye dropper"), {QKeySequence(Qt::Key_E)}, clickOf(tools.ToolButton15));
    putShortcutsFirst(main);
    putShortcutsFirst(tools);
}

} // namespace ui
