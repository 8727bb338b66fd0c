#include "ui/ConflictPanel.h"

#include "ui/MainUnit.h"
#include "ui/RasterImage.h"
#include "ui/Shortcuts.h"
#include "ui/Tools.h"

#include "core/OpenConflicts.h"
#include "levelio/LevelFile.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace ui {

std::vector<qorv::CellConflict> loadShownLevel(TMainForm& main, const QString& name,
                                               qorv::LevelGrid& grid) {
    try {
        main.loadQRE(name, grid);
        return {};
    } catch (const qorv::UnresolvedConflict& conflicted) {
        grid = conflicted.level().merged;
        return conflicted.level().conflicts;
    }
}

void savedWithoutConflicts(TMainForm& main) {
    if (!main.Conflicts.resolving()) return;
    main.Conflicts.resolveAll();
    main.drawall();
}

QString conflictStatus(const qorv::OpenConflicts& conflicts, int x, int y) {
    if (!conflicts.resolving()) return {};
    const int left = conflicts.count();
    QString text = left == 1 ? QStringLiteral("1 conflict left")
                             : QStringLiteral("%1 conflicts left").arg(left);
    if (const qorv::CellConflict* here = conflicts.at(x, y))
        text += QStringLiteral("\n%1 : %2: %3")
                    .arg(x)
                    .arg(y)
                    .arg(QString::fromStdString(qorv::conflictTiles(*here)));
    return text;
}

namespace {
// The tools window's layout ends with its status bar; the conflict line goes below it.
constexpr int LineMargin = 2;

QString spoken(const QString& status) {
    QString text = status;
    return text.replace(QLatin1Char('\n'), QStringLiteral("; "));
}
} // namespace

ConflictPanel::ConflictPanel(TMainForm& main, TToolsForm& tools)
    : QObject(&tools), main_(main), tools_(tools), line_(new QLabel(&tools)),
      menu_(new QMenu(&main)), toolsSize_(tools.size()) {
    line_->setObjectName(QStringLiteral("ConflictPanel"));
    line_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    line_->setIndent(2);
    line_->setWordWrap(true);
    line_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    line_->setAccessibleName(QStringLiteral("Conflicts"));
    line_->hide();
    menu_->setObjectName(QStringLiteral("ConflictMenu"));
    menu_->setAccessibleName(QStringLiteral("Conflict"));
    addActions();
    raster_ = main_.Image;
    raster_->installEventFilter(this);
    connect(&main_, &TMainForm::levelComplete, this, [this] { refresh(); });
    refresh();
}

void ConflictPanel::addActions() {
    using qorv::ConflictSide;
    const auto add = [this](const QString& text, QList<QKeySequence> keys, auto run) {
        QAction* act = addCommand(main_, tools_, text, keys, run);
        actions_.push_back(act);
        return act;
    };
    const auto here = [this](int x, int y) { return QPoint(x, y) == current_; };
    const auto selected = [this](int x, int y) {
        return !main_.Sel.SelectionShown || qorv::covers(main_.Sel, x, y);
    };
    const auto everywhere = [](int, int) { return true; };
    const std::pair<const char*, std::function<bool(int, int)>> scopes[] = {
        {"", here}, {" in the selection", selected}, {" everywhere", everywhere}};
    const std::tuple<const char*, ConflictSide, Qt::Key> sides[] = {
        {"ours", ConflictSide::Ours, Qt::Key_O},
        {"theirs", ConflictSide::Theirs, Qt::Key_T},
        {"base", ConflictSide::Base, Qt::Key_A}};
    const Qt::KeyboardModifiers modifiers[] = {Qt::NoModifier, Qt::ShiftModifier,
                                               Qt::ControlModifier | Qt::ShiftModifier};
    for (int scope = 0; scope < 3; ++scope) {
        if (scope > 0) menu_->addSeparator();
        for (const auto& [name, side, key] : sides) {
            const QString text = QStringLiteral("Take %1%2")
                                     .arg(QLatin1String(name), QLatin1String(scopes[scope].first));
            menu_->addAction(
                add(text, {QKeySequence(modifiers[scope] | key)},
                    [this, side, chosen = scopes[scope].second] { take(side, chosen); }));
        }
    }
    menu_->addSeparator();
    menu_->addAction(add(QStringLiteral("Next conflict"), {QKeySequence(Qt::ALT | Qt::Key_Down)},
                         [this] { goTo(true); }));
    menu_->addAction(add(QStringLiteral("Previous conflict"), {QKeySequence(Qt::ALT | Qt::Key_Up)},
                         [this] { goTo(false); }));
    add(QStringLiteral("Conflict menu"),
        {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}, [this] {
            // From the keyboard, away from any conflict: the menu of the next one.
            if (!main_.Conflicts.at(current_.x(), current_.y())) goTo(true);
            const QPoint cell = current_ * qorv::CellSize + QPoint(5, 5);
            showMenu(main_.Image->mapToGlobal(cell));
        });
}

