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
    command += escaped(
        finding.help.empty() ? finding.message : finding.message + "\n" + finding.help, false);
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
           " | " + cell(finding.help) + " |\n";
}

std::string leftOut(std::size_t count) {
    return "\n" + more(count) + " left out: GitHub takes a step summary of at most 1 MiB.\n";
}

} // namespace

std::string githubAnnotations(std::span<const Finding> findings) {
    std::string out;
    for (std::size_t i = 0; i < findings.size() && i < GithubAnnotationLimit; ++i)
        out += annotation(findings[i]);
    if (findings.size() > GithubAnnotationLimit)
        out += "::notice title=qorvedit::" + more(findings.size() - GithubAnnotationLimit) +
               " not annotated: GitHub shows the first 10 of a step.\n";
    return out;
}

std::string githubSummary(std::span<const Finding> findings, std::size_t maxBytes) {
    if (findings.empty()) return "### qorvedit: no failures\n";
    std::string out = "### qorvedit: " + failures(findings.size()) +
                      "\n\n| Level | Line | Column | Rule | Message | Help |\n"
                      "| --- | --- | --- | --- | --- | --- |\n";
    // Room for the longest line that can say how many are left out.
    const std::size_t reserve = leftOut(findings.size()).size();
    if (out.size() + reserve >= maxBytes) return {};
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const std::string next = row(findings[i]);
        const bool last = i + 1 == findings.size();
        if (out.size() + next.size() + (last ? 0 : reserve) >= maxBytes)
            return out + leftOut(findings.size() - i);
        out += next;
    }
    return out;
}

} // namespace qorv::findings
