#include "platform/Dialogs.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>

#include <algorithm>

namespace platform {

QString errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + '.';
    return message;
}

namespace {

const QString Caption = QStringLiteral("QorvEdit");

// A Yes/No box that only Yes and No answer: Qt's would take Escape and the title bar's
// close for No, and No throws away what the question offers.
class Question : public QMessageBox {
  public:
    Question(const QString& text, QWidget& owner)
        : QMessageBox(QMessageBox::Question, Caption, text, QMessageBox::Yes | QMessageBox::No,
                      &owner) {
        setDefaultButton(QMessageBox::Yes);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel))
            reject();
        else
            QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

} // namespace

int QtDialogs::run(QDialog& dialog, QWidget& owner) {
    if (ending_) return QDialog::Rejected;
    open_.emplace_back(&dialog);
    const int result = dialog.exec();
    std::erase_if(open_, [&](const QPointer<QDialog>& d) { return !d || d == &dialog; });
    // Where the window manager puts the focus once a box goes is its own choice; it
    // belongs to the window the box came from, so that its keys go on acting there.
    if (owner.isVisible()) owner.activateWindow();
    return result;
}

void QtDialogs::closeAll() {
    ending_ = true;
    for (const QPointer<QDialog>& dialog : std::vector(open_))
        if (dialog) dialog->reject();
}

void QtDialogs::showError(QWidget& owner, const QString& text) {
    QMessageBox box(QMessageBox::Critical, Caption, text, QMessageBox::Ok, &owner);
    run(box, owner);
}

Answer QtDialogs::askYesNo(QWidget& owner, const QString& question) {
    Question box(question, owner);
    switch (run(box, owner)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::None;
    }
}

std::optional<QString> QtDialogs::runFileDialog(QWidget& owner, const FileDialogOptions& options,
                                                bool saving) {
    const QString workingDir = QDir::currentPath();
    QFileDialog dialog(&owner, QString(), options.initialDir, options.filter);
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(options.defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    // The editor replaces files without asking; the open dialog accepts any name, and the
    // load then reports a missing file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog behaves the same on every desktop (and under a virtual display).
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    const bool accepted =
        run(dialog, owner) == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    QDir::setCurrent(workingDir);
    if (!accepted) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::openFileName(QWidget& owner, const FileDialogOptions& options) {
    return runFileDialog(owner, options, false);
}

std::optional<QString> QtDialogs::saveFileName(QWidget& owner, const FileDialogOptions& options) {
    return runFileDialog(owner, options, true);
}

} // namespace platform
