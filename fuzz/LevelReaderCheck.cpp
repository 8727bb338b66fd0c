#include "LevelReaderCheck.h"

#include "errors/IoError.h"
#include "levelio/LevelFile.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <unistd.h>

namespace qorv::fuzz {

namespace {

// How one read ended: a level, or the message of the IoError it threw (which tells
// each code apart).
struct ReadOutcome {
    std::optional<LevelGrid> grid;
    std::string error;
    // Short lines the reader names the cause of: line ends a tool changed, conflict markers
    // out of order or without their end.
    bool shortLinesNamed = false;
};

// Runs a read; an IoError is an outcome, every other exception escapes to the caller.
ReadOutcome outcomeOf(const std::function<LevelGrid()>& read) {
    try {
        return {read(), ""};
    } catch (const LevelTextError& e) {
        return {std::nullopt, e.what(), e.code() == iocode::ReadBeyondEnd};
    } catch (const IoError& e) {
        return {std::nullopt, e.what()};
    }
}

// One scratch file per process, removed at exit.
class ScratchFile {
  public:
    ScratchFile() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qorv-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
    }
    ~ScratchFile() {
        if (folder_.empty()) return;
        ::unlink(path().c_str());
        ::rmdir(folder_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    bool usable() const { return !folder_.empty(); }
    std::string path() const { return folder_ + "/level.qre"; }

    bool write(std::string_view bytes) const {
        std::FILE* file = std::fopen(path().c_str(), "wb");
        if (!file) return false;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return std::fclose(file) == 0 && written;
    }

  private:
    std::string folder_;
};

// A cheap, deterministic choice of every 16th input, so that a crash found with the
// file read reproduces when the input is run again.
bool sampled(std::string_view bytes) {
    unsigned hash = 2166136261u;
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash % 16 == 0;
}

// A grid of tiles without a character, which no read can produce, so that a failed
// loadQRE that touched the grid shows.
LevelGrid markerGrid() {
    LevelGrid grid;
    for (int i = 0; i < GridCells; ++i)
        grid.cells[i] = static_cast<TileIndex>(150 + i % 50);
    return grid;
}

std::string checkReadBack(const LevelGrid& grid) {
    const std::string written = formatLevel(grid);
    if (written.size() != static_cast<std::size_t>(LevelFileSize))
        return "the level writes as " + std::to_string(written.size()) + " bytes";
    const ReadOutcome again = outcomeOf([&] { return parseLevel(written); });
    if (!again.grid) return "the written level fails to read: " + again.error;
    if (*again.grid != grid) return "the written level reads back different";
    if (formatLevel(*again.grid) != written) return "writing the level again gives other bytes";
    return "";
}

std::string checkAgainstFile(std::string_view bytes, const ReadOutcome& parsed) {
    static ScratchFile scratch;
    if (!scratch.usable() || !scratch.write(bytes)) return "cannot write the scratch file";
    const LevelGrid marker = markerGrid();
    LevelGrid loaded = marker;
    const ReadOutcome fromFile = outcomeOf([&] {
        loadQRE(scratch.path(), loaded);
        return loaded;
    });
    if (fromFile.error != parsed.error)
        return "loadQRE fails with \"" + fromFile.error + "\", parseLevel with \"" + parsed.error +
               "\"";
    if (parsed.grid && loaded != *parsed.grid) return "loadQRE reads another level than parseLevel";
    if (!parsed.grid && loaded != marker) return "a failed loadQRE changed the grid";
    return "";
}

std::string checkOrThrow(std::string_view bytes, ThroughFile throughFile) {
    const ReadOutcome parsed = outcomeOf([&] { return parseLevel(bytes); });
    if (parsed.grid) {
        if (std::string problem = checkReadBack(*parsed.grid); !problem.empty()) return problem;
    } else if (parsed.error != ioMessage(iocode::ReadBeyondEnd) && !parsed.shortLinesNamed) {
        // Bytes in memory can only lack lines or bytes, or hold them with other line ends or
        // between conflict markers; no other error can occur.
        return "parseLevel fails with \"" + parsed.error + "\"";
    }
    const bool viaFile = throughFile == ThroughFile::Always ||
                         (throughFile == ThroughFile::Sampled && sampled(bytes));
    return viaFile ? checkAgainstFile(bytes, parsed) : "";
}

} // namespace

std::string checkLevelBytes(std::string_view bytes, ThroughFile throughFile) {
    try {
        return checkOrThrow(bytes, throughFile);
    } catch (const std::exception& e) {
        return std::string("unexpected exception: ") + e.what();
    } catch (...) {
        return "unexpected exception of an unknown type";
    }
}

} // namespace qorv::fuzz
