#pragma once
// The level preview: one level at 10 pixels per cell, drawn from the main window's tile
// sheet, placed on the main window's top-left corner.

#include <QWidget>

#include <memory>

namespace Ui {
class TView1;
}
class RasterImage;

class TView1 : public QWidget {
    Q_OBJECT
  public:
    explicit TView1(QWidget* parent);
    ~TView1() override;

    RasterImage* Image;

    void FormCreate();

  private:
    std::unique_ptr<Ui::TView1> ui_;
};

extern TView1* View1;
