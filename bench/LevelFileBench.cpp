// Reading and saving a level against the bare system calls that any reader or writer
// of the same 2,970 bytes needs: the figures to compare are the ratios
// BM_LoadLevel / BM_RawRead and BM_SaveLevel (and BM_SaveLevelInPlace) / BM_RawWriteSync.

#include "levelio/LevelFile.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using namespace qorv;

// A folder of its own for each benchmark, holding one saved level.
class BenchFolder {
  public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qorv-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        LevelGrid grid;
        ClearFull(grid);
        saveQRE(level(), grid);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string level() const { return path_ + "/level.qre"; }

  private:
    std::string path_;
};

void BM_LoadLevel(benchmark::State& state) {
    const BenchFolder folder;
    const std::string name = folder.level();
    LevelGrid grid;
    for (auto _ : state) {
        loadQRE(name, grid);
        benchmark::DoNotOptimize(grid);
    }
}
BENCHMARK(BM_LoadLevel);

void BM_RawRead(benchmark::State& state) {
    const BenchFolder folder;
    const std::string name = folder.level();
    std::array<char, LevelFileSize> buffer;
    for (auto _ : state) {
        const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        ::close(fd);
        if (got != LevelFileSize) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_RawRead);

void BM_SaveLevel(benchmark::State& state) {
    const BenchFolder folder;
    const std::string name = folder.level();
    LevelGrid grid;
    ClearFull(grid);
    for (auto _ : state)
        saveQRE(name, grid);
}
BENCHMARK(BM_SaveLevel)->UseRealTime();

// A level with a second link is overwritten in place rather than replaced.
void BM_SaveLevelInPlace(benchmark::State& state) {
    const BenchFolder folder;
    const std::string name = folder.level();
    if (::link(name.c_str(), (name + ".link").c_str()) != 0) state.SkipWithError("no link");
    LevelGrid grid;
    ClearFull(grid);
    for (auto _ : state)
        saveQRE(name, grid);
}
BENCHMARK(BM_SaveLevelInPlace)->UseRealTime();

void BM_RawWriteSync(benchmark::State& state) {
    const BenchFolder folder;
    const std::string name = folder.level();
    LevelGrid grid;
    ClearFull(grid);
    const std::string bytes = formatLevel(grid);
    for (auto _ : state) {
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        ::fsync(fd);
        ::close(fd);
        if (put != LevelFileSize) state.SkipWithError("short write");
    }
}
BENCHMARK(BM_RawWriteSync)->UseRealTime();

} // namespace
