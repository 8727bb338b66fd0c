#include "ui/view.h"

#include "ui/ConflictPanel.h"
#include "ui/Handler.h"
#include "ui/MainUnit.h"
#include "ui/RasterImage.h"
#include "ui/Tools.h"
#include "ui/view1form.h"
#include "ui_view.h"

#include "platform/Platform.h"
#include "render/CellMarks.h"
#include "render/Raster.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QWindow>

#include <algorithm>

TViewForm* ViewForm = nullptr;

namespace {
constexpr int MinimumBrowserHeight = 120;
}

TViewForm::TViewForm(QWidget* parent, platform::Dialogs& dialogs)
    : QWidget(parent,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      ui_(std::make_unique<Ui::TViewForm>()), dialogs_(dialogs) {
    ViewForm = this;
    ui_->setupUi(this);
    LBox = ui_->LBox;
    move(196, 123); // the layout's place, until the window is placed
    // Mouse and keyboard both move the selection; either way the level is previewed.
    // A failure's box belongs to the browser, so that the focus comes back to the list.
    connect(LBox, &QListWidget::itemSelectionChanged, this,
            ui::guarded({*this, dialogs_}, [this] { LBoxClick(); }));
}

TViewForm::~TViewForm() {
    if (ViewForm == this) ViewForm = nullptr;
}

int browserHeight(int screenHeight, int top) {
    return std::max(screenHeight - top - 30, MinimumBrowserHeight);
}

int browserTop(int screenHeight, int toolsBottom) {
    return std::min(toolsBottom, screenHeight - 30 - browserHeight(screenHeight, toolsBottom));
}

void TViewForm::placeUnderTools() {
    const QRect tools = ToolsForm->frameGeometry();
    const int screenHeight = platform::screenSize().height();
    const int top = browserTop(screenHeight, tools.y() + tools.height());
    move(tools.x(), top);
    const int frameHeight = frameGeometry().height() - height();
    resize(width(), browserHeight(screenHeight, top) - frameHeight);
}

void TViewForm::openBrowser() {
    // A window manager frames a window only once it is shown; until then its frame counts
    // as nothing, and the browser would reach below the rule. A browser not yet on screen
    // is therefore placed again when it first appears, with its frame.
    const bool onScreen = isVisible() && windowHandle() && windowHandle()->isExposed();
    placeUnderTools();
    fillList();
    show();
    if (!onScreen) {
        placeWhenExposed_ = true;
        windowHandle()->installEventFilter(this);
    }
    raise();
    activateWindow();
}

bool TViewForm::eventFilter(QObject* watched, QEvent* event) {
    if (placeWhenExposed_ && watched == windowHandle() && event->type() == QEvent::Expose &&
        windowHandle()->isExposed()) {
        placeWhenExposed_ = false;
        placeUnderTools();
    }
    return QWidget::eventFilter(watched, event);
}

void TViewForm::fillList() {
    // Rebuilt silently: emptying the list is not a selection by the user.
    const QSignalBlocker quiet(LBox);
    LBox->clear();
    LBox->setUpdatesEnabled(false);
    LBox->addItems(platform::findEntries(QStringLiteral(".qre")));
    // No current item, rather than Qt's first one: the first key then selects the first
    // name (Down, Home), which is previewed like every name the selection passes over.
    LBox->setCurrentIndex(QModelIndex());
    LBox->setUpdatesEnabled(true);
}

void TViewForm::LBoxClick() {
    const QList<QListWidgetItem*> selected = LBox->selectedItems();
    const int index = selected.isEmpty() ? -1 : LBox->row(selected.first());
    if (index < 0)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    const QString name = LBox->item(index)->text();
    View1->move(MainForm->pos());
    // A level a merge left conflicted is previewed as the editor would show it, marked.
    const auto conflicts = ui::loadShownLevel(*MainForm, name, MainForm->PreviewMap);
    QImage& picture = View1->Image->picture();
    View1->Image->showChanged(
        qorv::drawAllCells(MainForm->PreviewMap, MainForm->TileSheet, picture));
    qorv::markConflicts(picture, conflicts, 0, 0, qorv::GridWidth - 1, qorv::GridHeight - 1);
    View1->show();
    show();
    raise();
    activateWindow();
}

void TViewForm::FormClose() {
    View1->close();
}

void TViewForm::closeEvent(QCloseEvent* event) {
    ui::runHandler({*this, dialogs_}, [this] { FormClose(); });
    event->accept();
}
