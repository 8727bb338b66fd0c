#pragma once
// Running the built editor as a build pipeline runs it: no display, no QT_QPA_PLATFORM,
// no X server or Wayland compositor to find.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace qorv::test {

// QProcess needs an application object; one for the whole test program.
inline void ensureCoreApplication() {
    static int argc = 1;
    static char name[] = "qorv_app_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

struct Result {
    int exitCode;
    QString out;
    QString err;
};

// `output`: the file standard output goes to; empty: a pipe the test reads. The tests may
// themselves run under CI: its variables reach the editor only through `variables`
// ("NAME=VALUE"). `wrapper`: a command that runs the editor (setpriv ... --), or none.
inline Result runEditor(const QStringList& arguments, const QString& workDir,
                        const QString& output = QString(), const QStringList& variables = {},
                        const QStringList& wrapper = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE",
                             "GITHUB_ACTIONS", "GITHUB_STEP_SUMMARY"})
        environment.remove(QString::fromLatin1(name));
    for (const QString& variable : variables)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    QProcess editor;
    editor.setProcessEnvironment(environment);
    editor.setWorkingDirectory(workDir);
    if (!output.isEmpty()) editor.setStandardOutputFile(output);
    const QString program = QStringLiteral(QORV_EDITOR_PATH);
    if (wrapper.isEmpty())
        editor.start(program, arguments);
    else
        editor.start(wrapper.first(), wrapper.mid(1) + QStringList{program} + arguments);
    EXPECT_TRUE(editor.waitForFinished(60000));
    return {editor.exitStatus() == QProcess::NormalExit ? editor.exitCode() : -1,
            QString::fromLocal8Bit(editor.readAllStandardOutput()),
            QString::fromLocal8Bit(editor.readAllStandardError())};
}

inline QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace qorv::test
