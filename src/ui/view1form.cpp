#include "ui/view1form.h"

#include "ui/Handler.h"
#include "ui/RasterImage.h"
#include "ui_view1form.h"

#include "render/Raster.h"

TView1* View1 = nullptr;

TView1::TView1(QWidget* parent, platform::Dialogs& dialogs)
    : QWidget(parent,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      ui_(std::make_unique<Ui::TView1>()) {
    View1 = this;
    ui_->setupUi(this);
    Image = ui_->Image;
    move(359, 188); // the layout's place, until the window is placed
    setFixedSize(size());
    ui::runHandler({*this, dialogs}, [this] { FormCreate(); });
}

TView1::~TView1() {
    if (View1 == this) View1 = nullptr;
}

void TView1::FormCreate() {
    setFixedSize(qorv::RasterWidth, qorv::RasterHeight);
    Image->setPicture(qorv::makeRaster());
}
