// Every file of the fuzzers' seed corpora, run through the same checks as the fuzzers:
// a crash or a broken property found once stays found. A fuzzer's crash input copied
// into fuzz/corpus/<target>/ becomes a regression case here.

#include "../../fuzz/LevelReaderCheck.h"
#include "../../fuzz/TileSheetCheck.h"
#include "render/TileSheet.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// fuzz/corpus/<name> of the source tree, or $QORV_FUZZ_CORPUS/<name>: a fuzz run's whole
// corpus can be replayed that way, for instance under valgrind, which sees pixels that the
// decoder left undefined. (The source file's own name is no guide: a compiler cache that
// shares objects between checkouts makes it relative to the build folder.)
fs::path corpusFolder(const char* name) {
    if (const char* other = std::getenv("QORV_FUZZ_CORPUS"); other && *other)
        return fs::path(other) / name;
    return fs::path(QORV_FUZZ_CORPUS_ROOT) / name;
}

std::vector<fs::path> corpusFiles(const char* name) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(corpusFolder(name)))
        if (entry.is_regular_file()) files.push_back(entry.path());
    return files;
}

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CorpusReplay, LevelReaderCorpus) {
    const std::vector<fs::path> files = corpusFiles("level");
    ASSERT_GE(files.size(), 10u) << "the seed corpus is missing: " << corpusFolder("level");
    for (const fs::path& file : files)
        EXPECT_EQ(qorv::fuzz::checkLevelBytes(bytesOf(file), qorv::fuzz::ThroughFile::Always), "")
            << file.filename();
}

TEST(CorpusReplay, TileSheetCorpus) {
    const std::vector<fs::path> files = corpusFiles("bmp");
    ASSERT_GE(files.size(), 10u) << "the seed corpus is missing: " << corpusFolder("bmp");
    int sound = 0;
    for (const fs::path& file : files) {
        const QByteArray bytes = QByteArray::fromStdString(bytesOf(file));
        EXPECT_EQ(qorv::fuzz::checkBitmapBytes(bytes), "") << file.filename();
        sound += qorv::isSoundBmp(bytes) ? 1 : 0;
    }
    // Seeds that reach the decoder, not only the header checks.
    EXPECT_GE(sound, 10);
}

} // namespace
