#pragma once
// The dialogs the window tests hand to the windows: answers set in advance instead of a
// user's, and a record of what was asked and shown. Nothing modal ever opens.

#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QStringList>

namespace testing_ui {

class FakeDialogs : public platform::Dialogs {
  public:
    // The next file dialog's answer: a name as if typed and confirmed (it gets the default
    // suffix as Qt's dialog adds it), or nothing: cancelled. One answer per dialog.
    std::optional<QString> nextFileName;
    int fileDialogs = 0;
    platform::FileDialogOptions lastOptions;

    platform::Answer nextAnswer = platform::Answer::None; // one answer per question
    int questions = 0;
    QString lastQuestion;

    QStringList errors;           // the texts of the error boxes, as shown
    QWidget* lastOwner = nullptr; // of the last box or dialog

    std::optional<QString> openFileName(QWidget& owner,
                                        const platform::FileDialogOptions& options) override {
        return fileDialog(owner, options);
    }
    std::optional<QString> saveFileName(QWidget& owner,
                                        const platform::FileDialogOptions& options) override {
        return fileDialog(owner, options);
    }
    void showError(QWidget& owner, const QString& text) override {
        lastOwner = &owner;
        errors.append(text);
    }
    platform::Answer askYesNo(QWidget& owner, const QString& question) override {
        lastOwner = &owner;
        ++questions;
        lastQuestion = question;
        return std::exchange(nextAnswer, platform::Answer::None);
    }

  private:
    std::optional<QString> fileDialog(QWidget& owner, const platform::FileDialogOptions& options) {
        lastOwner = &owner;
        ++fileDialogs;
        lastOptions = options;
        const auto name = std::exchange(nextFileName, std::nullopt);
        if (!name || options.defaultSuffix.isEmpty() || !QFileInfo(*name).suffix().isEmpty())
            return name;
        return *name + '.' + options.defaultSuffix;
    }
};

} // namespace testing_ui
