#include "ui/AccessibleLevel.h"

#include "ui/MainUnit.h"
#include "ui/RasterImage.h"

#include <QAccessibleWidget>
#include <QHash>

namespace ui {

namespace {

using qorv::GridHeight;
using qorv::GridWidth;

int indexOf(int x, int y) {
    return y * GridWidth + x; // row by row, as a table's cells are counted
}

// The main window whose level the raster shows; none while its windows are being torn down.
const TMainForm* formOf(const QWidget* raster) {
    return raster ? qobject_cast<const TMainForm*>(raster->window()) : nullptr;
}

class LevelTable;

class LevelCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    LevelCell(LevelTable& table, int index)
        : table_(table), x_(index % GridWidth), y_(index / GridWidth) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return x_; }
    int rowIndex() const override { return y_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

  private:
    bool isCursor(const TMainForm& form) const { return form.Cursor == qorv::CellCursor{x_, y_}; }
    LevelTable& table_;
    int x_, y_;
};

class LevelTable : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit LevelTable(QWidget* raster) : QAccessibleWidget(raster, QAccessible::Table) {}
    ~LevelTable() override {
        for (const QAccessible::Id id : std::as_const(cells_))
            QAccessible::deleteAccessibleInterface(id);
    }

    const TMainForm* form() const { return formOf(widget()); }
    QWidget* raster() const { return widget(); }

    int childCount() const override { return GridWidth * GridHeight; }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        // Made when first asked for, and kept: assistive technology knows a cell by its id.
        if (const auto found = cells_.constFind(index); found != cells_.constEnd())
            return QAccessible::accessibleInterface(*found);
        auto* cell = new LevelCell(const_cast<LevelTable&>(*this), index);
        cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        auto* face = const_cast<QAccessibleInterface*>(child); // Qt's getter is not const
        const auto* cell = face ? face->tableCellInterface() : nullptr;
        return cell && child->parent() == this ? indexOf(cell->columnIndex(), cell->rowIndex())
                                               : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = raster()->mapFromGlobal(QPoint(x, y));
        const int cx = at.x() / qorv::CellSize, cy = at.y() / qorv::CellSize;
        if (at.x() < 0 || at.y() < 0 || cx >= GridWidth || cy >= GridHeight) return nullptr;
        return child(indexOf(cx, cy));
    }
    QAccessibleInterface* focusChild() const override {
        const TMainForm* f = form();
        if (!f || !raster()->hasFocus()) return nullptr;
        return child(indexOf(f->Cursor.x, f->Cursor.y));
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || row >= GridHeight || column < 0 || column >= GridWidth) return nullptr;
        return child(indexOf(column, row));
    }
    int columnCount() const override { return GridWidth; }
    int rowCount() const override { return GridHeight; }
    QString columnDescription(int column) const override {
        return QStringLiteral("column %1").arg(column);
    }
    QString rowDescription(int row) const override { return QStringLiteral("row %1").arg(row); }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        const TMainForm* f = form();
        if (!f || !f->Sel.SelectionShown) return cells;
        for (int y = 0; y < GridHeight; ++y)
            for (int x = 0; x < GridWidth; ++x)
                if (qorv::covers(f->Sel, x, y)) cells << child(indexOf(x, y));
        return cells;
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

  private:
    mutable QHash<int, QAccessible::Id> cells_;
};

bool LevelCell::isValid() const {
    return table_.isValid();
}
QWindow* LevelCell::window() const {
    return table_.window();
}
QAccessibleInterface* LevelCell::parent() const {
    return &table_;
}
QAccessibleInterface* LevelCell::table() const {
    return &table_;
}

QString LevelCell::text(QAccessible::Text t) const {
    const TMainForm* form = table_.form();
    if (!form) return {};
    if (t == QAccessible::Name) return cellName(x_, y_, form->Map.at(x_, y_));
    if (t == QAccessible::Description && isCursor(*form)) return form->Announcement;
    return {};
}

QRect LevelCell::rect() const {
    const QPoint topLeft =
        table_.raster()->mapToGlobal(QPoint(x_ * qorv::CellSize, y_ * qorv::CellSize));
    return {topLeft, QSize(qorv::CellSize, qorv::CellSize)};
}

QAccessible::State LevelCell::state() const {
    QAccessible::State state;
    state.focusable = true;
    state.selectable = true;
    const TMainForm* form = table_.form();
    if (!form) return state;
    state.focused = isCursor(*form) && table_.raster()->hasFocus();
    state.selected = isSelected();
    return state;
}

bool LevelCell::isSelected() const {
    const TMainForm* form = table_.form();
    return form && form->Sel.SelectionShown && qorv::covers(form->Sel, x_, y_);
}

// An event of the cursor's cell; Qt drops it unless assistive technology listens.
void cursorCellEvent(TMainForm& form, QAccessible::Event type) {
    QAccessibleEvent event(form.Image, type);
    event.setChild(indexOf(form.Cursor.x, form.Cursor.y));
    QAccessible::updateAccessibility(&event);
}

} // namespace

QAccessibleInterface* makeLevelTable(QWidget* raster) {
    return new LevelTable(raster);
}

QString cellName(int x, int y, int tile) {
    return QStringLiteral("column %1, row %2: tile %3").arg(x).arg(y).arg(tile);
}

void announceCursorCell(TMainForm& form) {
    if (form.Image->hasFocus()) cursorCellEvent(form, QAccessible::Focus);
}

void announceCursorName(TMainForm& form) {
    cursorCellEvent(form, QAccessible::NameChanged);
}

void announce(TMainForm& form, const QString& text) {
    form.Announcement = text;
    cursorCellEvent(form, QAccessible::DescriptionChanged);
}

} // namespace ui
