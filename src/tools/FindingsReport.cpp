#include "tools/FindingsReport.h"

#include "findings/LineReports.h"
#include "storage/AppendFile.h"
#include "text/Quoting.h"
#include "tools/Console.h"
#include "tools/OutputFile.h"
#include "tools/Reporting.h"

#include <QFile>

#include <cstdlib>

namespace app {

namespace {

// GitHub gives each step a summary file of its own, which earlier commands of the step may
// have written to: the table takes what is left of the limit.
void appendStepSummary(const qorv::findings::GithubSummaryRows& rows) {
    const char* summary = std::getenv("GITHUB_STEP_SUMMARY");
    if (!summary || !*summary) return;
    // As every output: what is no regular file, or not ours where others could plant it, is
    // refused in the same words.
    checkOutputFile(QFile::decodeName(summary), {});
    aboutOutput(QFile::decodeName(summary), [&] {
        qorv::appendToFile(summary, [&](std::size_t sizeNow) {
            const std::size_t limit = qorv::findings::GithubSummaryLimit;
            return rows.text(sizeNow < limit ? limit - sizeNow : 0);
        });
    });
}

} // namespace

FindingsReport::FindingsReport(FindingsFormat format, Console& console)
    : format_(format), console_(console) {}

void FindingsReport::add(const qorv::findings::Finding& finding) {
    ++count_;
    switch (format_) {
    case FindingsFormat::Text:
        console_.write(qorv::findings::plainLine(finding, qorv::text::quoted(finding.file)));
        return;
    case FindingsFormat::Json:
        console_.write(qorv::findings::jsonLine(finding));
        return;
    case FindingsFormat::Gitlab:
        console_.write(gitlab_.add(finding));
        return;
    case FindingsFormat::Github:
        console_.write(annotations_.add(finding));
        summary_.add(finding);
        return;
    }
}

void FindingsReport::end() {
    if (format_ == FindingsFormat::Gitlab) console_.write(gitlab_.end());
    if (format_ != FindingsFormat::Github) return;
    console_.write(annotations_.end());
    appendStepSummary(summary_);
}

} // namespace app
