// QorvEdit: a level editor for a tile-based game.

#include "cli/CommandLine.h"
#include "cli/Headless.h"
#include "startup/LevelFolder.h"
#include "startup/PlatformChoice.h"
#include "platform/Dialogs.h"
#include "text/Message.h"
#include "ui/EndSignals.h"
#include "ui/MainUnit.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <csignal>

namespace {
QList<QByteArray> argumentsOf(int argc, char** argv) {
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}
void sayNoDisplay(const QString& why) {
    std::fputs(qorv::text::complaint(app::noDisplayMessage(why).toStdString()).c_str(), stderr);
}
} // namespace

int main(int argc, char** argv) {
    // A file-size limit must make a save fail with an error, not kill the editor and the
    // level with it.
    std::signal(SIGXFSZ, SIG_IGN);
    // Decided before any application object exists: the level tools, help and errors need
    // no display and must not look for one.
    const app::Invocation invocation = app::parseCommandLine(argumentsOf(argc, argv));
    if (app::runsHeadless(invocation)) return app::runHeadless(invocation);

    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!app::displayFound(environment)) {
        sayNoDisplay(QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set"));
        return 1;
    }
    app::applyPlatformChoice(app::choosePlatform(environment));
    const QString level =
        invocation.files.isEmpty() ? QString() : app::enterFolderOf(invocation.files.first());

    // Qt sees only the program's name: the arguments were ours, and a level named like one
    // of Qt's own options ("-reverse") must stay a level.
    int qtArgc = 1;
    const auto application = ui::makeApplication(qtArgc, argv, sayNoDisplay);
    QApplication::setApplicationName(QStringLiteral("QorvEdit"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/qorvedit.xpm")));
    // Only closing the main window ends the program; the tool windows merely hide.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::QtDialogs dialogs;
    ui::EndSignals ending(dialogs); // from before the first window: its boxes included
    ui::WindowSet windows(dialogs);
    if (ending.received()) return 0; // during the start: no window is shown any more
    MainForm->show();
    // Once the event loop runs, after the windows were shown: the level's error box and the
    // offer of a level that another editor left with changes that were not saved.
    QTimer::singleShot(0, MainForm, [&] {
        if (!level.isEmpty()) windows.open(level);
        windows.offerRecovery();
    });
    return QApplication::exec();
}
