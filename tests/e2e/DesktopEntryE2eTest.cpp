// The installed desktop entry, run as a file manager runs it for a level file: its Exec
// line with %f replaced by the file's path, from a folder that is not the level's.
// tests/desktop/integration.sh installs into a temporary prefix and runs this with
// QORV_INSTALL_PREFIX pointing there.

#include "e2e/EditorSession.h"

#include <QFile>
#include <QStandardPaths>

namespace e2e {
namespace {

const char* const EntryPath = "/share/applications/org.qorvedit.QorvEdit.desktop";

// The value of `key` in the entry's [Desktop Entry] group.
QString entryValue(const QString& entry, const QString& key) {
    QFile file(entry);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n'))
        if (line.startsWith(key + '=')) return line.mid(key.size() + 1);
    return {};
}

class DesktopEntry : public EditorSession {
  protected:
    void SetUp() override {
        prefix_ = qEnvironmentVariable("QORV_INSTALL_PREFIX");
        if (prefix_.isEmpty())
            GTEST_SKIP() << "run by tests/desktop/integration.sh, which installs the editor";
        EditorSession::SetUp();
    }

    Launch launch() override {
        writeWorkFile(QStringLiteral("maze.qre"), levelFile(Level::patterned(7)));
        // The field codes of the Exec line, as a launcher expands them for one file. The
        // path holds no character that would need quoting.
        const QString exec = entryValue(prefix_ + EntryPath, QStringLiteral("Exec"));
        EXPECT_EQ(exec, QStringLiteral("qorvedit %f"));
        QStringList words = exec.split(' ', Qt::SkipEmptyParts);
        if (words.isEmpty()) return {};
        for (QString& word : words)
            word.replace(QStringLiteral("%f"), workPath(QStringLiteral("maze.qre")));
        const QString program =
            QStandardPaths::findExecutable(words.takeFirst(), {prefix_ + QStringLiteral("/bin")});
        // Started from the root folder: the tile sheet must be found beside the level.
        return {program,
                words,
                QStringLiteral("/"),
                Level::patterned(7),
                QStringLiteral("QorvEdit - maze.qre"),
                QImage()};
    }

    QString prefix_;
};

TEST_P(DesktopEntry, OpensTheLevelWithItsCaptionAndItsNeighbouringTileSheet) {
    // Started, the windows are in place and the level is shown (checked while starting).
    EXPECT_TRUE(rasterShows(Level::patterned(7)));
    EXPECT_TRUE(visibleWindow(QStringLiteral("QorvEdit - maze.qre")));
    // Undo brings back the new level the editor started with.
    click(onTools(tools::Undo));
    EXPECT_TRUE(rasterShows(Level::fresh()));
}

// A file manager runs the entry on a desktop with a window manager.
INSTANTIATE_TEST_SUITE_P(Desktops, DesktopEntry, ::testing::Values(Desktop::WindowManager),
                         desktopName);

} // namespace
} // namespace e2e
