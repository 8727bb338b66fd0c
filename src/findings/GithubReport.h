#pragma once
// Failures as GitHub Actions shows them: annotations on the files of a pull request, written
// as workflow commands on standard output, and a Markdown table for the step's summary (the
// file GITHUB_STEP_SUMMARY names).

#include "findings/Finding.h"

#include <cstddef>
#include <span>
#include <string>

namespace qorv::findings {

// GitHub shows this many error annotations of a step and drops the rest without a word.
inline constexpr std::size_t GithubAnnotationLimit = 10;
// GitHub refuses a step summary of more bytes.
inline constexpr std::size_t GithubSummaryLimit = std::size_t{1} << 20;

// "::error file=F,line=L,col=C,title=qorvedit RULE::MESSAGE" for the first 10 failures in
// the order given, the help text on the annotation's second line, then a "::notice" with
// how many more there are.
std::string githubAnnotations(std::span<const Finding> findings);

// A heading and a table of every failure, cut where the next row would bring the summary to
// `maxBytes` (what is left of GitHub's limit), with a line saying how many rows are left out.
// Empty when not even that fits.
std::string githubSummary(std::span<const Finding> findings,
                          std::size_t maxBytes = GithubSummaryLimit);

} // namespace qorv::findings