void ConflictPanel::goTo(bool forward) {
    const qorv::OpenConflicts& conflicts = main_.Conflicts;
    const qorv::CellConflict* to = forward ? conflicts.next(current_.x(), current_.y())
                                           : conflicts.previous(current_.x(), current_.y());
    if (!to) return;
    current_ = QPoint(to->x, to->y);
    refresh();
}

void ConflictPanel::take(qorv::ConflictSide side, const std::function<bool(int x, int y)>& chosen) {
    const auto& all = main_.Conflicts.all();
    if (std::none_of(all.begin(), all.end(), [&](const qorv::CellConflict& conflict) {
            return qorv::sideTile(conflict, side) && chosen(conflict.x, conflict.y);
        }))
        return;
    main_.DoBackUp();
    const auto taken = main_.Conflicts.take(main_.Map, side, chosen);
    // A cell outside a shown selection may hold a piece of its outline: all is drawn anew.
    if (main_.Sel.SelectionShown) {
        main_.drawall();
    } else {
        for (const qorv::CellConflict& cell : taken)
            main_.drawCell(cell.x, cell.y);
    }
    main_.levelChanged();
}

void ConflictPanel::showMenu(QPoint global) {
    if (main_.Conflicts.count() > 0) menu_->popup(global);
}

bool ConflictPanel::eventFilter(QObject* watched, QEvent* event) {
    // The raster's own pointer, not the main window's field: events still reach the filter
    // while the main window is being destroyed, when it is no main window any more.
    if (event->type() != QEvent::MouseMove && event->type() != QEvent::MouseButtonPress)
        return false;
    if (watched != raster_) return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // Whole picture pixels, as the raster reports them to the tools.
    const QPoint cell(qorv::cellOf(int(std::floor(mouse->position().x()))),
                      qorv::cellOf(int(std::floor(mouse->position().y()))));
    // Every move of a stroke passes here: the text changes only with the cell.
    if (cell != current_) {
        current_ = cell;
        refresh();
    }
    // Control and the right button over a conflict open its menu; the right button alone
    // paints or selects as it always does.
    const bool forMenu = event->type() == QEvent::MouseButtonPress &&
                         mouse->button() == Qt::RightButton &&
                         mouse->modifiers() == Qt::ControlModifier && !main_.Dragging &&
                         main_.Conflicts.at(current_.x(), current_.y());
    if (forMenu) showMenu(mouse->globalPosition().toPoint());
    return forMenu;
}

void ConflictPanel::refresh() {
    const QString status = conflictStatus(main_.Conflicts, current_.x(), current_.y());
    for (QAction* act : actions_)
        act->setEnabled(main_.Conflicts.count() > 0);
    if (main_.Image->accessibleDescription() != spoken(status)) // a change is announced
        main_.Image->setAccessibleDescription(spoken(status));
    if (status == line_->text() && line_->isVisible() == !status.isEmpty()) return;
    line_->setText(status);
    line_->setAccessibleName(status.isEmpty() ? QStringLiteral("Conflicts")
                                              : QStringLiteral("Conflicts: ") + spoken(status));
    // The count, and the cell's tiles wrapped over two lines in the window's width.
    const int height = 3 * line_->fontMetrics().lineSpacing() + 2 * (line_->frameWidth() + 1);
    line_->setGeometry(0, toolsSize_.height() + LineMargin, toolsSize_.width(), height);
    line_->setVisible(!status.isEmpty());
    tools_.setFixedSize(status.isEmpty() ? toolsSize_
                                         : toolsSize_ + QSize(0, height + 2 * LineMargin));
}

} // namespace ui
