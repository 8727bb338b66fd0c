#include "app/RenderMany.h"

#include "app/FileInOut.h"
#include "app/LevelTools.h"
#include "core/IoError.h"
#include "render/TileSheet.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <optional>

namespace app {

namespace {

// Each sheet is read once, whether it loads or fails.
class SheetCache {
  public:
    const QImage& sheet(const QString& name) {
        const QString key = QFileInfo(name).absoluteFilePath();
        auto found = sheets_.find(key);
        if (found == sheets_.end()) found = sheets_.insert(key, load(name));
        if (!found->image) throw qorv::EditorError(found->error);
        return *found->image;
    }

  private:
    struct Loaded {
        std::optional<QImage> image;
        std::string error;
    };
    static Loaded load(const QString& name) {
        try {
            return {qorv::loadBitmap(name), {}};
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
                                    .arg(shownName(folder))
                                    .toStdString());
    QHash<QString, QString> levelOf;
    QStringList outputs;
    for (const QString& level : levels) {
        const QString output = QDir(folder).filePath(QFileInfo(level).completeBaseName() + ".png");
        if (levelOf.contains(output))
            throw qorv::EditorError(
                QStringLiteral("%1 and %2 would both be drawn into %3")
                    .arg(shownName(levelOf[output]), shownName(level), shownName(output))
                    .toStdString());
        levelOf.insert(output, level);
        outputs << output;
    }
    return outputs;
}

} // namespace

bool renderLevelsIntoFolder(const QStringList& levels, const QString& tiles, const QString& folder,
                            std::FILE* report) {
    const QStringList outputs = outputsFor(levels, folder);
    SheetCache sheets;
    bool allDrawn = true;
    for (qsizetype i = 0; i < levels.size(); ++i) {
        const QString& level = levels[i];
        const QString sheet = tiles.isEmpty() ? defaultSheetFor(level) : tiles;
        try {
            // The reader's message names the level already, as --check prints it.
            const qorv::LevelGrid grid = readLevel(level);
            try {
                const QImage raster = drawLevel(grid, sheets.sheet(sheet));
                writeOutputFile(outputs[i], encodeImageFor(raster, outputs[i]), {level, sheet});
            } catch (const qorv::EditorError& error) {
                throw qorv::EditorError(shownName(level).toStdString() + ": " + error.what());
            }
        } catch (const qorv::EditorError& error) {
            allDrawn = false;
            std::fprintf(report, "%s\n", error.what());
        }
    }
    return allDrawn;
}

} // namespace app
