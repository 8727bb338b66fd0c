#include "findings/GithubReport.h"

#include "text/Characters.h"

#include <string_view>

namespace qorv::findings {

namespace {

// Workflow commands are one line each: the runner reads "%25", "%0D" and "%0A" back in the
// message, and in properties also "%3A" and "%2C", which would otherwise end a property.
std::string escaped(std::string_view text, bool property) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '%':
            out += "%25";
            break;
        case '\r':
            out += "%0D";
            break;
        case '\n':
            out += "%0A";
            break;
        case ':':
            out += property ? "%3A" : ":";
            break;
        case ',':
            out += property ? "%2C" : ",";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string annotation(const Finding& finding) {
    std::string command = "::error file=" + escaped(finding.file, true);
    if (finding.line > 0) command += ",line=" + std::to_string(finding.line);
    if (finding.line > 0 && finding.column > 0) command += ",col=" + std::to_string(finding.column);
    const std::string title = finding.rule.empty() ? "qorvedit" : "qorvedit " + finding.rule;
    command += ",title=" + escaped(title, true) + "::";
    command += escaped(finding.help.empty() ? finding.message
                                            : finding.message + "\n" + finding.help.str(),
                       false);
    return command + '\n';
}

std::string failures(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " failure" : " failures");
}

std::string more(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " more failure is" : " more failures are");
}

// A table cell shows its text as written: Markdown's marks, HTML and math are escaped, and
// nothing may end the cell or the row.
std::string cell(std::string_view text) {
    std::string out;
    for (const char c : qorv::text::printable(text)) {
        if (std::string_view("\\`*_[]<>|&~$").find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

std::string row(const Finding& finding) {
    const auto number = [](int n) { return n > 0 ? std::to_string(n) : std::string(); };
    return "| " + cell(finding.file) + " | " + number(finding.line) + " | " +
           number(finding.column) + " | " + cell(finding.rule) + " | " + cell(finding.message) +
           " | " + cell(finding.help.str()) + " |\n";
}

std::string leftOut(std::size_t count) {
    return "\n" + more(count) + " left out: GitHub takes a step summary of at most 1 MiB.\n";
}

} // namespace

std::string GithubAnnotations::add(const Finding& finding) {
    return ++count_ <= GithubAnnotationLimit ? annotation(finding) : std::string();
}

std::string GithubAnnotations::end() const {
    if (count_ <= GithubAnnotationLimit) return {};
    return "::notice title=qorvedit::" + more(count_ - GithubAnnotationLimit) +
           " not annotated: GitHub shows the first 10 of a step.\n";
}

void GithubSummaryRows::add(const Finding& finding) {
    ++count_;
    // The row that reaches the limit is kept too: the summary is cut at or before it.
    if (keptBytes_ >= GithubSummaryLimit) return;
    rows_.push_back(row(finding));
    keptBytes_ += rows_.back().size();
}

std::string GithubSummaryRows::text(std::size_t maxBytes) const {
    if (count_ == 0) return "### qorvedit: no failures\n";
    std::string out = "### qorvedit: " + failures(count_) +
                      "\n\n| Level | Line | Column | Rule | Message | Help |\n"
                      "| --- | --- | --- | --- | --- | --- |\n";
    // Room for the longest line that can say how many are left out.
    const std::size_t reserve = leftOut(count_).size();
    if (out.size() + reserve >= maxBytes) return {};
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const bool last = i + 1 == count_;
        if (out.size() + rows_[i].size() + (last ? 0 : reserve) >= maxBytes)
            return out + leftOut(count_ - i);
        out += rows_[i];
    }
    return out;
}

std::string githubAnnotations(std::span<const Finding> findings) {
    GithubAnnotations annotations;
    std::string out;
    for (const Finding& finding : findings)
        out += annotations.add(finding);
    return out + annotations.end();
}

std::string githubSummary(std::span<const Finding> findings, std::size_t maxBytes) {
    GithubSummaryRows rows;
    for (const Finding& finding : findings)
        rows.add(finding);
    return rows.text(maxBytes);
}

} // namespace qorv::findings
