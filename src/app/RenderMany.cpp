#include "app/RenderMany.h"

#include "app/ImageFile.h"
#include "app/InputFile.h"
#include "app/LevelTools.h"
#include "app/OutputFile.h"
#include "app/Quoting.h"
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

// Each sheet is read once, whether it loads or fails.
class SheetCache {
  public:
    // Loads the sheet unless it was loaded before.
    void load(const QString& name) {
        const QString key = QFileInfo(name).absoluteFilePath();
        if (!sheets_.contains(key)) sheets_.insert(key, loaded(name));
    }

    // A sheet loaded before; throws EditorError with its loader's message when it failed.
    // Const, so that drawing threads can share the cache.
    const QImage& sheet(const QString& name) const {
        const Loaded& found = *sheets_.constFind(QFileInfo(name).absoluteFilePath());
        if (!found.image) throw qorv::EditorError(found.error);
        return *found.image;
    }

  private:
    struct Loaded {
        std::optional<QImage> image;
        std::string error;
    };
    static Loaded loaded(const QString& name) {
        try {
            return {loadSheet(name), {}};
        } catch (const qorv::EditorError& error) {
            return {std::nullopt, error.what()};
        }
    }
    QHash<QString, Loaded> sheets_;
};

// DIR/NAME.png of every level, in the levels' order; refused when two levels share one.
QStringList outputsFor(const QStringList& levels, const QString& folder) {
    if (!QFileInfo(folder).isDir())
        throw qorv::EditorError(QStringLiteral("Cannot render into %1: no such folder")
                                    .arg(quotedName(folder))
                                    .toStdString());
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

// Draws one level into its picture file; returns "" or the line that reports the failure,
// which names the level as --check does.
std::string renderOne(const QString& level, const SheetCache& sheets, const QString& output,
                      const QString& sheet) {
    try {
        const qorv::LevelGrid grid = readLevel(level); // its message names the level
        try {
            const QByteArray picture = encodeImageFor(drawLevel(grid, sheets.sheet(sheet)), output);
            writeOutputFile(output, picture, {level, sheet});
        } catch (const qorv::EditorError& error) {
            return quotedName(level).toStdString() + ": " + error.what();
        }
    } catch (const qorv::EditorError& error) {
        return error.what();
    }
    return {};
}

} // namespace

bool renderLevelsIntoFolder(const QStringList& levels, const QString& tiles, const QString& folder,
                            Console& console) {
    const QStringList outputs = outputsFor(levels, folder);
    QStringList sheetNames;
    SheetCache sheets;
    for (const QString& level : levels) {
        sheetNames << (tiles.isEmpty() ? defaultSheetFor(level) : tiles);
        sheets.load(sheetNames.last());
    }
    // Drawing and encoding a level takes about two milliseconds of a core; saving its
    // picture waits as long or longer for the disk (the safe replacement syncs every
    // file). With several levels in flight per core, the waits overlap each other and
    // the work.
    std::vector<std::string> problems(std::size_t(levels.size()));
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype i; (i = next++) < levels.size();)
            problems[std::size_t(i)] = renderOne(levels[i], sheets, outputs[i], sheetNames[i]);
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
    for (const std::string& problem : problems) {
        if (problem.empty()) continue;
        allDrawn = false;
        console.writeError(problem + "\n");
    }
    return allDrawn;
}

} // namespace app
