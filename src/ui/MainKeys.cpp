// The main window's keys: the cell cursor and the edits made from it. Each edit follows the
// mouse's rules (the selection bounds it, the border is never painted, one undo step per
// key) by calling the same operations; what happened is said on the cursor's cell.

#include "ui/AccessibleLevel.h"
#include "ui/CellKeys.h"
#include "ui/MainUnit.h"
#include "ui/PanelStatusBar.h"
#include "ui/RasterImage.h"
#include "ui/SpinEdit.h"
#include "ui/Tools.h"

#include "core/Brush.h"

#include <QLabel>

namespace {
// The longest tile number: three digits (tile 255); a fourth starts a new number.
constexpr qsizetype TileDigits = 3;
} // namespace

void TMainForm::ImageKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const auto command = ui::cellCommandOf(key, modifiers);
    // While a button is held a stroke or a drag is under way: no key changes it.
    if (!command || Dragging) return;
    using Kind = ui::CellCommand::Kind;
    if (command->kind != Kind::Digit && command->kind != Kind::PickTyped) TypedTile.clear();
    if (command->kind != Kind::Move || !command->extend) SelAnchor.reset();
    showCursor();
    switch (command->kind) {
    case Kind::Move:
        moveCellCursor(command->step, command->extend);
        break;
    case Kind::Stamp:
        stampAtCursor(command->background);
        break;
    case Kind::Pick:
        pickAtCursor(command->background);
        break;
    case Kind::Digit:
        typeTileDigit(command->value);
        break;
    case Kind::PickTyped:
        pickTypedTile();
        break;
    case Kind::BrushSize:
        stepBrushSize(command->value);
        break;
    case Kind::Drop:
        dropSelection();
        break;
    }
}

void TMainForm::showCursor() {
    if (CursorShown) return;
    CursorShown = true;
    Image->setMarkedCell(QPoint(Cursor.x, Cursor.y));
    showCellInStatus(Cursor.x, Cursor.y);
    ui::announceCursorCell(*this);
}

QString TMainForm::selectionSizeName() const {
    // As the status bar's panel reads it: "Selection size: (5 x 3)".
    return ToolsForm ? ToolsForm->StatusBar1->panel(1)->accessibleName() : QString();
}

void TMainForm::moveCellCursor(qorv::CursorStep step, bool extend) {
    const qorv::CellCursor from = Cursor;
    Cursor = qorv::moveCursor(Map, Cursor, step);
    Image->setMarkedCell(QPoint(Cursor.x, Cursor.y));
    showCellInStatus(Cursor.x, Cursor.y);
    Announcement.clear();
    ui::announceCursorCell(*this);
    if (extend) extendSelection(from);
}

void TMainForm::extendSelection(qorv::CellCursor from) {
    if (!SelAnchor) SelAnchor = from;
    if (Sel.SelectionShown) DrawSelected(); // the outline is XOR-drawn: this erases it
    if (const auto spanned = qorv::selectionBetween(*SelAnchor, Cursor)) {
        Sel = *spanned;
        DrawSelected();
    } else {
        selectall();
    }
    ui::announce(*this, selectionSizeName());
}

void TMainForm::dropSelection() {
    if (Sel.SelectionShown) DrawSelected();
    selectall();
    ui::announce(*this, selectionSizeName());
}

void TMainForm::stampAtCursor(bool background) {
    const qorv::TileIndex tile = background ? BackTile : ForeTile;
    DoBackUp();
    applybrush(Cursor.x, Cursor.y, BrushSize, tile);
    levelChanged();
    ui::announceCursorName(*this);
    ui::announce(*this, QStringLiteral("Stamped tile %1, size %2").arg(tile).arg(BrushSize));
}

void TMainForm::pickAtCursor(bool background) {
    qorv::pickTile(Map, Cursor.x, Cursor.y, !background, ForeTile, BackTile);
    if (!ToolsForm) return;
    ToolsForm->drawSwatches();
    ui::announce(*this, (background ? ToolsForm->Image3 : ToolsForm->Image2)->accessibleName());
}

void TMainForm::typeTileDigit(int digit) {
    if (TypedTile.size() == TileDigits) TypedTile.clear();
    TypedTile += QChar(u'0' + digit);
    ui::announce(*this, QStringLiteral("Tile number %1").arg(TypedTile));
}

void TMainForm::pickTypedTile() {
    if (TypedTile.isEmpty() || !ToolsForm) return;
    const int tile = TypedTile.toInt();
    TypedTile.clear();
    const int tiles = ToolsForm->paletteTiles();
    if (tile >= tiles) {
        ui::announce(
            *this,
            QStringLiteral("No tile %1 in the palette: tiles 0 to %2").arg(tile).arg(tiles - 1));
        return;
    }
    ForeTile = qorv::TileIndex(tile);
    ToolsForm->drawSwatches();
    ui::announce(*this, ToolsForm->Image2->accessibleName());
}

void TMainForm::stepBrushSize(int steps) {
    if (!ToolsForm) return;
    ToolsForm->SpinEdit1->stepBy(steps); // the field and the brush follow, as by its arrows
    ui::announce(*this, QStringLiteral("Brush size %1").arg(BrushSize));
}
