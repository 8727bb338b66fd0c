// A review of 100 changed levels against the picture of each change alone, in process:
// BM_Review100 (one --review OLD NEW -o DIR: the Markdown, and the before, after and changes
// pictures of every level) / BM_DiffPng100 (one --diff OLD/N NEW/N --png per level) should
// be 1.5 or less. Both write through the safe replacement into one folder; processor time is
// the whole process's, for the review draws on several threads.

#include "BenchApplication.h"
#include "InProcessTools.h"
#include "tools/Diff.h"
#include "tools/Review.h"
#include "core/CharTable.h"
#include "levelio/LevelFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int PairCount = 100;

// 100 levels of random tiles in old/, each with 100 random cells changed in new/, the example
// tile sheet beside both.
class ChangedFolders {
  public:
    ChangedFolders() {
        for (const char* folder : {"old", "new", "out"}) {
            QDir(dir_.path()).mkdir(folder);
            QFile::copy(QStringLiteral(QORV_EXAMPLES_DIR "/all.bmp"),
                        dir_.filePath(QString(folder) + "/all.bmp"));
        }
        std::vector<qorv::TileIndex> tiles;
        for (int tile = 0; tile < 256; ++tile)
            if (qorv::M2O(qorv::TileIndex(tile))) tiles.push_back(qorv::TileIndex(tile));
        std::mt19937 random(100);
        for (int i = 0; i < PairCount; ++i) {
            qorv::LevelGrid grid;
            for (qorv::TileIndex& cell : grid.cells)
                cell = tiles[random() % tiles.size()];
            const QString name = QStringLiteral("level%1.qre").arg(i);
            qorv::saveQRE(path("old/" + name).toStdString(), grid);
            for (int change = 0; change < 100; ++change)
                grid.cells[random() % grid.cells.size()] = tiles[random() % tiles.size()];
            qorv::saveQRE(path("new/" + name).toStdString(), grid);
            names_ << name;
        }
    }
    QString path(const QString& name) const { return dir_.filePath(name); }
    const QStringList& names() const { return names_; }

  private:
    QTemporaryDir dir_;
    QStringList names_;
};

const ChangedFolders& folders() {
    static const ChangedFolders made;
    return made;
}

using bench::invocation;
using bench::Sink;

void BM_DiffPng100(benchmark::State& state) {
    std::vector<app::Invocation> diffs;
    for (const QString& name : folders().names())
        diffs.push_back(
            invocation({"--diff", folders().path("old/" + name), folders().path("new/" + name),
                        "--png", folders().path("out/" + name + ".png")}));
    Sink sink;
    for (auto _ : state)
        for (const app::Invocation& diff : diffs)
            if (app::runDiff(diff, sink.console) != 1) state.SkipWithError("no difference");
}
BENCHMARK(BM_DiffPng100)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_Review100(benchmark::State& state) {
    const app::Invocation review = invocation(
        {"--review", folders().path("old"), folders().path("new"), "-o", folders().path("out")});
    Sink sink;
    for (auto _ : state)
        if (app::runReview(review, sink.console) != 0) state.SkipWithError("no review");
}
BENCHMARK(BM_Review100)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The same as a reviewer runs them: one program per pair, as a script around --diff --png
// does, against the one --review (BM_ReviewProgram100 / BM_DiffPngProgram100, wall time).
void BM_DiffPngProgram100(benchmark::State& state) {
    for (auto _ : state)
        for (const QString& name : folders().names())
            if (!bench::runEditor({"--diff", folders().path("old/" + name),
                                   folders().path("new/" + name), "--png",
                                   folders().path("out/" + name + ".png")},
                                  1))
                state.SkipWithError("qorvedit --diff --png found no difference");
}
BENCHMARK(BM_DiffPngProgram100)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReviewProgram100(benchmark::State& state) {
    for (auto _ : state)
        if (!bench::runEditor({"--review", folders().path("old"), folders().path("new"), "-o",
                               folders().path("out")}))
            state.SkipWithError("qorvedit --review failed");
}
BENCHMARK(BM_ReviewProgram100)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
