#pragma once
// Resolving a level a merge left conflicted, in the editor: the level is shown as OURS with
// each conflicting cell marked (TMainForm::Conflicts); a line under the tools window's status
// bar says how many conflicts are left and, for the conflict under the pointer, its tiles of
// ours, theirs and the base; its actions go to the next and previous conflict and take a
// side for the conflict under the pointer, for the selection or for all, each one undo step.
// The editing window's raster tells screen readers what that line says.

#include "core/ConflictedLevel.h"
#include "core/LevelGrid.h"

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class TMainForm;
class TToolsForm;

namespace qorv {
class OpenConflicts;
}

namespace ui {

// Reads level `name` into `grid` as the main window's loadQRE does, but a level a merge left
// with its conflict markers is read too: as OURS with every change only one side made. Its
// conflicts; none for any other level.
std::vector<qorv::CellConflict> loadShownLevel(TMainForm& main, const QString& name,
                                               qorv::LevelGrid& grid);

// After Save: the file holds the level as shown, without conflicts; their marks go.
void savedWithoutConflicts(TMainForm& main);

// The conflict line: "3 conflicts left", and for a conflict at cell (x, y) a second line
// "12 : 4: ours 10, theirs 12, base 0". Empty for a level that came without conflicts.
QString conflictStatus(const qorv::OpenConflicts& conflicts, int x, int y);

class ConflictPanel : public QObject {
    Q_OBJECT
  public:
    ConflictPanel(TMainForm& main, TToolsForm& tools);

    QLabel* line() const { return line_; }
    QMenu* menu() const { return menu_; }
    // The cell the pointer was last over, or the conflict last gone to.
    QPoint current() const { return current_; }

    void goTo(bool forward);
    // Takes `side` for the conflicts whose cells `chosen` holds, as one undo step; nothing
    // (and no undo step) when there is none.
    void take(qorv::ConflictSide side, const std::function<bool(int x, int y)>& chosen);
    void showMenu(QPoint global);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void addActions();
    void refresh();

    TMainForm& main_;
    TToolsForm& tools_;
    QLabel* line_;
    QMenu* menu_;
    QObject* raster_ = nullptr;     // the main window's raster, whose mouse events are watched
    std::vector<QAction*> actions_; // enabled while conflicts are left
    QPoint current_{-1, -1};
    QSize toolsSize_;
};

} // namespace ui
