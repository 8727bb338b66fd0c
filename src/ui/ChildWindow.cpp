#include "ui/ChildWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace ui {

namespace {

bool parentMustBeOnScreen() {
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

// Shows its window as soon as the watched parent window is on the screen, then goes.
class ShowWhenParentExposed : public QObject {
  public:
    ShowWhenParentExposed(QWidget& window, QWindow& parent) : QObject(&window), window_(window) {
        parent.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            window_.show();
            deleteLater();
        }
        return false;
    }

  private:
    QWidget& window_;
};

} // namespace

void showAsChild(QWidget& window) {
    QWidget* parent = window.parentWidget();
    QWindow* parentWindow = parent ? parent->windowHandle() : nullptr;
    if (parentMustBeOnScreen() && parentWindow && !parentWindow->isExposed())
        new ShowWhenParentExposed(window, *parentWindow);
    else
        window.show();
}

} // namespace ui
