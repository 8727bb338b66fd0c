// Recovery in the editor: the level is recorded exactly while it differs from what its file
// holds, a level left by an editor that crashed or was closed is offered once, Yes brings
// it back as Open would, No throws it away, and a question left unanswered keeps it.

#include "EditorFixture.h"

#include "core/RecoveryFile.h"
#include "levelio/LevelFile.h"
#include "recovery/RecoverySession.h"
#include "storage/SyscallFaults.h"

#include <QFile>

#include <thread>

using namespace testing_ui;

namespace {
const QString EndedStem = QStringLiteral("/instance-00000000000000ee");
using Recorded = std::optional<qorv::RecoveredLevel>;
} // namespace

class Recovery : public EditorFixture {
  protected:
    // This editor's record, once its writer has written every record handed to it.
    Recorded recorded() {
        waitUntilRecorded();
        return recordOnDisk();
    }
    Recorded shown(const std::string& name) { return qorv::RecoveredLevel{name, MainForm->Map}; }
    // What an editor leaves that had `level` with changes that were not saved: its recovery
    // file, and when it crashed, its lock file too, which nobody holds any more.
    void leaveEndedEditor(const QByteArray& name, const qorv::LevelGrid& level, bool crashed) {
        QFile file(recoveryFolder() + EndedStem + ".recovery");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string bytes = qorv::formatRecoveryFile({name.toStdString(), level});
        file.write(bytes.data(), qint64(bytes.size()));
        if (crashed) QFile(recoveryFolder() + EndedStem + ".lock").open(QIODevice::WriteOnly);
    }
    // This editor's record as it is on disk, without waiting for the writer: the recovery
    // file that no ended editor left.
    Recorded recordOnDisk() const {
        QStringList files =
            QDir(recoveryFolder()).entryList({QStringLiteral("*.recovery")}, QDir::Files);
        files.removeAll(EndedStem.mid(1) + ".recovery");
        if (files.isEmpty()) return {};
        QFile file(recoveryFolder() + '/' + files.first());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return qorv::parseRecoveryFile(file.readAll().toStdString());
    }
    bool endedEditorLeftItsLevel() const {
        return QFile::exists(recoveryFolder() + EndedStem + ".recovery");
    }
};

TEST_F(Recovery, TheLevelIsRecordedWhileItDiffersFromItsFile) {
    qorv::saveQRE(path("castle.qre").toStdString(), patternedLevel(4));
    const std::string castle = QFile::encodeName(path("castle.qre")).toStdString();
    const std::string saved = QFile::encodeName(path("saved.qre")).toStdString();
    const struct {
        const char* change;
        std::function<void()> make;
        std::optional<std::string> recordedName; // none: nothing recorded
    } rows[] = {
        {"stroke", [] { click(MainForm->Image, Qt::LeftButton, 105, 105); }, ""},
        {"Undo back to the new level", [] { clickButton(ToolsForm->ToolButton5); }, {}},
        {"Redo", [] { clickButton(ToolsForm->ToolButton6); }, ""},
        {"Save",
         [&] {
             dialogs_.nextFileName = path("saved.qre");
             clickButton(ToolsForm->ToolButton3);
         },
         {}},
        {"Fill", [] { clickButton(ToolsForm->ToolButton10); }, saved},
        {"Open",
         [&] {
             dialogs_.nextFileName = path("castle.qre");
             clickButton(ToolsForm->ToolButton2);
         },
         {}},
        {"Undo of Open", [] { clickButton(ToolsForm->ToolButton5); }, castle},
        {"New", [] { clickButton(ToolsForm->ToolButton1); }, {}},
        {"stroke after New", [] { click(MainForm->Image, Qt::LeftButton, 105, 105); }, ""},
    };
    for (const auto& row : rows) {
        row.make();
        EXPECT_EQ(recorded(), row.recordedName ? shown(*row.recordedName) : Recorded())
            << row.change;
    }
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
}

// The record names the saved file and holds what goes into it before that file gets its
// name (an end at that instant leaves a record its file matches, see below); a save that
// fails brings the record of the level under its old name back.
TEST_F(Recovery, TheRecordNamesTheSavedFileBeforeTheFileGetsItsName) {
    click(MainForm->Image, Qt::LeftButton, 105, 105);
    ASSERT_EQ(recorded(), shown(""));
    QDir(path("")).mkdir("folder.qre");
    dialogs_.nextFileName = path("folder.qre");
    clickButton(ToolsForm->ToolButton3);
    EXPECT_EQ(errors_, QStringList{"File access denied."});
    EXPECT_EQ(recorded(), shown("")) << "a failed save: back under its old name";

    std::vector<Recorded> atNaming; // the record on disk as the saved file gets its name
    {
        qorv::test::InjectedFaults watch;
        const auto editorThread = std::this_thread::get_id();
        watch.beforeEachCall([&](const std::string& call) {
            if ((call == "linkat" || call == "rename") &&
                std::this_thread::get_id() == editorThread)
                atNaming.push_back(recordOnDisk());
        });
        dialogs_.nextFileName = path("saved.qre");
        clickButton(ToolsForm->ToolButton3);
    }
    ASSERT_FALSE(atNaming.empty());
    for (const Recorded& record : atNaming)
        EXPECT_EQ(record, shown(QFile::encodeName(path("saved.qre")).toStdString()));
    EXPECT_EQ(recorded(), Recorded()) << "gone once saved";
}

