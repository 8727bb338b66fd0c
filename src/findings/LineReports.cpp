#include "findings/LineReports.h"

#include "findings/JsonText.h"

namespace qorv::findings {

namespace {

void appendNumberOrNull(std::string& out, int number) {
    out += number > 0 ? std::to_string(number) : "null";
}

void appendStringOrNull(std::string& out, const std::string& text) {
    if (text.empty())
        out += "null";
    else
        appendJsonString(out, text);
}

} // namespace

std::string plainLine(const Finding& finding, std::string_view shownFile) {
    std::string line(shownFile);
    if (finding.line > 0) line += ':' + std::to_string(finding.line);
    if (finding.line > 0 && finding.column > 0) line += ':' + std::to_string(finding.column);
    line += ": " + finding.message;
    if (!finding.rule.empty())
        line += " [" + finding.rule + (finding.help.empty() ? "" : ": " + finding.help) + "]";
    return line + '\n';
}

std::string jsonLine(const Finding& finding) {
    std::string out = "{\"file\":";
    appendJsonString(out, finding.file);
    out += ",\"line\":";
    appendNumberOrNull(out, finding.line);
    out += ",\"column\":";
    appendNumberOrNull(out, finding.column);
    out += ",\"cell\":";
    out += finding.cell ? "{\"x\":" + std::to_string(finding.cell->x) +
                              ",\"y\":" + std::to_string(finding.cell->y) + "}"
                        : "null";
    out += ",\"rule\":";
    appendStringOrNull(out, finding.rule);
    out += ",\"message\":";
    appendJsonString(out, finding.message);
    out += ",\"help\":";
    appendStringOrNull(out, finding.help);
    return out + "}\n";
}

} // namespace qorv::findings
