#pragma once
// Failures as a GitLab Code Quality report (artifacts:reports:codequality): a JSON array of
// issues, each with description, check_name, fingerprint, severity, location.path and
// location.lines.begin, which merge requests show beside the changed files.

#include "findings/Finding.h"

#include <span>
#include <string>

namespace qorv::findings {

// GitLab matches a merge request's issues to the target branch's by fingerprint, so it
// follows the failure, not its line: a hash of the file, the rule and the cell.
std::string fingerprintOf(const Finding& finding);

// The report, one issue a line. A failure without a line is placed at line 1: GitLab needs one.
std::string gitlabCodeQuality(std::span<const Finding> findings);

} // namespace qorv::findings
