// Recovery after a crash, in the editor: every completed change of the level is recorded,
// a level left by an editor that ended without closing is offered once, and Yes brings it
// back as Open would while No throws it away.

#include "EditorFixture.h"

#include "core/RecoveryFile.h"
#include "levelio/LevelFile.h"
#include "recovery/RecoverySession.h"

#include <QFile>

using namespace testing_ui;

namespace {
const QString EndedStem = QStringLiteral("/instance-00000000000000ee");
}

class Recovery : public EditorFixture {
  protected:
    qorv::RecoveredLevel recorded() {
        recovery::Session* session = windows().recoverySession();
        if (!session) return {};
        session->waitUntilWritten();
        QFile file(QString::fromStdString(session->recoveryFile()));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return qorv::parseRecoveryFile(file.readAll().toStdString())
            .value_or(qorv::RecoveredLevel{});
    }
    // What an editor that was killed while editing `level` leaves: its recovery file, and
    // its lock, which nobody holds any more.
    void leaveEndedEditor(const QByteArray& name, const qorv::LevelGrid& level) {
        QFile file(recoveryFolder() + EndedStem + ".recovery");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string bytes = qorv::formatRecoveryFile({name.toStdString(), level});
        file.write(bytes.data(), qint64(bytes.size()));
        QFile(recoveryFolder() + EndedStem + ".lock").open(QIODevice::WriteOnly);
    }
    bool endedEditorLeftFiles() const {
        return QFile::exists(recoveryFolder() + EndedStem + ".recovery") ||
               QFile::exists(recoveryFolder() + EndedStem + ".lock");
    }
};

TEST_F(Recovery, EveryCompletedChangeIsRecordedWithTheLevelsName) {
    qorv::saveQRE(path("castle.qre").toStdString(), patternedLevel(4));
    const std::string castle = QFile::encodeName(path("castle.qre")).toStdString();
    const struct {
        const char* change;
        std::function<void()> make;
        std::string name;
    } rows[] = {
        {"stroke", [] { click(MainForm->Image, Qt::LeftButton, 105, 105); }, ""},
        {"Fill", [] { clickButton(ToolsForm->ToolButton10); }, ""},
        {"Undo", [] { clickButton(ToolsForm->ToolButton5); }, ""},
        {"Open",
         [&] {
             platform::setNextFileName(path("castle.qre"));
             clickButton(ToolsForm->ToolButton2);
         },
         castle},
        {"Redo", [] { clickButton(ToolsForm->ToolButton6); }, castle},
        {"New", [] { clickButton(ToolsForm->ToolButton1); }, ""},
    };
    qorv::LevelGrid before = MainForm->Map;
    for (const auto& row : rows) {
        row.make();
        EXPECT_NE(MainForm->Map, before) << row.change << " changes the level";
        EXPECT_EQ(recorded(), (qorv::RecoveredLevel{row.name, MainForm->Map})) << row.change;
        before = MainForm->Map;
    }
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('|').toStdString();
}

TEST_F(Recovery, YesBringsTheLevelBackAsOpenDoes) {
    const struct {
        QByteArray name;
        QString question;
        QString caption;
    } rows[] = {
        {QFile::encodeName(path("castle.qre")),
         "QorvEdit ended while castle.qre had changes that were not saved. Restore them?",
         "QorvEdit - castle.qre"},
        {"", "QorvEdit ended while an unnamed level had changes that were not saved. Restore them?",
         "QorvEdit"},
    };
    for (const auto& row : rows) {
        startEditor(Sheet::Good);
        leaveEndedEditor(row.name, patternedLevel(3));
        const int asked = platform::questionCount();
        platform::setNextAnswer(true);
        windows().offerRecovery();
        EXPECT_EQ(platform::questionCount(), asked + 1);
        EXPECT_EQ(platform::lastQuestion(), row.question);
        EXPECT_EQ(MainForm->windowTitle(), row.caption);
        EXPECT_EQ(MainForm->Map, patternedLevel(3));
        EXPECT_EQ(MainForm->BackupMap, newLevel()) << "Undo brings back the level before";
        EXPECT_TRUE(sameImage(raster(), expectedRaster(patternedLevel(3))));
        EXPECT_EQ(recorded(), (qorv::RecoveredLevel{row.name.toStdString(), patternedLevel(3)}))
            << "now this editor's own";
        EXPECT_FALSE(endedEditorLeftFiles());
    }
}

TEST_F(Recovery, NoThrowsTheLevelAwayAndIsNotAskedAgain) {
    leaveEndedEditor("castle.qre", patternedLevel(3));
    platform::setNextAnswer(false);
    windows().offerRecovery();
    EXPECT_EQ(MainForm->Map, newLevel());
    EXPECT_EQ(MainForm->windowTitle(), "QorvEdit");
    EXPECT_FALSE(endedEditorLeftFiles());
    const int asked = platform::questionCount();
    windows().offerRecovery();
    EXPECT_EQ(platform::questionCount(), asked) << "nothing left to offer";
}

TEST_F(Recovery, ANormalEndLeavesNoRecoveryFile) {
    click(MainForm->Image, Qt::LeftButton, 105, 105);
    ASSERT_EQ(recorded().grid, MainForm->Map);
    MainForm->close();
    endEditor();
    EXPECT_TRUE(QDir(recoveryFolder())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
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
        EXPECT_EQ(ui::recoveryQuestion(name),
                  "QorvEdit ended while " + shown +
                      " had changes that were not saved. Restore them?");
}
