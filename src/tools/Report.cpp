#include "tools/Report.h"

#include "findings/LineReports.h"
#include "render/Subsample.h"
#include "text/Quoting.h"
#include "tools/Check.h"
#include "tools/ImageFile.h"
#include "tools/LevelTools.h"
#include "tools/OutputFile.h"
#include "tools/ParallelWork.h"
#include "tools/Progress.h"
#include "tools/ReportPage.h"
#include "tools/Reporting.h"
#include "tools/SheetCache.h"
#include "tools/Usage.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>

#include <cctype>

namespace app {

namespace {

constexpr int ThumbnailScale = 4;

// A name that needs no escaping in a link, in a shell or on any file system.
QString tameName(const QString& level) {
    QByteArray name = QFile::encodeName(QFileInfo(level).completeBaseName());
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            c = '_';
    if (name.isEmpty() || name.startsWith('.')) name.prepend("level");
    return QString::fromLatin1(name);
}

// Each level's picture name, none shared: a level of the same name from another folder takes
// the next free number.
QStringList picturesFor(const QStringList& levels) {
    QSet<QString> taken;
    QStringList pictures;
    for (const QString& level : levels) {
        const QString base = tameName(level);
        QString name = base + ".png";
        for (int number = 2; taken.contains(name); ++number)
            name = base + '-' + QString::number(number) + ".png";
        taken << name;
        pictures << name;
    }
    return pictures;
}

std::vector<std::string> failureLines(const std::vector<qorv::findings::Finding>& findings) {
    std::vector<std::string> lines;
    for (const qorv::findings::Finding& finding : findings) {
        std::string line = qorv::findings::plainLine(finding, qorv::text::quoted(finding.file));
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

int runReport(const Invocation& invocation, Console& console) {
    const LevelSet& levels = invocation.levels;
    if (levels.empty())
        throw qorv::EditorError("no level to report: the folders given hold no *.qre or *.qrl");
    std::optional<SetRules> rules;
    try {
        rules.emplace(invocation);
    } catch (const UnusableRules& wrong) {
        console.complain(std::string_view(wrong.what()));
        return UsageStatus; // as --check: nothing is made of a run that cannot be judged
    }
    prepareOutputFolder(invocation.argument);
    const QStringList pictures = picturesFor(invocation.files);
    std::vector<ReportEntry> entries(levels.size());
    const SheetCache sheets(invocation.sheets);
    Progress progress(console, qsizetype(levels.size()));
    // Each level read once: its failures, its counts and its pictures come from that read.
    const auto problems = inParallel(qsizetype(levels.size()), [&](qsizetype i) {
        const auto ticked = qScopeGuard([&] { progress.tick(); });
        const SetLevel& level = levels[std::size_t(i)];
        ReportEntry& entry = entries[std::size_t(i)];
        const LevelRead read = readSetLevel(level);
        std::vector<qorv::findings::Finding> failures;
        checkRead(level, read, rules->of(std::size_t(i)), failures);
        entry.failures = failureLines(failures);
        const auto* grid = std::get_if<qorv::LevelGrid>(&read);
        if (!grid) throw qorv::EditorError(aboutLevel(level, failures.front().message));
        entry.counts = qorv::countTiles(*grid);
        const QImage raster = drawLevel(*grid, sheets.sheet(invocation.sheets[i]));
        const QString picture = namedIn(invocation.argument, pictures[i]);
        writeOutputFile(picture, encodeImageFor(raster, picture),
                        {level.file, invocation.sheets[i].found});
        // In the page itself: a thousand more files, each synced by the safe replacement,
        // took longer than drawing every level.
        const QImage thumbnail = qorv::subsample(raster, ThumbnailScale);
        entry.thumbnail =
            "data:image/png;base64," + encodeImageFor(thumbnail, picture).toBase64().toStdString();
        entry.thumbnailWidth = thumbnail.width();
        entry.thumbnailHeight = thumbnail.height();
        entry.picture = fileName(pictures[i]);
    });

    bool allDrawn = true;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ReportEntry& entry = entries[i];
        entry.name = qorv::text::quoted(levels[i].path);
        if (!problems[i]) continue;
        allDrawn = false;
        console.complain(*problems[i]);
        // A level that could not be read is among --check's failures already.
        if (entry.counts) entry.failures.push_back(*problems[i]);
    }
    writeOutputFile(namedIn(invocation.argument, QStringLiteral("index.html")), reportPage(entries),
                    invocation.files);
    return allDrawn ? 0 : 1;
}

} // namespace app
