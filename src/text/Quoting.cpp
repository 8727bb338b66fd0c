#include "text/Quoting.h"

#include "text/Characters.h"

#include <cstdio>

namespace qorv::text {

namespace {

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
        const DecodedCharacter c = decodeAt(text, at);
        const bool noCharacter = c.code == ReplacementCharacter && c.length == 1;
        const bool printable = !noCharacter && !actsOnDisplay(c.code);
        visit(at, printable ? int(c.length) : -1);
        at += printable ? c.length : 1;
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
