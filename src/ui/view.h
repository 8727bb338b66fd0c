#pragma once
// The level browser: the level files of the working directory, each previewed in full
// size when it is selected. It never touches the level being edited.

#include <QWidget>

#include <memory>

namespace Ui {
class TViewForm;
}
namespace platform {
class Dialogs;
}
class QListWidget;

class TViewForm : public QWidget {
    Q_OBJECT
  public:
    // `dialogs`: the error box this window shows.
    TViewForm(QWidget* parent, platform::Dialogs& dialogs);
    ~TViewForm() override;

    QListWidget* LBox;

    // Places the browser under the tools window, lists the levels anew and shows it.
    void openBrowser();

    void LBoxClick();
    void FormClose();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void placeUnderTools();
    void fillList();
    std::unique_ptr<Ui::TViewForm> ui_;
    platform::Dialogs& dialogs_;
    bool placeWhenExposed_ = false; // opened, but not yet framed by the window manager
};

// The browser's outer height for its top edge at `top` on a screen `screenHeight` high:
// down to 30 pixels above the screen's bottom, but never less than a usable minimum.
int browserHeight(int screenHeight, int top);

// The browser's outer top under a tools window whose frame ends at `toolsBottom`: right
// below it, or, where the minimum height does not fit there, moved up so that the browser
// still ends 30 pixels above the screen's bottom.
int browserTop(int screenHeight, int toolsBottom);

extern TViewForm* ViewForm;
