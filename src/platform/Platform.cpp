#include "platform/Platform.h"

#include "render/TileSheetSearch.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <dirent.h>

#include <memory>

namespace platform {

short GetKeyState(int virtualKey) {
    if (virtualKey != VK_CONTROL) return 0;
    // The modifiers of the event being dispatched, not the keyboard's state right now.
    const bool down = QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    return down ? short(-128) : short(0);
}

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(); // no screen: no special placement
}

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + '.';
    return message;
}

namespace {
ErrorBoxCatcher& errorBoxCatcher() {
    static ErrorBoxCatcher catcher;
    return catcher;
}
} // namespace

void setErrorBoxCatcher(ErrorBoxCatcher catcher) {
    errorBoxCatcher() = std::move(catcher);
}

void showErrorBox(const QString& message) {
    const QString text = errorBoxText(message);
    if (errorBoxCatcher()) {
        errorBoxCatcher()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("QorvEdit"), text, QMessageBox::Ok);
    box.exec();
}

namespace {
struct QuestionState {
    std::optional<bool> presetAnswer;
    QString lastQuestion;
    int count = 0;
};
QuestionState& questionState() {
    static QuestionState state;
    return state;
}
} // namespace

bool askYesNo(const QString& question) {
    questionState().lastQuestion = question;
    ++questionState().count;
    if (const auto preset = std::exchange(questionState().presetAnswer, std::nullopt))
        return *preset;
    QMessageBox box(QMessageBox::Question, QStringLiteral("QorvEdit"), question,
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void setNextAnswer(bool yes) {
    questionState().presetAnswer = yes;
}

QString lastQuestion() {
    return questionState().lastQuestion;
}

int questionCount() {
    return questionState().count;
}

QString tileSheetName(const QString& installedDataFolder) {
    const QString found = qorv::findTileSheet({}, {}, installedDataFolder).found;
    return found.isEmpty() ? QString::fromLatin1(qorv::TileSheetFileName) : found;
}

QString tileSheetName() {
    return tileSheetName(qorv::installedDataFolder());
}

namespace {
struct DialogState {
    std::optional<std::optional<QString>> presetAnswer;
    FileDialogOptions lastOptions;
    int count = 0;
};
DialogState& dialogState() {
    static DialogState state;
    return state;
}

QString withDefaultSuffix(const QString& name, const QString& suffix) {
    if (suffix.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
    return name + '.' + suffix;
}

std::optional<QString> runDialog(QWidget* parent, const FileDialogOptions& options,
                                 QFileDialog::AcceptMode mode) {
    dialogState().lastOptions = options;
    ++dialogState().count;
    if (auto preset = std::exchange(dialogState().presetAnswer, std::nullopt)) {
        if (!*preset) return std::nullopt;
        return withDefaultSuffix(**preset, options.defaultSuffix);
    }
    const QString workingDir = QDir::currentPath();
    QFileDialog dialog(parent, QString(), options.initialDir, options.filter);
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(options.defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // The editor replaces files without asking; the open dialog accepts any name, and the
    // load then reports a missing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog behaves the same on every desktop (and under a virtual display).
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    QDir::setCurrent(workingDir);
    if (!accepted) return std::nullopt;
    return dialog.selectedFiles().first();
}
} // namespace

std::optional<QString> GetOpenFileName(QWidget* parent, const FileDialogOptions& options) {
    return runDialog(parent, options, QFileDialog::AcceptOpen);
}

std::optional<QString> GetSaveFileName(QWidget* parent, const FileDialogOptions& options) {
    return runDialog(parent, options, QFileDialog::AcceptSave);
}

void setNextFileName(std::optional<QString> answer) {
    dialogState().presetAnswer = answer;
}

FileDialogOptions lastFileDialogOptions() {
    return dialogState().lastOptions;
}

int fileDialogCount() {
    return dialogState().count;
}

namespace {
bool endsWithIgnoringCase(const QString& name, const QString& extension) {
    return name.size() >= extension.size() && name.endsWith(extension, Qt::CaseInsensitive);
}
} // namespace

QStringList findEntries(const QString& extension) {
    QStringList names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir("."), &::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray raw(entry->d_name);
        if (raw == "." || raw == "..") continue;
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw) continue; // not faithfully representable
        if (endsWithIgnoringCase(name, extension)) names.append(name);
    }
    return names;
}

} // namespace platform
