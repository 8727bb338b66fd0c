#include "ui/Tools.h"

#include "ui/AccessibleNames.h"
#include "ui/ChildWindow.h"
#include "ui/ConflictPanel.h"
#include "ui/Handler.h"
#include "ui/MainUnit.h"
#include "ui/PanelStatusBar.h"
#include "ui/RasterImage.h"
#include "ui/SpinEdit.h"
#include "ui/view.h"
#include "ui_Tools.h"

#include "core/Brush.h"
#include "levelio/LevelFile.h"
#include "platform/Platform.h"
#include "render/Raster.h"
#include "render/TileSheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

TToolsForm* ToolsForm = nullptr;

// The icons live in a static library, whose resources must be registered by hand.
static void registerIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace {
const QString LevelFilter = QStringLiteral("Qorv Levels (*.qre *.qrl);;All files (*)");
constexpr int SwatchSize = 14;
constexpr int SwatchDrawn = 13; // the tile is stretched over 13 x 13; the last row stays

// The layout's font is a Windows one: where it is missing, the texts fall back on a sans
// family that Linux desktops have, at the layout's size, instead of Qt's wider default.
QFont withLinuxFallbacks(QFont font) {
    font.setFamilies({font.family(), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}
} // namespace

TToolsForm::TToolsForm(QWidget* parent, platform::Dialogs& dialogs)
    // A tool window kept above the main window: on top, and transient for it (a child
    // window), which holds even where the window manager ignores the always-on-top hint.
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      ui_(std::make_unique<Ui::TToolsForm>()), dialogs_(dialogs) {
    ToolsForm = this;
    registerIcons();
    ui_->setupUi(this);
    setFont(withLinuxFallbacks(font()));
    setFixedSize(163, 176);
    move(196, 110); // the layout's place, until the window is placed
    ToolButton1 = ui_->ToolButton1;
    ToolButton2 = ui_->ToolButton2;
    ToolButton3 = ui_->ToolButton3;
    ToolButton5 = ui_->ToolButton5;
    ToolButton6 = ui_->ToolButton6;
    ToolButton10 = ui_->ToolButton10;
    ToolButton11 = ui_->ToolButton11;
    ToolButton12 = ui_->ToolButton12;
    ToolButton14 = ui_->ToolButton14;
    ToolButton15 = ui_->ToolButton15;
    SpinEdit1 = ui_->SpinEdit1;
    Image1 = ui_->Image1;
    Image2 = ui_->Image2;
    Image3 = ui_->Image3;
    StatusBar1 = ui_->StatusBar1;
    // A pick in the palette leaves the focus where it is: a size typed into the brush-size
    // field stays as typed until the field itself is left.
    Image1->setFocusPolicy(Qt::NoFocus);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(ui_->Set640x4501);
    PopupMenu1->addAction(ui_->Set640x4051);

    OpenDialog1 = {LevelFilter, QStringLiteral("qre"), QString()};
    SaveDialog1 = {LevelFilter, QStringLiteral("qre"), QString()};
    bindHandlers();
    ui::runHandler({*this, dialogs_}, [this] { FormCreate(); });
}

TToolsForm::~TToolsForm() {
    if (ToolsForm == this) ToolsForm = nullptr;
}

void TToolsForm::bindHandlers() {
    const ui::BoxOwner owner{*this, dialogs_};
    auto click = [this, owner](QToolButton* button, void (TToolsForm::*handler)()) {
        connect(button, &QToolButton::clicked, this,
                ui::guarded(owner, [this, handler] { (this->*handler)(); }));
    };
    click(ToolButton1, &TToolsForm::ToolButton1Click);
    click(ToolButton2, &TToolsForm::ToolButton2Click);
    click(ToolButton3, &TToolsForm::ToolButton3Click);
    click(ToolButton5, &TToolsForm::ToolButton5Click);
    click(ToolButton6, &TToolsForm::ToolButton5Click); // Redo is the same exchange as Undo
    click(ToolButton10, &TToolsForm::ToolButton10Click);
    click(ToolButton11, &TToolsForm::ToolButton11Click);
    click(ToolButton12, &TToolsForm::ToolButton12Click);
    click(ToolButton14, &TToolsForm::ToolButton14Click);
    click(ToolButton15, &TToolsForm::ToolButton15Click);
    connect(SpinEdit1, &SpinEdit::changed, this, ui::guarded(owner, [this] { SpinEdit1Change(); }));
    connect(Image1, &RasterImage::mousePressed, this,
            ui::guarded(owner, [this](int b, int x, int y) { Image1MouseDown(b, x, y); }));
}

void TToolsForm::FormCreate() {
    move(0, 0);
    ui::showAsChild(*this);
    Image1->setPicture(qorv::loadBitmap(MainForm->TileSheetFile));
    for (RasterImage* swatch : {Image2, Image3}) {
        QImage bitmap(SwatchSize, SwatchSize, QImage::Format_RGB888);
        bitmap.fill(Qt::black);
        swatch->setPicture(bitmap);
    }
    drawSwatches();
    OpenDialog1.initialDir =
        openDialogStartFolder(QCoreApplication::applicationDirPath(), QDir::currentPath());
}

QString openDialogStartFolder(const QString& programFolder, const QString& workingFolder) {
    const bool amongGameFiles = QFileInfo(QDir(programFolder), QStringLiteral("all.bmp")).isFile();
    return amongGameFiles ? programFolder : workingFolder;
}

void TToolsForm::drawSwatches() {
    const std::tuple<RasterImage*, qorv::TileIndex, QString> swatches[] = {
        {Image2, MainForm->ForeTile, QStringLiteral("Foreground")},
        {Image3, MainForm->BackTile, QStringLiteral("Background")}};
    for (const auto& [swatch, tile, which] : swatches) {
        ui::nameSwatch(*swatch, which, tile);
        if (swatch->picture().isNull()) continue; // no bitmap after a failed start-up
        qorv::stretchTile(MainForm->TileSheet, tile, swatch->picture(), SwatchDrawn, SwatchDrawn);
        swatch->showChanged(swatch->picture().rect());
    }
}

QString TToolsForm::captionFor(const QString& path) {
    return QStringLiteral("QorvEdit - ") + QFileInfo(path).fileName();
}

// New.
void TToolsForm::ToolButton1Click() {
    MainForm->DoBackUp();
    MainForm->ClearFull();
    MainForm->LevelName.clear();
    MainForm->SavedLevel = MainForm->Map; // a new level has nothing that could be lost
    MainForm->selectall();
    MainForm->drawall();
    MainForm->levelChanged();
}

// Open; with Control held, the level browser.
void TToolsForm::ToolButton2Click() {
    if (platform::GetKeyState(platform::VK_CONTROL) < -100) {
        openLevelBrowser();
        return;
    }
    openWithDialog();
}

void TToolsForm::openWithDialog() {
    if (const auto path = dialogs_.openFileName(*this, OpenDialog1)) openLevel(*path);
}

void TToolsForm::openLevel(const QString& path) {
    // Read into a copy first: a file that fails to load leaves the level, its undo step
    // and the caption exactly as they were.
    qorv::LevelGrid loaded = MainForm->Map;
    auto conflicts = ui::loadShownLevel(*MainForm, path, loaded);
    showLevel(path, loaded, loaded, std::move(conflicts));
}

void TToolsForm::showLevel(const QString& name, const qorv::LevelGrid& level,
                           const std::optional<qorv::LevelGrid>& saved,
                           std::vector<qorv::CellConflict> conflicts) {
    MainForm->setWindowTitle(name.isEmpty() ? QStringLiteral("QorvEdit") : captionFor(name));
    MainForm->LevelName = name;
    MainForm->SavedLevel = saved;
    MainForm->DoBackUp();
    MainForm->Map = level;
    MainForm->Conflicts.show(std::move(conflicts));
    MainForm->selectall();
    MainForm->drawall();
    MainForm->levelChanged();
}

void TToolsForm::openLevelBrowser() {
    ViewForm->openBrowser();
}

// Save.
void TToolsForm::ToolButton3Click() {
    const auto path = dialogs_.saveFileName(*this, SaveDialog1);
    if (!path) return;
    MainForm->levelSaving(*path);
    try {
        qorv::saveQRE(QFile::encodeName(*path).toStdString(), MainForm->Map);
    } catch (...) {
        // The caption and the name stay; the record is again the level under its old name.
        MainForm->levelChanged();
        throw;
    }
    MainForm->setWindowTitle(captionFor(*path));
    MainForm->LevelName = *path;
    MainForm->SavedLevel = MainForm->Map;
    ui::savedWithoutConflicts(*MainForm);
    MainForm->levelChanged(); // nothing left to lose: its record goes
}

// Undo and Redo.
void TToolsForm::ToolButton5Click() {
    qorv::undoExchange(MainForm->Map, MainForm->BackupMap, MainForm->SwapMap);
    MainForm->Conflicts.exchange();
    MainForm->drawall();
    MainForm->levelChanged();
}

// Fill.
void TToolsForm::ToolButton10Click() {
    MainForm->DoBackUp();
    const auto block = qorv::fillSelection(MainForm->Map, MainForm->Sel, MainForm->ForeTile);
    if (!MainForm->Sel.SelectionShown)
        MainForm->drawall();
    else if (block)
        MainForm->drawRECT(block->x1, block->y1, block->x2, block->y2);
    MainForm->levelChanged();
}

void TToolsForm::ToolButton11Click() {
    MainForm->CurrentTool = toolSelect;
}
void TToolsForm::ToolButton12Click() {
    MainForm->CurrentTool = toolBrush;
}
void TToolsForm::ToolButton14Click() {
    MainForm->CurrentTool = toolLine;
}
void TToolsForm::ToolButton15Click() {
    MainForm->CurrentTool = toolEyeDropper;
}

void TToolsForm::SpinEdit1Change() {
    MainForm->BrushSize = SpinEdit1->value();
}

namespace {
constexpr int PaletteColumns = 16;
int paletteTileAt(int x, int y) {
    return (y / qorv::CellSize) * PaletteColumns + x / qorv::CellSize;
}
} // namespace

int TToolsForm::paletteTiles() const {
    return paletteTileAt(0, Image1->height());
}

// A pick in the palette: left button foreground, any other background.
void TToolsForm::Image1MouseDown(int button, int x, int y) {
    const auto tile = static_cast<qorv::TileIndex>(paletteTileAt(x, y));
    if (button == 0)
        MainForm->ForeTile = tile;
    else
        MainForm->BackTile = tile;
    drawSwatches();
}
