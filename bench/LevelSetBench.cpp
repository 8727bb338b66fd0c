// The commands over a set of levels against --check of the same levels, in one run:
// BM_StatsLevels10000 / BM_CheckLevels10000 and BM_FindTileLevels10000 / BM_CheckLevels10000
// (the 10,000 levels of CheckBench) should be 1.5 or less; BM_RemapLevels1000 /
// BM_CheckAndSave1000, --remap of 1,000 levels that all change against --check of them plus
// the safe save of each, 1.3 or less.

#include "ManyLevels.h"
#include "tools/Check.h"
#include "cli/CommandLine.h"
#include "tools/FindTile.h"
#include "tools/Stats.h"
#include "tools/Remap.h"
#include "core/TileRemap.h"
#include "levelio/LevelFile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

// Output and complaints alike go to /dev/null: the levels that fail to read are reported on
// standard error by these commands.
struct Sink {
    Sink() : console(std::fopen("/dev/null", "w"), std::fopen("/dev/null", "w")) {}
    ~Sink() { console.finish(0); }
    app::Console console;
};

app::Invocation invocationOf(const QStringList& arguments) {
    return app::parseCommandLine(QStringList{"qorvedit"} + arguments);
}

void runOverFolder(benchmark::State& state, const QStringList& command, app::Handler& handler,
                   int expected) {
    const app::Invocation invocation = invocationOf(command + bench::folder().names());
    Sink sink;
    for (auto _ : state)
        if (handler(invocation, sink.console) != expected)
            state.SkipWithError("the short levels were not reported");
}

void BM_StatsLevels10000(benchmark::State& state) {
    runOverFolder(state, {"--stats"}, app::runStats, 1);
}
BENCHMARK(BM_StatsLevels10000)->Unit(benchmark::kMillisecond);

// Tile 2 is in 186,820 cells of the levels that read: a line of output each.
void BM_FindTileLevels10000(benchmark::State& state) {
    runOverFolder(state, {"--find-tile", "2"}, app::runFindTile, 2);
}
BENCHMARK(BM_FindTileLevels10000)->Unit(benchmark::kMillisecond);

// 1,000 new levels; the swap of walls and tile 2 changes every one of them at every run.
class RemapFolder {
  public:
    RemapFolder() {
        qorv::LevelGrid grid;
        qorv::ClearFull(grid);
        for (int i = 0; i < 1000; ++i) {
            grid.at(1 + i % 62, 1 + i / 62) = 2;
            const QString path = dir_.filePath(QStringLiteral("level%1.qre").arg(i));
            qorv::saveQRE(path.toStdString(), grid);
            paths_ << path;
        }
    }
    const QStringList& paths() const { return paths_; }

  private:
    QTemporaryDir dir_;
    QStringList paths_;
};

const RemapFolder& remapFolder() {
    static const RemapFolder levels;
    return levels;
}

void BM_RemapLevels1000(benchmark::State& state) {
    const app::Invocation invocation =
        invocationOf(QStringList{"--remap", "1=2,2=1"} + remapFolder().paths());
    Sink sink;
    for (auto _ : state)
        if (app::runRemap(invocation, sink.console) != 0) state.SkipWithError("a level failed");
}
BENCHMARK(BM_RemapLevels1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckAndSave1000(benchmark::State& state) {
    qorv::TileMap swap = qorv::identityTileMap();
    swap[1] = 2;
    swap[2] = 1;
    Sink sink;
    qorv::LevelGrid grid;
    for (auto _ : state) {
        if (!app::checkLevels(remapFolder().paths(), sink.console))
            state.SkipWithError("a level failed");
        for (const QString& path : remapFolder().paths()) {
            qorv::loadQRE(path.toStdString(), grid);
            qorv::saveQRE(path.toStdString(), qorv::remapTiles(grid, swap));
        }
    }
}
BENCHMARK(BM_CheckAndSave1000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
