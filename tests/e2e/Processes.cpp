#include "e2e/Processes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace e2e {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "qorv_e2e_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

RunResult run(const QString& program, const QStringList& arguments,
              const QProcessEnvironment& environment, int limitMs) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    RunResult result;
    if (!process.waitForStarted(limitMs)) return result;
    if (!process.waitForFinished(limitMs)) {
        process.kill();
        process.waitForFinished(limitMs);
        return result;
    }
    result.finished = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    return result;
}

QString findProgram(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

bool pollUntil(const std::function<bool()>& done, int limitMs) {
    const QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(15);
    }
    return true;
}

} // namespace e2e
