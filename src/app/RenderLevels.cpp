#include "app/RenderLevels.h"

#include "app/ImageFile.h"
#include "app/LevelTools.h"
#include "app/OutputFile.h"
#include "app/Reporting.h"
#include "storage/IoError.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace app {

namespace {

constexpr int LevelsInFlightPerCore = 4;

unsigned cores() {
    return std::max(1u, std::thread::hardware_concurrency());
}

// Each sheet is read once, whether it loads or fails; a search that found none fails for
// every level it was made for.
class SheetCache {
  public:
    void load(const qorv::TileSheetSearch& search) {
        const QString key = keyOf(search);
        if (sheets_.contains(key)) return;
        Loaded loaded;
        loaded.error = failureOf([&] { loaded.image = loadSheet(requireSheet(search)); });
        sheets_.insert(key, loaded);
    }

    // A sheet loaded before; throws EditorError with its failure when it failed. Const, so
    // that drawing threads can share the cache.
    const QImage& sheet(const qorv::TileSheetSearch& search) const {
        const Loaded& found = *sheets_.constFind(keyOf(search));
        if (found.error) throw qorv::EditorError(*found.error);
        return found.image;
    }

  private:
    struct Loaded {
        QImage image;
        std::optional<std::string> error;
    };
    static QString keyOf(const qorv::TileSheetSearch& search) {
        if (search.found.isEmpty()) return '\n' + search.lookedIn.join('\n');
        return QFileInfo(search.found).absoluteFilePath();
    }
    QHash<QString, Loaded> sheets_;
};

// DIR/NAME.png of every level, in the levels' order; refused when two levels share one.
QStringList outputsFor(const QStringList& levels, const QString& folder) {
    if (!QFileInfo(folder).isDir())
        throw qorv::EditorError("Cannot render into " + about(folder, "no such folder"));
    QHash<QString, QString> levelOf;
    QStringList outputs;
    for (const QString& level : levels) {
        const QString output = QDir(folder).filePath(QFileInfo(level).completeBaseName() + ".png");
        if (levelOf.contains(output))
            throw qorv::EditorError(
                QStringLiteral("%1 and %2 would both be drawn into %3")
                    .arg(quotedName(levelOf[output]), quotedName(level), quotedName(output))
                    .toStdString());
        levelOf.insert(output, level);
        outputs << output;
    }
    return outputs;
}

struct Picture {
    QString level;
    const qorv::TileSheetSearch& sheet;
    QString output;
};

// Draws one level into its picture file. The output is looked at first, so that the graver
// reason to refuse it is the one reported.
void renderOne(const Picture& picture, const SheetCache& sheets, Console* standardOutput) {
    const QStringList inputs = {picture.level, picture.sheet.found};
    checkOutputFile(picture.output, inputs, standardOutput);
    const qorv::LevelGrid grid = readLevel(picture.level);
    const QImage raster = drawLevel(grid, sheets.sheet(picture.sheet));
    writeOutputFile(picture.output, encodeImageFor(raster, picture.output), inputs, standardOutput);
}

} // namespace

int runRender(const Invocation& invocation, Console& console) {
    const QStringList& levels = invocation.files;
    const bool intoFolder = invocation.given(Extra::OutDir);
    const QStringList outputs =
        intoFolder ? outputsFor(levels, invocation.output) : QStringList{invocation.output};
    SheetCache sheets;
    for (const qorv::TileSheetSearch& sheet : invocation.sheets)
        sheets.load(sheet);
    // One picture may go to standard output; many go into a folder, drawn by several threads.
    Console* standardOutput = intoFolder ? nullptr : &console;
    // Drawing and encoding a level takes about two milliseconds of a core; saving its
    // picture waits as long or longer for the disk (the safe replacement syncs every
    // file). With several levels in flight per core, the waits overlap each other and
    // the work.
    std::vector<std::optional<std::string>> problems(std::size_t(levels.size()));
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype i; (i = next++) < levels.size();)
            problems[std::size_t(i)] = failureOf([&] {
                renderOne({levels[i], invocation.sheets[i], outputs[i]}, sheets, standardOutput);
            });
    };
    std::vector<std::thread> workers;
    const qsizetype threads =
        std::min<qsizetype>(levels.size(), LevelsInFlightPerCore * qsizetype(cores()));
    for (qsizetype n = 1; n < threads; ++n)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();

    bool allDrawn = true;
    for (const std::optional<std::string>& problem : problems)
        if (problem) {
            allDrawn = false;
            console.complain(*problem);
        }
    return allDrawn ? 0 : 1;
}

} // namespace app
