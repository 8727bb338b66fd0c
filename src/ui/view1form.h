#pragma once
// The level preview: one level at 10 pixels per cell, drawn from the main window's tile
// sheet, placed on the main window's top-left corner.

#include <QWidget>

#include <memory>

namespace Ui {
class TView1;
}
class RasterImage;
namespace platform {
class Dialogs;
}

class TView1 : public QWidget {
    Q_OBJECT
  public:
    // `dialogs`: the error box this window shows.
    TView1(QWidget* parent, platform::Dialogs& dialogs);
    ~TView1() override;

    RasterImage* Image;

    void FormCreate();

  private:
    std::unique_ptr<Ui::TView1> ui_;
};

extern TView1* View1;
