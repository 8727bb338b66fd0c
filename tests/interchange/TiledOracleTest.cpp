// Tiled's own renderer as the oracle: every example level and random levels that use
// every tile with a character, exported as TMX and as JSON, drawn by tmxrasterizer, equal
// --render pixel for pixel. tmxrasterizer exits 0 even when it drew nothing, so only its
// pixels count.

#include "../render/SyntheticSheet.h"
#include "tools/Export.h"
#include "core/CharTable.h"
#include "levelio/LevelFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr int RandomLevels = 100;

// Runs the programs two at a time, as the machine has two cores; returns the exit codes.
std::vector<int> runAll(const QString& program, const std::vector<QStringList>& runs,
                        const QProcessEnvironment& environment) {
    std::vector<int> codes(runs.size(), -1);
    std::vector<std::unique_ptr<QProcess>> running(runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        if (i >= 2) running[i - 2]->waitForFinished(120000);
        running[i] = std::make_unique<QProcess>();
        running[i]->setProcessEnvironment(environment);
        running[i]->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        running[i]->start(program, runs[i]);
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        running[i]->waitForFinished(120000);
        codes[i] = running[i]->exitStatus() == QProcess::NormalExit ? running[i]->exitCode() : -1;
    }
    return codes;
}

class TiledOracle : public ::testing::Test {
  protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "qorv_interchange_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv); // for QProcess
        ASSERT_TRUE(work_.isValid());
        rasterizer_ = QStandardPaths::findExecutable("tmxrasterizer");
        ASSERT_FALSE(rasterizer_.isEmpty()) << "tmxrasterizer (Debian package tiled) is missing";
        ASSERT_TRUE(QDir(work_.path()).mkpath("runtime"));
        QFile::setPermissions(path("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
        environment_.insert("XDG_RUNTIME_DIR", path("runtime"));
    }
    QString path(const QString& name) const { return work_.filePath(name); }

    // Exports every level with app's --export code, draws both maps with tmxrasterizer and
    // compares them with the pictures --render drew into "rendered/".
    void expectTiledDrawsAsWeDo(const QStringList& levels, const QString& sheet) {
        std::vector<QStringList> runs;
        QStringList pictures;
        for (const QString& level : levels) {
            const QString name = QFileInfo(level).completeBaseName();
            for (const char* extension : {".tmx", ".tmj"}) {
                const QString map = path("maps/" + name + extension);
                app::exportLevelAsMap(level, sheet, map);
                runs.push_back({"--no-smoothing", map, map + ".png"});
                pictures << name;
            }
        }
        runAll(rasterizer_, runs, environment_);
        for (size_t i = 0; i < runs.size(); ++i) {
            const QImage expected(path("rendered/" + pictures[qsizetype(i)] + ".png"));
            const QImage tiled(runs[i][2]);
            ASSERT_FALSE(expected.isNull()) << pictures[qsizetype(i)].toStdString();
            ASSERT_EQ(tiled.size(), expected.size()) << runs[i][1].toStdString();
            // Every pixel drawn (opaque) and of the colour --render gave it.
            EXPECT_EQ(tiled.convertToFormat(QImage::Format_ARGB32),
                      expected.convertToFormat(QImage::Format_ARGB32))
                << runs[i][1].toStdString();
        }
    }

    void renderWithTheEditor(QStringList arguments) {
        ASSERT_TRUE(QDir(work_.path()).mkpath("rendered"));
        arguments << "--out-dir" << path("rendered");
        QProcess editor;
        editor.setProcessChannelMode(QProcess::ForwardedChannels);
        editor.start(QStringLiteral(QORV_EDITOR_PATH), arguments);
        ASSERT_TRUE(editor.waitForFinished(300000));
        ASSERT_EQ(editor.exitCode(), 0);
    }

    QTemporaryDir work_;
    QString rasterizer_;
    QProcessEnvironment environment_;
};

TEST_F(TiledOracle, ExampleLevelsDrawAlike) {
    ASSERT_TRUE(QDir(work_.path()).mkpath("maps"));
    const QDir examples(QStringLiteral(QORV_EXAMPLES_DIR));
    QStringList levels;
    for (const QString& level : examples.entryList({"*.qre"}, QDir::Files))
        levels << examples.filePath(level);
    ASSERT_GE(levels.size(), 3);
    renderWithTheEditor(QStringList{"--render"} + levels);
    expectTiledDrawsAsWeDo(levels, examples.filePath("all.bmp"));
}

TEST_F(TiledOracle, RandomLevelsWithEveryTileDrawAlike) {
    ASSERT_TRUE(QDir(work_.path()).mkpath("maps"));
    ASSERT_TRUE(qorv::test::syntheticSheet(160, 160).save(path("sheet.bmp"), "BMP"));
    std::vector<qorv::TileIndex> tiles;
    for (int tile = 0; tile < 256; ++tile)
        if (qorv::M2O(qorv::TileIndex(tile))) tiles.push_back(qorv::TileIndex(tile));
    std::mt19937 random(7);
    QStringList levels;
    for (int n = 0; n < RandomLevels; ++n) {
        // Every tile once, at random places, and random tiles everywhere else.
        std::vector<qorv::TileIndex> cells(qorv::GridCells);
        for (size_t i = 0; i < cells.size(); ++i)
            cells[i] = i < tiles.size() ? tiles[i] : tiles[random() % tiles.size()];
        std::shuffle(cells.begin(), cells.end(), random);
        qorv::LevelGrid grid;
        std::copy(cells.begin(), cells.end(), grid.cells.begin());
        levels << path(QStringLiteral("random%1.qre").arg(n));
        qorv::saveQRE(levels.last().toStdString(), grid);
    }
    renderWithTheEditor(QStringList{"--render", "--tiles", path("sheet.bmp")} + levels);
    expectTiledDrawsAsWeDo(levels, path("sheet.bmp"));
}

} // namespace
