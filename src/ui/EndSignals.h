#pragma once
// SIGTERM, SIGINT and SIGHUP end the editor as closing its main window does, so that a
// logout, a Ctrl-C or a kill ends it normally (its recovery file removed).

class QWidget;

namespace ui {

// From now on each of the three signals closes `mainWindow` from the event loop.
void closeOnEndSignals(QWidget& mainWindow);

} // namespace ui
