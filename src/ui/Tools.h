#pragma once
// The tools window: file and grid commands, the tool buttons, the brush size, the tile
// palette, the two swatches and the status bar. It keeps no editing state of its own:
// every command works on the fields of the main window.

#include "core/LevelGrid.h"
#include "core/LevelMerge.h"
#include "platform/Dialogs.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class TToolsForm;
}
class QMenu;
class QToolButton;
class RasterImage;
class SpinEdit;
class PanelStatusBar;

class TToolsForm : public QWidget {
    Q_OBJECT
  public:
    // `dialogs`: the file dialogs and the error box this window shows.
    TToolsForm(QWidget* parent, platform::Dialogs& dialogs);
    ~TToolsForm() override;

    QToolButton* ToolButton1;  // New
    QToolButton* ToolButton2;  // Open
    QToolButton* ToolButton3;  // Save
    QToolButton* ToolButton5;  // Undo
    QToolButton* ToolButton6;  // Redo
    QToolButton* ToolButton10; // Fill
    QToolButton* ToolButton11; // Select
    QToolButton* ToolButton12; // Brush
    QToolButton* ToolButton14; // Line
    QToolButton* ToolButton15; // Eye dropper
    SpinEdit* SpinEdit1;
    RasterImage* Image1; // palette
    RasterImage* Image2; // foreground swatch
    RasterImage* Image3; // background swatch
    PanelStatusBar* StatusBar1;
    QMenu* PopupMenu1;

    platform::FileDialogOptions OpenDialog1;
    platform::FileDialogOptions SaveDialog1;

    void drawSwatches();
    // How many tiles the palette offers: tiles 0 to paletteTiles() - 1.
    int paletteTiles() const;

    // Open without the Control-key test: the open dialog, then the level chosen.
    void openWithDialog();
    // What Open does once a file is chosen: the caption, the backup, the level, redrawn.
    void openLevel(const QString& path);
    // What Open does with a level read: the caption (for a level with a name), the backup,
    // the level, redrawn; `saved` is what its file holds (see TMainForm::SavedLevel);
    // `conflicts`, those of a level a merge left conflicted, marked. Also how a recovered
    // level comes back.
    void showLevel(const QString& name, const qorv::LevelGrid& level,
                   const std::optional<qorv::LevelGrid>& saved,
                   std::vector<qorv::CellConflict> conflicts = {});

    void FormCreate();
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton5Click();
    void ToolButton10Click();
    void ToolButton11Click();
    void ToolButton12Click();
    void ToolButton14Click();
    void ToolButton15Click();
    void SpinEdit1Change();
    void Image1MouseDown(int button, int x, int y);

    platform::Dialogs& dialogs() const { return dialogs_; }

  private:
    void bindHandlers();
    void openLevelBrowser();
    static QString captionFor(const QString& path);

    std::unique_ptr<Ui::TToolsForm> ui_;
    platform::Dialogs& dialogs_;
};

// Where the open dialog starts: the program's own folder where it holds the tile sheet
// "all.bmp", as when the program lives among the game's files; otherwise the working
// directory, where the tile sheet and the browser's levels are.
QString openDialogStartFolder(const QString& programFolder, const QString& workingFolder);

// The one tools window of the program.
extern TToolsForm* ToolsForm;
