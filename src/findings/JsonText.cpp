#include "findings/JsonText.h"

#include "text/Characters.h"

namespace qorv::findings {

using text::actsOnDisplay;
using text::decodeAt;
using text::DecodedCharacter;
using text::ReplacementCharacter;

void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const DecodedCharacter c = decodeAt(text, at);
        if (c.code == '"' || c.code == '\\') {
            out += '\\';
            out += static_cast<char>(c.code);
        } else if (actsOnDisplay(c.code) || (c.code == ReplacementCharacter && c.length == 1)) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[c.code >> shift & 0xF];
        } else {
            out.append(text, at, c.length);
        }
        at += c.length;
    }
    out += '"';
}

} // namespace qorv::findings
