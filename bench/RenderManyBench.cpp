// Drawing 1,000 levels into a folder with "qorvedit --render ... --out-dir", against two
// baselines: one tmxrasterizer run per map, as pipelines draw Tiled maps today
// (BM_TmxRasterizerOneMap * 1000 / BM_RenderProgram1000 should be 10 or more), and the
// bare cost of encoding the same 1,000 pictures as PNG in memory, the floor of this work
// (BM_RenderProgram1000 / BM_PngEncode1000 should be 1.5 or less). The floor encodes
// exactly what the program's encoder hands to Qt's PNG writer, with its settings: the
// picture as pngReady makes it (palette already built, so the program pays for that
// and the floor does not) at PngCompression, on one core.

#include "BenchApplication.h"
#include "core/CharTable.h"
#include "levelio/LevelFile.h"
#include "render/TileSheet.h"
#include "tools/Export.h"
#include "tools/ImageFile.h"
#include "tools/LevelTools.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

#include <sys/resource.h>

namespace {

constexpr int LevelCount = 1000;

// 1,000 levels of random tiles with the example tile sheet beside them, and a map of one.
class RenderFolder {
  public:
    RenderFolder() {
        QDir(dir_.path()).mkdir("out");
        QFile::copy(QStringLiteral(QORV_EXAMPLES_DIR "/all.bmp"), dir_.filePath("all.bmp"));
        std::vector<qorv::TileIndex> tiles;
        for (int tile = 0; tile < 256; ++tile)
            if (qorv::M2O(qorv::TileIndex(tile))) tiles.push_back(qorv::TileIndex(tile));
        std::mt19937 random(1000);
        const QImage sheet = qorv::loadBitmap(dir_.filePath("all.bmp"));
        for (int i = 0; i < LevelCount; ++i) {
            qorv::LevelGrid grid;
            for (qorv::TileIndex& cell : grid.cells)
                cell = tiles[random() % tiles.size()];
            levels_ << dir_.filePath(QStringLiteral("level%1.qre").arg(i));
            qorv::saveQRE(levels_.last().toStdString(), grid);
            pictures_.push_back(app::pngReady(app::drawLevel(grid, sheet)));
        }
        app::exportLevelAsMap(levels_.first(), dir_.filePath("all.bmp"), map());
    }
    const QStringList& levels() const { return levels_; }
    const std::vector<QImage>& pictures() const { return pictures_; }
    QString out() const { return dir_.filePath("out"); }
    QString map() const { return dir_.filePath("level0.tmx"); }

  private:
    QTemporaryDir dir_;
    QStringList levels_;
    std::vector<QImage> pictures_;
};

const RenderFolder& folder() {
    static const RenderFolder levels;
    return levels;
}

void runProgram(benchmark::State& state, const QStringList& arguments) {
    for (auto _ : state)
        if (!bench::runEditor(arguments))
            state.SkipWithError(qPrintable("qorvedit " + arguments.first() + " failed"));
}

void BM_RenderProgram1000(benchmark::State& state) {
    runProgram(state, QStringList{"--render"} + folder().levels() +
                          QStringList{"--out-dir", folder().out()});
}
BENCHMARK(BM_RenderProgram1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 1,000 pictures into a folder that already holds 10,000 other files, against into
// a folder of their own (BM_RenderIntoCrowdedFolder / BM_RenderIntoOwnFolder should be 1.2 or
// less): the folder is listed once in a run for leftovers of dead saves, not once a picture.
// Both folders hold the 1,000 pictures from the first run on, so both replace them alike.
constexpr int CrowdCount = 10000;

QString folderOf(const char* name, int others) {
    const QString path = folder().out() + "/../" + name;
    if (QDir().mkpath(path))
        for (int i = 0; i < others; ++i)
            QFile(QStringLiteral("%1/other%2.txt").arg(path).arg(i)).open(QIODevice::WriteOnly);
    return path;
}

// The kernel's time of the program's runs, where listing a folder shows, apart from the
// wall time that the syncs of 1,000 files dominate: "system_ms" a run.
double childrenSystemMs() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

void renderInto(benchmark::State& state, const QString& out) {
    const double before = childrenSystemMs();
    runProgram(state, QStringList{"--render"} + folder().levels() + QStringList{"--out-dir", out});
    state.counters["system_ms"] =
        benchmark::Counter((childrenSystemMs() - before) / double(state.iterations()));
}

void BM_RenderIntoOwnFolder(benchmark::State& state) {
    static const QString own = folderOf("own", 0);
    renderInto(state, own);
}
BENCHMARK(BM_RenderIntoOwnFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderIntoCrowdedFolder(benchmark::State& state) {
    static const QString crowded = folderOf("crowded", CrowdCount);
    renderInto(state, crowded);
}
BENCHMARK(BM_RenderIntoCrowdedFolder)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same 1,000 levels on one contact sheet (BM_SheetProgram1000 / BM_RenderProgram1000
// should be 0.5 or less) and as a web page with their pictures and thumbnails, each level
// read once for its failures, counts and pictures (BM_ReportProgram1000 /
// BM_RenderProgram1000 should be 1.0 or less).
void BM_SheetProgram1000(benchmark::State& state) {
    runProgram(state, QStringList{"--sheet", folder().out() + "/sheet.png"} + folder().levels());
}
BENCHMARK(BM_SheetProgram1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReportProgram1000(benchmark::State& state) {
    runProgram(state, QStringList{"--report", folder().out() + "/report"} + folder().levels());
}
BENCHMARK(BM_ReportProgram1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PngEncode1000(benchmark::State& state) {
    for (auto _ : state) {
        for (const QImage& picture : folder().pictures()) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, "png");
            writer.setCompression(app::PngCompression);
            writer.write(picture);
            benchmark::DoNotOptimize(bytes.data());
        }
    }
}
BENCHMARK(BM_PngEncode1000)->Unit(benchmark::kMillisecond);

void BM_TmxRasterizerOneMap(benchmark::State& state) {
    bench::application(); // for QProcess
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    const QString picture = folder().out() + "/tiled.png";
    for (auto _ : state) {
        QProcess tiled;
        tiled.setProcessEnvironment(environment);
        tiled.setStandardErrorFile(QProcess::nullDevice());
        tiled.start("tmxrasterizer", {"--no-smoothing", folder().map(), picture});
        if (!tiled.waitForFinished(60000) || !QFile::exists(picture))
            state.SkipWithError("tmxrasterizer drew nothing");
    }
}
BENCHMARK(BM_TmxRasterizerOneMap)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
