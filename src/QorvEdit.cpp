// QorvEdit: a level editor for a tile-based game.

#include "ui/MainUnit.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QIcon>

#include <csignal>

int main(int argc, char** argv) {
    // A file-size limit must make a save fail with an error, not kill the editor and the
    // level with it.
    std::signal(SIGXFSZ, SIG_IGN);
    const auto app = ui::makeApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QorvEdit"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/qorvedit.xpm")));
    // Only closing the main window ends the program; the tool windows merely hide.
    QApplication::setQuitOnLastWindowClosed(false);

    ui::WindowSet windows;
    MainForm->show();
    return QApplication::exec();
}
