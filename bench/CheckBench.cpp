// Checking 10,000 levels, as "qorvedit --check" does, against plain reads of the same
// files: the figures to compare are BM_CheckLevels10000 / BM_RawRead10000 (the reader's
// own cost on top of the file system's), BM_CheckProgram10000 / BM_RawRead10000 (the
// whole program, started once for all the files) and BM_RulesAllKinds / BM_ReadLevelsNoRules
// (a team's rules, one of each kind, checked on top of the same reading) and
// BM_CheckProgramFolder10000 / BM_CheckProgram10000 (the folder given for its levels).

#include "BenchApplication.h"
#include "ManyLevels.h"
#include "errors/IoError.h"
#include "findings/LineReports.h"
#include "levelio/LevelFile.h"
#include "rules/RuleCheck.h"
#include "rules/RulesFile.h"
#include "tools/Check.h"

#include <QDir>
#include <QProcess>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

using bench::folder;

void BM_RawRead10000(benchmark::State& state) {
    const auto& paths = folder().paths();
    std::array<char, qorv::LevelFileSize> buffer;
    for (auto _ : state) {
        for (const std::string& path : paths) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            ::close(fd);
            benchmark::DoNotOptimize(got);
            benchmark::DoNotOptimize(buffer);
        }
    }
}
BENCHMARK(BM_RawRead10000)->Unit(benchmark::kMillisecond);

void BM_CheckLevels10000(benchmark::State& state) {
    const QStringList& names = folder().names();
    app::Console sink(std::fopen("/dev/null", "w"), stderr);
    for (auto _ : state) {
        const bool allRead = app::checkLevels(names, sink);
        if (allRead) state.SkipWithError("the short levels were not reported");
    }
    sink.finish(0);
}
BENCHMARK(BM_CheckLevels10000)->Unit(benchmark::kMillisecond);

void BM_CheckProgram10000(benchmark::State& state) {
    bench::application(); // for QProcess
    const QStringList arguments = QStringList{QStringLiteral("--check")} + folder().names();
    for (auto _ : state) {
        QProcess check;
        check.setWorkingDirectory(folder().path());
        check.setStandardOutputFile(QProcess::nullDevice());
        check.start(QStringLiteral(QORV_EDITOR_PATH), arguments);
        if (!check.waitForFinished(60000) || check.exitCode() != 1)
            state.SkipWithError("qorvedit --check did not report the short levels");
    }
}
BENCHMARK(BM_CheckProgram10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same levels as the set of the folder: the listing in place of 10,000 arguments
// (BM_CheckProgramFolder10000 / BM_CheckProgram10000 should be 1.05 or less).
void BM_CheckProgramFolder10000(benchmark::State& state) {
    bench::application(); // for QProcess
    for (auto _ : state) {
        QProcess check;
        check.setWorkingDirectory(folder().path());
        check.setStandardOutputFile(QProcess::nullDevice());
        check.start(QStringLiteral(QORV_EDITOR_PATH), {QStringLiteral("--check"), "."});
        if (!check.waitForFinished(60000) || check.exitCode() != 1)
            state.SkipWithError("qorvedit --check did not report the short levels");
    }
}
BENCHMARK(BM_CheckProgramFolder10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One rule of each kind, over tiles the levels above hold: most levels pass, as in CI, and
// the flood fill runs through the painted cells in every one.
qorv::rules::RuleSet benchRules() {
    std::string palette;
    for (int tile = 0; tile < 112; ++tile)
        palette += std::to_string(tile) + ", ";
    return qorv::rules::parseRules("[[rule]]\nid = 'walled'\nborder = [1]\n"
                                   "[[rule]]\nid = 'palette'\ntiles-allowed = [" +
                                   palette +
                                   "]\n"
                                   "[[rule]]\nid = 'few-gems'\ncount = { tile = 2, max = 60 }\n"
                                   "[[rule]]\nid = 'dry'\nforbidden-neighbours = [[3, 4]]\n"
                                   "[[rule]]\nid = 'exit'\nreachable = { from = 10, to = [11], "
                                   "through = [0, 2, 10, 11] }\n");
}

// --check with a rules file: every level read as BM_CheckLevels10000 reads it, a failure to
// read printed, then the rules checked and their failures printed. Without rules, the same
// loop is the baseline: the reading costs the same in both.
void checkAgainst(benchmark::State& state, const qorv::rules::RuleSet& rules) {
    // The levels are written before the clock starts: their 10,000 synced saves would
    // otherwise be the first repetition's time.
    const auto& paths = folder().paths();
    std::FILE* sink = std::fopen("/dev/null", "w");
    std::vector<qorv::findings::Finding> found;
    qorv::LevelGrid grid{};
    for (auto _ : state) {
        for (const std::string& path : paths) {
            try {
                qorv::loadQRE(path, grid);
            } catch (const qorv::EditorError& error) {
                std::fprintf(sink, "%s: %s\n", path.c_str(), error.what());
                continue;
            }
            found.clear();
            qorv::rules::checkRules(grid, rules, path, found);
            for (const qorv::findings::Finding& finding : found)
                std::fputs(qorv::findings::plainLine(finding, finding.file).c_str(), sink);
        }
    }
    std::fclose(sink);
}

void BM_ReadLevelsNoRules(benchmark::State& state) {
    checkAgainst(state, {});
}
BENCHMARK(BM_ReadLevelsNoRules)->Unit(benchmark::kMillisecond);

void BM_RulesAllKinds(benchmark::State& state) {
    checkAgainst(state, benchRules());
}
BENCHMARK(BM_RulesAllKinds)->Unit(benchmark::kMillisecond);

} // namespace
