#include "findings/LineReports.h"

#include "findings/JsonText.h"

#include <charconv>

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

// ":12", without a string of its own: a search may report a cell of every level.
void appendPlace(std::string& out, int number) {
    char digits[12] = {':'};
    out.append(digits, std::to_chars(digits + 1, digits + sizeof digits, number).ptr);
}

} // namespace

std::string plainLine(const Finding& finding, std::string_view shownFile) {
    std::string line;
    appendPlainLine(line, finding, shownFile);
    return line;
}

void appendPlainLine(std::string& out, const Finding& finding, std::string_view shownFile) {
    out += shownFile;
    if (finding.line > 0) appendPlace(out, finding.line);
    if (finding.line > 0 && finding.column > 0) appendPlace(out, finding.column);
    out += ": ";
    out += finding.message;
    if (!finding.rule.empty())
        out += " [" + finding.rule + (finding.help.empty() ? "" : ": " + finding.help.str()) + "]";
    out += '\n';
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
    appendStringOrNull(out, finding.help.str());
    return out + "}\n";
}

} // namespace qorv::findings
