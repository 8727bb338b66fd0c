#include "BenchApplication.h"

#include "ui/Startup.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace bench {

QApplication& application() {
    static int argc = 1;
    static char name[] = "qorvedit_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The editor's recovery files go to a folder of the benchmark's own, removed at exit.
    static QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    // Never destroyed: Qt's own statics may already be gone when exit handlers run.
    static QApplication* app = ui::makeApplication(argc, argv, nullptr).release();
    return *app;
}

bool runEditor(const QStringList& arguments, int status) {
    application(); // for QProcess
    QProcess program;
    program.start(QStringLiteral(QORV_EDITOR_PATH), arguments);
    return program.waitForFinished(600000) && program.exitStatus() == QProcess::NormalExit &&
           program.exitCode() == status;
}

} // namespace bench
