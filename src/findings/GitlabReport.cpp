#include "findings/GitlabReport.h"

#include "findings/JsonText.h"

#include <cstdint>
#include <string_view>

namespace qorv::findings {

namespace {

// 64-bit FNV-1a: stable across runs, machines and versions, which std::hash is not.
std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash = 0xcbf29ce484222325) {
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3;
    return hash;
}

std::string issue(const Finding& finding) {
    std::string out = "{\"description\":";
    appendJsonString(out, finding.help.empty() ? finding.message
                                               : finding.message + ". " + finding.help);
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
    static constexpr char hex[] = "0123456789abcdef";
    std::string text;
    for (std::uint64_t hash = fnv1a(key), i = 0; i < 16; ++i, hash <<= 4)
        text += hex[hash >> 60];
    return text;
}

std::string gitlabCodeQuality(std::span<const Finding> findings) {
    std::string out = "[";
    for (std::size_t i = 0; i < findings.size(); ++i)
        out += (i == 0 ? "\n  " : ",\n  ") + issue(findings[i]);
    return out + (findings.empty() ? "]\n" : "\n]\n");
}

} // namespace qorv::findings
