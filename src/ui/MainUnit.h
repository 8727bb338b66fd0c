#pragma once
// The main editing window: it owns the level, its undo buffers, the tile sheet, the
// selection and the painting state, and shows the level in its raster `Image`.

#include "core/CellCursor.h"
#include "core/LevelGrid.h"
#include "core/OpenConflicts.h"
#include "core/Selection.h"

#include <QImage>
#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class TMainForm;
}
class RasterImage;
namespace platform {
class Dialogs;
}
namespace recovery {
class Session;
}

enum ToolKind : std::uint8_t { toolSelect = 0, toolBrush = 1, toolLine = 2, toolEyeDropper = 3 };

class TMainForm : public QWidget {
    Q_OBJECT
  public:
    // `dialogs`: the error box and the question this window shows.
    explicit TMainForm(platform::Dialogs& dialogs, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The level and its edit buffers.
    qorv::LevelGrid Map{};
    qorv::LevelGrid BackupMap{};
    qorv::LevelGrid SwapMap{};
    qorv::LevelGrid PreviewMap{};
    QImage TileSheet;
    QString TileSheetFile; // where it was looked for; the palette is read from it too
    // The conflicts of a level a merge left conflicted, marked on the level until taken;
    // they share the level's one undo step.
    qorv::OpenConflicts Conflicts;

    qorv::Selection Sel;
    ToolKind CurrentTool = toolSelect;
    bool Dragging = false;
    std::uint8_t DragButton = 0;
    qorv::TileIndex ForeTile = 0;
    qorv::TileIndex BackTile = 0;
    int BrushSize = 0;

    RasterImage* Image;

    // The keyboard's cell cursor. The raster frames its cell only once a key has been used on
    // the raster: until then it shows exactly the level.
    qorv::CellCursor Cursor{1, 1};
    bool CursorShown = false;
    // Where Shift with the movement keys began the selection they extend; none once any other
    // key or a press of the mouse has ended that.
    std::optional<qorv::CellCursor> SelAnchor;
    QString TypedTile;    // the digits typed towards a pick by number
    QString Announcement; // what was last said on the cursor's cell (AccessibleLevel.h)

    // The file the level was last opened from or saved to; empty for a new level.
    QString LevelName;
    // The level as its file holds it: last opened or saved, a new level after New and at
    // the start; none when that is not known. Changes are measured against it.
    std::optional<qorv::LevelGrid> SavedLevel = qorv::LevelGrid{};
    // Where the level is recorded for recovery while it has changes that were not saved;
    // none when the recovery folder could not be had.
    recovery::Session* Recovery = nullptr;
    // Called when a change of the level is complete: records the level and its name while
    // it differs from `SavedLevel`, and withdraws the record once it no longer does.
    void levelChanged();
    // Called before the level is saved to `path`: a record of changes that were not saved
    // then names that file and holds what goes into it, on disk before the file gets its
    // name. An end at any instant of the save leaves a record that the file it names
    // matches, which the next start does not offer; a failed save calls levelChanged().
    void levelSaving(const QString& path);
    platform::Dialogs& dialogs() const { return dialogs_; }

  signals:
    // A change of the level is complete (levelChanged ran).
    void levelComplete();

  public:
    // Level model and files.
    void ClearFull();
    void DoBackUp();
    void loadQRE(const QString& name, qorv::LevelGrid& grid);
    std::optional<unsigned char> M2O(qorv::TileIndex tile) const;

    // Selection.
    void selectall();
    void DrawSelected();

    // Drawing into the raster.
    void drawCell(int x, int y);
    void drawRECT(int x1, int y1, int x2, int y2);
    void drawall();

    // Painting.
    void applybrush(int x, int y, int size, qorv::TileIndex tile);

    // Mouse handlers of `Image`.
    void FormMouseDown(int button, int x, int y);
    void ImageMouseMove(int x, int y);
    void ImageMouseUp(int button, int x, int y);

    // Keys of `Image` (CellKeys.h), handled in MainKeys.cpp.
    void ImageKeyDown(int key, Qt::KeyboardModifiers modifiers);

    void FormCreate();
    void FormDestroy();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void setSelectionSizeText(const QString& text);
    void showCellInStatus(int x, int y);
    QString selectionSizeName() const;
    void showCursor();
    void moveCellCursor(qorv::CursorStep step, bool extend);
    void extendSelection(qorv::CellCursor from);
    void stampAtCursor(bool background);
    void pickAtCursor(bool background);
    void typeTileDigit(int digit);
    void pickTypedTile();
    void stepBrushSize(int steps);
    void dropSelection();
    qorv::TileIndex tileOfButton(int button) const;
    void placeOnScreen();

    std::unique_ptr<Ui::TMainForm> ui_;
    platform::Dialogs& dialogs_;
    bool recorded_ = false; // the recovery session holds a record of the level
};

// The one main window of the program.
extern TMainForm* MainForm;

// Where the main window goes on a screen of this size (its outer frame's top-left).
QPoint mainWindowPlacement(QSize screen);
