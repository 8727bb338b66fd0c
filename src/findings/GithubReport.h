#pragma once
// Failures as GitHub Actions shows them: annotations on the files of a pull request, written
// as workflow commands on standard output, and a Markdown table for the step's summary (the
// file GITHUB_STEP_SUMMARY names).

#include "findings/Finding.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

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

// The annotations as the failures are found: add() gives what to write for each, end() the
// notice of the rest. Keeps a count, not the failures.
class GithubAnnotations {
  public:
    std::string add(const Finding& finding);
    std::string end() const;

  private:
    std::size_t count_ = 0;
};

// The summary's rows as the failures are found, kept only while they fit in GitHub's limit:
// what a summary can print, not every failure.
class GithubSummaryRows {
  public:
    void add(const Finding& finding);
    // The summary of every failure added, as githubSummary gives it.
    std::string text(std::size_t maxBytes = GithubSummaryLimit) const;

  private:
    std::vector<std::string> rows_;
    std::size_t keptBytes_ = 0;
    std::size_t count_ = 0;
};

} // namespace qorv::findings
