#include "findings/GitlabReport.h"

#include "findings/JsonText.h"
#include "findings/Sha256.h"

#include <string_view>

namespace qorv::findings {

namespace {

std::string issue(const Finding& finding) {
    std::string out = "{\"description\":";
    appendJsonString(out, finding.help.empty() ? finding.message
                                               : finding.message + ". " + finding.help.str());
    out += ",\"check_name\":";
    appendJsonString(out, finding.rule.empty() ? "qorvedit" : finding.rule);
    out += ",\"fingerprint\":\"" + fingerprintOf(finding) + "\"";
    out += ",\"severity\":\"major\",\"location\":{\"path\":";
    appendJsonString(out, finding.file);
    out += ",\"lines\":{\"begin\":" + std::to_string(finding.line > 0 ? finding.line : 1) + "}}}";
    return out;
}

} // namespace

std::string fingerprintOf(const Finding& finding) {
    // NUL separates the parts: no file name holds one, no rule id either.
    std::string key = finding.file + '\0' + finding.rule + '\0';
    if (finding.cell)
        key += std::to_string(finding.cell->x) + ',' + std::to_string(finding.cell->y);
    return sha256Hex(key);
}

std::string GitlabCodeQuality::add(const Finding& finding) {
    const char* before = any_ ? ",\n  " : "[\n  ";
    any_ = true;
    return before + issue(finding);
}

std::string GitlabCodeQuality::end() const {
    return any_ ? "\n]\n" : "[]\n";
}

std::string gitlabCodeQuality(std::span<const Finding> findings) {
    GitlabCodeQuality report;
    std::string out;
    for (const Finding& finding : findings)
        out += report.add(finding);
    return out + report.end();
}

} // namespace qorv::findings
