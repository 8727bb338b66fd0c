#include "tools/Review.h"

#include "render/TileSheetSearch.h"
#include "storage/RemoveFile.h"
#include "tools/FolderComparison.h"
#include "tools/ImageFile.h"
#include "tools/LevelSet.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/ParallelWork.h"
#include "tools/Progress.h"
#include "tools/Reporting.h"
#include "tools/ReviewMarkdown.h"
#include "tools/SheetCache.h"
#include "tools/Usage.h"

#include <QScopeGuard>

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
        : beforeSearch(qorv::findTileSheet(given, before)),
          afterSearch(qorv::findTileSheet(given, after)), cache({beforeSearch, afterSearch}),
          beforeImage(cache.sheet(beforeSearch)), afterImage(cache.sheet(afterSearch)),
          beforeFile(beforeSearch.found), afterFile(afterSearch.found) {}
    qorv::TileSheetSearch beforeSearch, afterSearch;
    SheetCache cache;
    QImage beforeImage, afterImage;
    QString beforeFile, afterFile;
};

// The level drawn before and after, and after with its changed cells framed: each drawn
// once and encoded as --render and --diff --png encode them.
void drawPictures(const ComparedLevel& level, const Sheets& sheets, const QString& folder) {
    const QStringList inputs = {level.beforeFile, level.afterFile, sheets.beforeFile,
                                sheets.afterFile};
    const QImage after = drawLevel(level.after, sheets.afterImage);
    const auto write = [&](const char* kind, const QImage& picture) {
        const QString output = namedIn(folder, pictureName(level, kind));
        writeOutputFile(output, encodeImageFor(picture, output), inputs);
    };
    write("before",
          withCellsMarked(drawLevel(level.before, sheets.beforeImage), level.beforeConflicts));
    write("after", withCellsMarked(after, level.afterConflicts));
    write("changes", withCellsMarked(after, level.cells));
}

// Parts of an earlier, longer review would pass for parts of this one: they go, from the
// first number this review does not use up to the first that is not there.
void removeStaleParts(const QString& folder, std::size_t used) {
    for (std::size_t number = used + 1;; ++number) {
        const QString part = namedIn(folder, QString::fromStdString(partFileName(number)));
        const qorv::Removal removal = aboutFile(
            part, [&] { return qorv::removeOwnFile(fileName(part)); }, "Cannot remove ");
        if (removal == qorv::Removal::Absent) return;
    }
}

void writeReview(const ReviewText& review, const QString& folder) {
    writeOutputFile(namedIn(folder, QLatin1String(MainFileName)), review.main, {});
    for (std::size_t i = 0; i < review.parts.size(); ++i)
        writeOutputFile(namedIn(folder, QString::fromStdString(partFileName(i + 1))),
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
    const FolderComparison comparison =
        compareFolders(before, after, invocation.given(Extra::Recursive), true);
    // Made only once the levels are known to compare: a slip of the arguments makes nothing.
    prepareOutputFolder(invocation.output);
    const QString& folder = invocation.output;
    std::vector<const ComparedLevel*> changed;
    bool allRead = true;
    for (const ComparedLevel& level : comparison.differing) {
        if (level.fate == LevelFate::Changed) changed.push_back(&level);
        // Told once, as every command tells it; the review lists it and goes on.
        if (level.fate == LevelFate::Unreadable) {
            console.complain(level.failure);
            allRead = false;
        }
    }
    std::optional<Sheets> sheets;
    if (!changed.empty()) sheets.emplace(invocation.value(Extra::Tiles), before, after);

    Progress progress(console, qsizetype(changed.size()));
    std::vector<std::optional<std::string>> problems = inParallel(
        qsizetype(changed.size()),
        [&](qsizetype i) {
            const auto ticked = qScopeGuard([&] { progress.tick(); });
            drawPictures(*changed[std::size_t(i)], *sheets, folder);
        },
        ReviewLevelsInFlightPerCore);
    problems.push_back(failureOf([&] { writeReview(reviewMarkdown(comparison), folder); }));
    bool written = true;
    for (const std::optional<std::string>& problem : problems)
        if (problem) {
            written = false;
            console.complain(*problem);
        }
    if (!written) return UsageStatus; // as --diff: 2 is trouble
    return allRead ? 0 : 1;
}

} // namespace app
