#include "ui/MainUnit.h"

#include "ui/AccessibleLevel.h"
#include "ui/Handler.h"
#include "ui/PanelStatusBar.h"
#include "ui/RasterImage.h"
#include "ui/Tools.h"
#include "ui_MainUnit.h"

#include "core/Brush.h"
#include "core/CharTable.h"
#include "levelio/LevelFile.h"
#include "platform/Platform.h"
#include "recovery/RecoverySession.h"
#include "render/CellMarks.h"
#include "render/Raster.h"
#include "render/TileSheet.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(platform::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui_(std::make_unique<Ui::TMainForm>()), dialogs_(dialogs) {
    MainForm = this;
    ui_->setupUi(this);
    Image = ui_->Image;
    move(253, 166); // the layout's place, until the window is placed
    // The layout's picture until the creation handler sizes it: one white pixel.
    QImage white(1, 1, QImage::Format_RGB888);
    white.fill(Qt::white);
    Image->setPicture(white);
    setFixedSize(size()); // the user cannot resize the window

    const ui::BoxOwner owner{*this, dialogs_};
    connect(Image, &RasterImage::mousePressed, this,
            ui::guarded(owner, [this](int b, int x, int y) { FormMouseDown(b, x, y); }));
    connect(Image, &RasterImage::mouseMoved, this,
            ui::guarded(owner, [this](int x, int y) { ImageMouseMove(x, y); }));
    connect(Image, &RasterImage::mouseReleased, this,
            ui::guarded(owner, [this](int b, int x, int y) { ImageMouseUp(b, x, y); }));
    Image->setFocusPolicy(Qt::StrongFocus); // the cell cursor's keys
    connect(Image, &RasterImage::keyPressed, this,
            ui::guarded(owner, [this](int key, Qt::KeyboardModifiers modifiers) {
                ImageKeyDown(key, modifiers);
            }));

    ui::runHandler(owner, [this] { FormCreate(); });
}

TMainForm::~TMainForm() {
    ui::runHandler({*this, dialogs_}, [this] { FormDestroy(); });
    if (MainForm == this) MainForm = nullptr;
}

QPoint mainWindowPlacement(QSize screen) {
    if (screen == QSize(640, 480)) return QPoint(-2, -19);
    return QPoint(160, 0);
}

void TMainForm::FormCreate() {
    BrushSize = 1;
    ForeTile = 2;
    BackTile = 0;
    CurrentTool = toolBrush;
    selectall();
    TileSheetFile = platform::tileSheetName();
    TileSheet = qorv::loadBitmap(TileSheetFile);
    Image->setPicture(qorv::makeRaster());
    ClearFull();
    SavedLevel = Map; // a new level has nothing that could be lost
    drawall();
    setFixedSize(qorv::RasterWidth, qorv::RasterHeight);
    placeOnScreen();
}

void TMainForm::placeOnScreen() {
    move(mainWindowPlacement(platform::screenSize()));
}

void TMainForm::FormDestroy() {}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing the editing window ends the program at once; the other windows only hide.
    event->accept();
    QCoreApplication::quit();
}

// --- Level model and files ---------------------------------------------------------------

void TMainForm::levelChanged() {
    emit levelComplete();
    if (!Recovery) return;
    if (!SavedLevel || Map != *SavedLevel) {
        Recovery->record({QFile::encodeName(LevelName).toStdString(), Map});
        recorded_ = true;
    } else if (recorded_) {
        Recovery->forget();
        recorded_ = false;
    }
}

void TMainForm::levelSaving(const QString& path) {
    if (Recovery && recorded_) Recovery->recordNow({QFile::encodeName(path).toStdString(), Map});
}

void TMainForm::ClearFull() {
    qorv::ClearFull(Map);
    Conflicts.show({}); // a new level has none
}

void TMainForm::DoBackUp() {
    qorv::DoBackUp(Map, BackupMap);
    Conflicts.backUp();
}

void TMainForm::loadQRE(const QString& name, qorv::LevelGrid& grid) {
    qorv::loadQRE(QFile::encodeName(name).toStdString(), grid);
}

std::optional<unsigned char> TMainForm::M2O(qorv::TileIndex tile) const {
    return qorv::M2O(tile);
}

// --- Selection -------------------------------------------------------------------------

