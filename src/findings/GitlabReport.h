#pragma once
// Failures as a GitLab Code Quality report (artifacts:reports:codequality): a JSON array of
// issues, each with description, check_name, fingerprint, severity, location.path and
// location.lines.begin, which merge requests show beside the changed files.

#include "findings/Finding.h"

#include <span>
#include <string>

namespace qorv::findings {

// GitLab matches a merge request's issues to the target branch's by fingerprint, so it
// follows the failure, not its line: the SHA-256 of the file, the rule and the cell (NUL
// between them), as 64 hex digits, the same in every run and on every machine.
std::string fingerprintOf(const Finding& finding);

// The report, one issue a line. A failure without a line is placed at line 1: GitLab needs one.
std::string gitlabCodeQuality(std::span<const Finding> findings);

// The same report as the failures are found: add() gives what to write for each, end() what
// closes the array.
class GitlabCodeQuality {
  public:
    std::string add(const Finding& finding);
    std::string end() const;

  private:
    bool any_ = false;
};

} // namespace qorv::findings
