#include "text/Characters.h"

namespace qorv::text {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Shortest forms only, no surrogates, nothing above U+10FFFF: the second byte's range
// depends on the first.
struct LeadByte {
    std::size_t length;
    unsigned char secondLow, secondHigh;
    char32_t bits;
};

LeadByte leadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF, byte & 0x1Fu};
    if (byte == 0xE0) return {3, 0xA0, 0xBF, 0};
    if (byte == 0xED) return {3, 0x80, 0x9F, 0xD};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF, byte & 0x0Fu};
    if (byte == 0xF0) return {4, 0x90, 0xBF, 0};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF, byte & 0x07u};
    if (byte == 0xF4) return {4, 0x80, 0x8F, 4};
    return {0, 0, 0, 0};
}

} // namespace

DecodedCharacter decodeAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    if (byte(0) < 0x80) return {byte(0), 1};
    const LeadByte lead = leadOf(byte(0));
    const DecodedCharacter bad{ReplacementCharacter, 1};
    if (lead.length == 0 || text.size() - at < lead.length) return bad;
    if (byte(1) < lead.secondLow || byte(1) > lead.secondHigh) return bad;
    char32_t code = lead.bits;
    for (std::size_t i = 1; i < lead.length; ++i) {
        if (!isContinuation(byte(i))) return bad;
        code = code << 6 | (byte(i) & 0x3Fu);
    }
    return {code, lead.length};
}

bool actsOnDisplay(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029 ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
        return;
    }
    const int length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    constexpr unsigned char leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(leads[length] | code >> (6 * (length - 1)));
    for (int i = length - 2; i >= 0; --i)
        out += static_cast<char>(0x80 | (code >> (6 * i) & 0x3F));
}

bool isPrintable(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const DecodedCharacter c = decodeAt(text, at);
        if (c.code == ReplacementCharacter && c.length == 1) return false;
        if (actsOnDisplay(c.code)) return false;
        at += c.length;
    }
    return true;
}

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const DecodedCharacter c = decodeAt(text, at);
        if (actsOnDisplay(c.code) || c.code == ReplacementCharacter)
            appendUtf8(out, ReplacementCharacter);
        else
            out.append(text, at, c.length);
        at += c.length;
    }
    return out;
}

} // namespace qorv::text
