#include "text/Quoting.h"

#include <cstdio>

namespace qorv::text {

namespace {

unsigned char byteAt(std::string_view text, std::size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
}

bool isContinuation(unsigned char byte) {
    return byte >= 0x80 && byte <= 0xBF;
}

// The length of the UTF-8 character at `at`, or 0 when the bytes there are no character.
// The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
int characterLength(std::string_view text, std::size_t at) {
    const unsigned char lead = byteAt(text, at);
    unsigned char low = 0x80, high = 0xBF;
    int length = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (byteAt(text, at + 1) < low || byteAt(text, at + 1) > high) return 0;
    for (int i = 2; i < length; ++i)
        if (!isContinuation(byteAt(text, at + std::size_t(i)))) return 0;
    return length;
}

// C0 controls and DEL are one byte; the C1 controls U+0080..U+009F are C2 80..C2 9F; the
// embeddings and overrides U+202A..U+202E are E2 80 AA..AE, the isolates U+2066..U+2069
// E2 81 A6..A9.
bool isControl(std::string_view text, std::size_t at, int length) {
    const unsigned char lead = byteAt(text, at), second = byteAt(text, at + 1),
                        third = byteAt(text, at + 2);
    switch (length) {
    case 1:
        return lead < 0x20 || lead == 0x7F;
    case 2:
        return lead == 0xC2 && second <= 0x9F;
    case 3:
        return lead == 0xE2 && ((second == 0x80 && third >= 0xAA && third <= 0xAE) ||
                                (second == 0x81 && third >= 0xA6 && third <= 0xA9));
    default:
        return false;
    }
}

std::string escaped(unsigned char byte) {
    switch (byte) {
    case '\a':
        return "\\a";
    case '\b':
        return "\\b";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\v':
        return "\\v";
    case '\f':
        return "\\f";
    case '\r':
        return "\\r";
    default:
        char octal[5];
        std::snprintf(octal, sizeof octal, "\\%03o", unsigned(byte));
        return octal;
    }
}

// The text cut into printable characters (length > 0) and bytes to escape (length < 0).
template <typename Visit> void forEachPiece(std::string_view text, Visit visit) {
    for (std::size_t at = 0; at < text.size();) {
        const int length = characterLength(text, at);
        const bool printable = length > 0 && !isControl(text, at, length);
        visit(at, printable ? length : -1);
        at += printable ? std::size_t(length) : 1;
    }
}

} // namespace

std::string quoted(std::string_view text) {
    bool plain = true;
    forEachPiece(text, [&](std::size_t, int length) { plain = plain && length > 0; });
    if (plain) return std::string(text);

    // Printable runs go in '...', escapes in $'...'; a quote of the text is \' between them.
    bool dollarOpen = false;
    std::string shown = "'";
    forEachPiece(text, [&](std::size_t at, int length) {
        if (length < 0) {
            if (!dollarOpen) shown += "'$'";
            dollarOpen = true;
            shown += escaped(static_cast<unsigned char>(text[at]));
            return;
        }
        // A quote of the text closes whichever quotes are open and opens '...' again.
        if (text[at] == '\'') {
            shown += "'\\''";
        } else {
            if (dollarOpen) shown += "''";
            shown += text.substr(at, std::size_t(length));
        }
        dollarOpen = false;
    });
    return shown + '\'';
}

} // namespace qorv::text