void TMainForm::setSelectionSizeText(const QString& text) {
    if (ToolsForm) ToolsForm->StatusBar1->setPanelText(1, text);
}

void TMainForm::showCellInStatus(int x, int y) {
    if (ToolsForm) ToolsForm->StatusBar1->setPanelText(0, QStringLiteral("%1 : %2").arg(x).arg(y));
}

void TMainForm::selectall() {
    setSelectionSizeText(QString());
    Sel = qorv::selectall();
}

void TMainForm::DrawSelected() {
    Image->showChanged(qorv::drawFocusRect(Image->picture(), qorv::outlineRect(Sel)));
    setSelectionSizeText(QString::fromStdString(qorv::sizeText(Sel)));
}

// --- Drawing ---------------------------------------------------------------------------

void TMainForm::drawCell(int x, int y) {
    drawRECT(x, y, x, y);
}

void TMainForm::drawRECT(int x1, int y1, int x2, int y2) {
    // After a failed start-up the raster keeps its one-pixel layout picture; the cell copy
    // leaves out cells that do not fit in it, so the level is edited but not drawn.
    Image->showChanged(qorv::drawRECT(Map, TileSheet, Image->picture(), x1, y1, x2, y2));
    Image->showChanged(qorv::markConflicts(Image->picture(), Conflicts.all(), x1, y1, x2, y2));
}

void TMainForm::drawall() {
    drawRECT(0, 0, qorv::GridWidth - 1, qorv::GridHeight - 1);
    if (Sel.SelectionShown) DrawSelected();
    if (CursorShown) ui::announceCursorName(*this); // New, Open, Undo: its tile may differ
}

// --- Painting --------------------------------------------------------------------------

void TMainForm::applybrush(int x, int y, int size, qorv::TileIndex tile) {
    if (const auto box = qorv::applybrush(Map, Sel, x, y, size, tile))
        drawRECT(box->x1, box->y1, box->x2, box->y2);
}

qorv::TileIndex TMainForm::tileOfButton(int button) const {
    return button == 0 ? ForeTile : BackTile;
}

// --- Mouse -----------------------------------------------------------------------------

void TMainForm::FormMouseDown(int button, int x, int y) {
    const int cx = qorv::cellOf(x);
    const int cy = qorv::cellOf(y);
    SelAnchor.reset(); // Shift with the movement keys starts afresh from the cursor
    switch (CurrentTool) {
    case toolSelect:
        // The outline on screen, of a finished selection or of a drag that this press
        // (a second button) starts afresh, is erased before the new one is drawn.
        if (Sel.SelectionShown || Dragging) DrawSelected();
        Sel.SelectionShown = false;
        Dragging = true;
        DragButton = std::uint8_t(button);
        qorv::startSelection(Sel, x, y);
        DrawSelected();
        break;
    case toolBrush:
        Dragging = true;
        DragButton = std::uint8_t(button);
        DoBackUp();
        applybrush(cx, cy, BrushSize, tileOfButton(button));
        break;
    case toolEyeDropper:
        if (cx < 0 || cx >= qorv::GridWidth || cy < 0 || cy >= qorv::GridHeight) break;
        qorv::pickTile(Map, cx, cy, button == 0, ForeTile, BackTile);
        if (ToolsForm) ToolsForm->drawSwatches();
        break;
    case toolLine:
        break;
    }
}

void TMainForm::ImageMouseMove(int x, int y) {
    const int cx = qorv::cellOf(x);
    const int cy = qorv::cellOf(y);
    showCellInStatus(cx, cy);
    if (!Dragging) return;
    switch (CurrentTool) {
    case toolSelect:
        DrawSelected();
        qorv::dragSelection(Sel, x, y);
        DrawSelected();
        break;
    case toolBrush:
        applybrush(cx, cy, BrushSize, tileOfButton(DragButton));
        break;
    default:
        break;
    }
}

void TMainForm::ImageMouseUp(int, int, int) {
    if (!Dragging) return;
    Dragging = false;
    if (CurrentTool != toolSelect) {
        levelChanged(); // the stroke is complete
        return;
    }
    if (qorv::selectionHasArea(Sel)) {
        Sel.SelectionShown = true;
    } else {
        DrawSelected();
        selectall();
    }
}
