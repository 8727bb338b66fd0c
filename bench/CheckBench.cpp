// Checking 10,000 levels, as "qorvedit --check" does, against plain reads of the same
// files: the figures to compare are BM_CheckLevels10000 / BM_RawRead10000 (the reader's
// own cost on top of the file system's) and BM_CheckProgram10000 / BM_RawRead10000 (the
// whole program, started once for all the files).

#include "BenchApplication.h"
#include "app/LevelTools.h"
#include "core/LevelFile.h"

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int LevelCount = 10000;

// 10,000 different levels, every tenth of them too short to read, in one folder.
class LevelFolder {
  public:
    LevelFolder() {
        qorv::LevelGrid grid;
        qorv::ClearFull(grid);
        for (int i = 0; i < LevelCount; ++i) {
            grid.at(1 + i % 62, 1 + (i / 62) % 43) = static_cast<qorv::TileIndex>(i % 112);
            const QString name = QStringLiteral("level%1.qre").arg(i, 5, 10, QChar('0'));
            const std::string path = dir_.filePath(name).toStdString();
            qorv::saveQRE(path, grid);
            if (i % 10 == 9) ::truncate(path.c_str(), 2000);
            names_ << name;
            paths_.push_back(path);
        }
        QDir::setCurrent(dir_.path());
    }
    const QStringList& names() const { return names_; }
    const std::vector<std::string>& paths() const { return paths_; }
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    QStringList names_;
    std::vector<std::string> paths_;
};

const LevelFolder& folder() {
    static const LevelFolder levels;
    return levels;
}

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

} // namespace
