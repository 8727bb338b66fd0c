#pragma once
// --check's report, written as the failures are found: each failure goes to standard output
// when it is found and is then let go, so a run holds what its format prints (GitHub's ten
// annotations and a step summary under its limit), never every failure of every level.

#include "findings/Finding.h"
#include "findings/GithubReport.h"
#include "findings/GitlabReport.h"

#include <cstddef>

namespace app {

class Console;

enum class FindingsFormat { Text, Github, Gitlab, Json };

class FindingsReport {
  public:
    FindingsReport(FindingsFormat format, Console& console);

    void add(const qorv::findings::Finding& finding);
    // Closes the report; for GitHub also appends the step summary to GITHUB_STEP_SUMMARY.
    // Throws EditorError, naming the summary, when it cannot be written.
    void end();
    std::size_t count() const { return count_; }

  private:
    FindingsFormat format_;
    Console& console_;
    std::size_t count_ = 0;
    qorv::findings::GithubAnnotations annotations_;
    qorv::findings::GithubSummaryRows summary_;
    qorv::findings::GitlabCodeQuality gitlab_;
};

} // namespace app
