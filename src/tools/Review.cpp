#include "tools/Review.h"

#include "render/TileSheetSearch.h"
#include "storage/RemoveFile.h"
#include "tools/FolderComparison.h"
#include "tools/ImageFile.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/ParallelWork.h"
#include "tools/Reporting.h"
#include "tools/ReviewMarkdown.h"
#include "tools/Usage.h"

#include <QDir>

#include <optional>
#include <string>
#include <vector>

namespace app {

namespace {

// A level's three pictures are synced one after the other, three waits for the disk where
// --render has one; the file system commits the syncs of files written at once together, so
// more levels are kept in flight (docs/performance.md).
constexpr int ReviewLevelsInFlightPerCore = 4 * LevelsInFlightPerCore;

// The tile sheets of the two folders, each loaded once (one, when both find the same).
struct Sheets {
    Sheets(const QString& given, const QString& before, const QString& after)
        : beforeFile(requireSheet(qorv::findTileSheet(given, before))),
          afterFile(requireSheet(qorv::findTileSheet(given, after))),
          beforeImage(loadSheet(beforeFile)),
          afterImage(afterFile == beforeFile ? beforeImage : loadSheet(afterFile)) {}
    QString beforeFile, afterFile;
    QImage beforeImage, afterImage;
};

// The level drawn before and after, and after with its changed cells framed: each drawn
// once and encoded as --render and --diff --png encode them.
void drawPictures(const ComparedLevel& level, const Sheets& sheets, const QDir& folder) {
    const QStringList inputs = {level.beforeFile, level.afterFile, sheets.beforeFile,
                                sheets.afterFile};
    const QImage after = drawLevel(level.after, sheets.afterImage);
    const auto write = [&](const char* kind, const QImage& picture) {
        const QString output = folder.filePath(pictureName(level, kind));
        writeOutputFile(output, encodeImageFor(picture, output), inputs);
    };
    write("before", drawLevel(level.before, sheets.beforeImage));
    write("after", after);
    write("changes", withCellsMarked(after, level.cells));
}

// Parts of an earlier, longer review would pass for parts of this one: they go, from the
// first number this review does not use up to the first that is not there.
void removeStaleParts(const QDir& folder, std::size_t used) {
    for (std::size_t number = used + 1;; ++number) {
        const QString part = folder.filePath(QString::fromStdString(partFileName(number)));
        const qorv::Removal removal = aboutFile(
            part, [&] { return qorv::removeOwnFile(fileName(part)); }, "Cannot remove ");
        if (removal == qorv::Removal::Absent) return;
    }
}

void writeReview(const ReviewText& review, const QDir& folder) {
    writeOutputFile(folder.filePath(MainFileName), review.main, {});
    for (std::size_t i = 0; i < review.parts.size(); ++i)
        writeOutputFile(folder.filePath(QString::fromStdString(partFileName(i + 1))),
                        review.parts[i], {});
    removeStaleParts(folder, review.parts.size());
}

} // namespace

int runReview(const Invocation& invocation, Console& console) {
    const QString &before = invocation.files.at(0), &after = invocation.files.at(1);
    for (const QString& name : {before, after})
        if (!namesFolder(name))
            return refuseUsage(
                QStringLiteral("--review compares two folders of levels; %1 is a file.")
                    .arg(quotedName(name)),
                console);
    const FolderComparison comparison = compareFolders(before, after);
    // Made only once the levels are known to compare: a slip of the arguments makes nothing.
    prepareOutputFolder(invocation.output);
    const QDir folder(invocation.output);
    std::vector<const ComparedLevel*> changed;
    for (const ComparedLevel& level : comparison.differing)
        if (level.fate == LevelFate::Changed) changed.push_back(&level);
    std::optional<Sheets> sheets;
    if (!changed.empty()) sheets.emplace(invocation.value(Extra::Tiles), before, after);

    std::vector<std::optional<std::string>> problems = inParallel(
        qsizetype(changed.size()),
        [&](qsizetype i) { drawPictures(*changed[std::size_t(i)], *sheets, folder); },
        ReviewLevelsInFlightPerCore);
    problems.push_back(failureOf([&] { writeReview(reviewMarkdown(comparison), folder); }));
    bool written = true;
    for (const std::optional<std::string>& problem : problems)
        if (problem) {
            written = false;
            console.complain(*problem);
        }
    return written ? 0 : UsageStatus; // as --diff: 2 is trouble
}

} // namespace app
