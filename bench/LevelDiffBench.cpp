// The version-control tools against checking the same files plus writing their output, in
// process: BM_Diff / BM_Check2AndPrint (reading the two levels, then printing as many lines
// with fprintf), BM_Merge / BM_Check3AndSave (reading the three levels, then saving the
// merged level).

#include "InProcessTools.h"
#include "cli/CommandLine.h"
#include "levelio/LevelFile.h"
#include "tools/Check.h"
#include "tools/Diff.h"
#include "tools/Merge.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A level, and two versions of it with 100 different cells changed on each side.
class Levels {
  public:
    Levels() {
        qorv::LevelGrid base;
        qorv::ClearFull(base);
        qorv::LevelGrid ours = base, theirs = base;
        for (int i = 0; i < 100; ++i) {
            ours.at(1 + i % 62, 1 + i / 62) = static_cast<qorv::TileIndex>(2 + i % 100);
            theirs.at(1 + i % 62, 20 + i / 62) = static_cast<qorv::TileIndex>(3 + i % 100);
        }
        qorv::saveQRE(path("base.qre").toStdString(), base);
        qorv::saveQRE(path("ours.qre").toStdString(), ours);
        qorv::saveQRE(path("theirs.qre").toStdString(), theirs);
        merged_ = ours;
        for (int i = 0; i < 100; ++i)
            merged_.at(1 + i % 62, 20 + i / 62) = theirs.at(1 + i % 62, 20 + i / 62);
    }
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    const qorv::LevelGrid& merged() const { return merged_; }

  private:
    QTemporaryDir dir_;
    qorv::LevelGrid merged_;
};

const Levels& levels() {
    static const Levels made;
    return made;
}

using bench::invocation;
using bench::Sink;

void BM_Check2AndPrint(benchmark::State& state) {
    const QStringList files = {levels().path("ours.qre"), levels().path("theirs.qre")};
    Sink sink;
    for (auto _ : state) {
        if (!app::checkLevels(files, sink.console)) state.SkipWithError("a level did not read");
        // As many lines as the diff prints, each printed the plain way.
        for (int i = 0; i < 200; ++i)
            std::fprintf(sink.file, "%d,%d: %d -> %d\n", 1 + i % 62, 1 + i / 62, i % 100, 1);
        std::fflush(sink.file);
    }
}
BENCHMARK(BM_Check2AndPrint)->Unit(benchmark::kMicrosecond);

void BM_Diff(benchmark::State& state) {
    const app::Invocation diff =
        invocation({"--diff", levels().path("ours.qre"), levels().path("theirs.qre")});
    Sink sink;
    for (auto _ : state)
        if (app::runDiff(diff, sink.console) != 1) state.SkipWithError("no difference");
}
BENCHMARK(BM_Diff)->Unit(benchmark::kMicrosecond);

void BM_Check3AndSave(benchmark::State& state) {
    const QStringList files = {levels().path("base.qre"), levels().path("ours.qre"),
                               levels().path("theirs.qre")};
    const std::string out = levels().path("out.qre").toStdString();
    Sink sink;
    for (auto _ : state) {
        if (!app::checkLevels(files, sink.console)) state.SkipWithError("a level did not read");
        qorv::saveQRE(out, levels().merged());
    }
}
BENCHMARK(BM_Check3AndSave)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Merge(benchmark::State& state) {
    const app::Invocation merge =
        invocation({"--merge", levels().path("base.qre"), levels().path("ours.qre"),
                    levels().path("theirs.qre"), "-o", levels().path("out.qre")});
    Sink sink;
    for (auto _ : state)
        if (app::runMerge(merge, sink.console) != 0) state.SkipWithError("the merge failed");
}
BENCHMARK(BM_Merge)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