// A level that its file holds exactly, as an editor ended in the middle of a save leaves
// it, is not offered: nothing would come back that the file does not have.
TEST_F(Recovery, ALevelItsFileHoldsIsNotOffered) {
    const QByteArray name = QFile::encodeName(path("castle.qre"));
    for (const bool crashed : {true, false}) {
        qorv::saveQRE(name.toStdString(), patternedLevel(3));
        leaveEndedEditor(name, patternedLevel(3), crashed);
        windows().offerRecovery();
        EXPECT_EQ(dialogs_.questions, 0);
        EXPECT_FALSE(endedEditorLeftItsLevel()) << "discarded";
        EXPECT_EQ(MainForm->Map, newLevel());
    }
    leaveEndedEditor(name, patternedLevel(4), true);
    windows().offerRecovery();
    EXPECT_EQ(dialogs_.questions, 1) << "a level its file does not hold is offered";
}

TEST_F(Recovery, YesBringsTheLevelBackAsOpenDoes) {
    const struct {
        QString file; // empty: a level that never had a name
        bool crashed;
        QString question;
        QString caption;
    } rows[] = {
        {"castle.qre", true,
         "QorvEdit ended while castle.qre had changes that were not saved. Restore them?",
         "QorvEdit - castle.qre"},
        {"castle.qre", false,
         "QorvEdit was closed while castle.qre had changes that were not saved. Restore them?",
         "QorvEdit - castle.qre"},
        {"", false,
         "QorvEdit was closed while an unnamed level had changes that were not saved. Restore "
         "them?",
         "QorvEdit"},
    };
    for (const auto& row : rows) {
        startEditor(Sheet::Good);
        const QByteArray name =
            row.file.isEmpty() ? QByteArray() : QFile::encodeName(path(row.file));
        leaveEndedEditor(name, patternedLevel(3), row.crashed);
        dialogs_.nextAnswer = platform::Answer::Yes;
        windows().offerRecovery();
        EXPECT_EQ(dialogs_.lastQuestion, row.question);
        EXPECT_EQ(dialogs_.lastOwner, MainForm);
        EXPECT_EQ(MainForm->windowTitle(), row.caption);
        EXPECT_EQ(MainForm->Map, patternedLevel(3));
        EXPECT_EQ(MainForm->BackupMap, newLevel()) << "Undo brings back the level before";
        EXPECT_TRUE(sameImage(raster(), expectedRaster(patternedLevel(3))));
        EXPECT_EQ(recorded(), shown(name.toStdString())) << "now this editor's own";
        EXPECT_FALSE(endedEditorLeftItsLevel());
        clickButton(ToolsForm->ToolButton5); // Undo: back to the new level
        EXPECT_EQ(recorded(), row.file.isEmpty() ? Recorded() : shown(name.toStdString()))
            << "an unnamed level's file holds a new level";
    }
}

// Only No throws the level away; a question closed without an answer keeps it.
TEST_F(Recovery, OnlyNoThrowsTheLevelAway) {
    for (const platform::Answer answer : {platform::Answer::None, platform::Answer::No}) {
        startEditor(Sheet::Good);
        leaveEndedEditor("castle.qre", patternedLevel(3), true);
        dialogs_.nextAnswer = answer;
        windows().offerRecovery();
        EXPECT_EQ(MainForm->Map, newLevel());
        EXPECT_EQ(MainForm->windowTitle(), "QorvEdit");
        const bool kept = answer == platform::Answer::None;
        EXPECT_EQ(endedEditorLeftItsLevel(), kept);
        const int asked = dialogs_.questions;
        windows().offerRecovery();
        EXPECT_EQ(dialogs_.questions, asked + (kept ? 1 : 0)) << "asked again only when kept";
    }
}

TEST(RecoveryQuestion, NamesTheFileReadably) {
    const std::pair<QByteArray, QString> rows[] = {
        {"", "an unnamed level"},
        {"/home/ann/castle.qre", "castle.qre"},
        {"/tmp/a\nb\x1b.qre", R"('a'$'\n''b'$'\033''.qre')"},
        // As every message quotes names: C1 and bidirectional controls, bytes that are no text.
        {"/tmp/gpj\u202e.qre", R"('gpj'$'\342\200\256''.qre')"},
        {"/tmp/\xc2\x9b\xff.qre", R"(''$'\302\233\377''.qre')"},
    };
    for (const auto& [name, shown] : rows)
        EXPECT_EQ(ui::recoveryQuestion(name, false),
                  "QorvEdit ended while " + shown +
                      " had changes that were not saved. Restore them?");
}
