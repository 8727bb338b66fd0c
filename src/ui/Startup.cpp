#include "ui/Startup.h"

#include "ui/AccessibleNames.h"
#include "ui/AccessibleRoles.h"
#include "ui/Handler.h"
#include "ui/MainUnit.h"
#include "ui/Shortcuts.h"
#include "ui/Tools.h"
#include "ui/view.h"
#include "ui/view1form.h"

#include <QApplication>

namespace ui {

std::unique_ptr<QApplication> makeApplication(int& argc, char** argv) {
    // Whole scale factors only, so the raster is enlarged without smoothing on high-DPI
    // screens and every screen pixel maps back to one raster pixel.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    auto app = std::make_unique<QApplication>(argc, argv);
    // Every motion event the window system delivers reaches the editor: Qt would merge
    // the moves queued while a stamp is drawn, and a fast brush stroke would skip cells.
    // Set once the application exists, since X11's platform plugin turns merging on as
    // it loads.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    installAccessibleRoles();
    return app;
}

WindowSet::WindowSet() : main_(std::make_unique<TMainForm>()) {
    // The main window's native window first: the other three are made transient for it,
    // and on Wayland the tools window waits for that window to appear on the screen.
    main_->winId();
    new TToolsForm(main_.get());
    new TViewForm(main_.get());
    new TView1(main_.get());
    addShortcuts(*main_, *ToolsForm);
    keepKeysWithin(*ViewForm);
    keepKeysWithin(*View1);
    nameControls();
}

WindowSet::~WindowSet() = default;

void WindowSet::open(const QString& path) {
    runHandler([&] { ToolsForm->openLevel(path); });
}

} // namespace ui
