#pragma once
// The modal things of the desktop: the file dialogs, the error box and the Yes/No question.
// The windows receive them when they are made, so that window tests hand in answers of
// their own and never block on a box. Every box has its owner window as parent: the window
// manager keeps it above that window, and the focus goes back there when it closes.

#include <QPointer>
#include <QString>

#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace platform {

struct FileDialogOptions {
    QString filter;        // Qt filter string, e.g. "Qorv Levels (*.qre *.qrl);;All files (*)"
    QString defaultSuffix; // added to a name typed without an extension
    QString initialDir;    // empty: left to the system
};

// How a Yes/No question ended. Escape, the title bar's close and the program ending close
// it without an answer, which is neither Yes nor No.
enum class Answer { Yes, No, None };

// The message as the error box shows it: a full stop is added when the last character
// sorts after "." (letters and digits do, a closing parenthesis does not).
QString errorBoxText(const QString& message);

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // The modal open and save dialogs: the chosen full path, or nothing when the user
    // cancels. The process's working directory is the same afterwards as before.
    virtual std::optional<QString> openFileName(QWidget& owner,
                                                const FileDialogOptions& options) = 0;
    virtual std::optional<QString> saveFileName(QWidget& owner,
                                                const FileDialogOptions& options) = 0;
    // The error box: `text` as it is shown (see errorBoxText), caption "QorvEdit", the
    // error icon, one OK.
    virtual void showError(QWidget& owner, const QString& text) = 0;
    // Caption "QorvEdit", the question icon, Yes (the default button) and No.
    virtual Answer askYesNo(QWidget& owner, const QString& question) = 0;
};

// The real dialogs, Qt's own widgets, the same on every desktop.
class QtDialogs final : public Dialogs {
  public:
    std::optional<QString> openFileName(QWidget& owner, const FileDialogOptions& options) override;
    std::optional<QString> saveFileName(QWidget& owner, const FileDialogOptions& options) override;
    void showError(QWidget& owner, const QString& text) override;
    Answer askYesNo(QWidget& owner, const QString& question) override;

    // The program is ending: what is open now closes unanswered, and nothing opens after.
    void closeAll();

  private:
    std::optional<QString> runFileDialog(QWidget& owner, const FileDialogOptions& options,
                                         bool saving);
    int run(QDialog& dialog, QWidget& owner);

    bool ending_ = false;
    std::vector<QPointer<QDialog>> open_; // a box can open above a dialog
};

} // namespace platform
