#include "interchange/MapLimits.h"

#include "interchange/MapFacts.h"

#include <algorithm>
#include <string>

namespace qorv::interchange {

namespace {

void requireMapSize(QByteArrayView bytes) {
    if (bytes.size() > MaxMapBytes)
        throw MapRefused("the file is larger than " + std::to_string(MaxMapBytes) + " bytes");
}

[[noreturn]] void refuseAtLine(QByteArrayView bytes, qsizetype at, const std::string& what) {
    const qsizetype line = bytes.first(at).count('\n') + 1;
    throw MapRefused(what + " at line " + std::to_string(line));
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Whether the '=' at `at` can start an attribute's value: XML allows spaces, then a quote.
bool startsValue(QByteArrayView bytes, qsizetype at) {
    qsizetype i = at + 1;
    while (i < bytes.size() && isSpace(bytes[i]))
        ++i;
    return i < bytes.size() && (bytes[i] == '"' || bytes[i] == '\'');
}

} // namespace

void requireBoundedXml(QByteArrayView bytes) {
    requireMapSize(bytes);
    // Declarations could give an element attributes (defaults) or markup (entities) that
    // are not in the bytes where it stands.
    for (const char* declaration : {"<!ENTITY", "<!ATTLIST", "<!ELEMENT", "<!NOTATION"}) {
        const qsizetype at = bytes.indexOf(declaration);
        if (at >= 0) refuseAtLine(bytes, at, std::string("a ") + declaration + " declaration");
    }
    // An attribute's value cannot hold a '<', so all attributes of an element stand between
    // its '<' and the next one, whatever a comment or a section may hide: counting there
    // needs no parsing, and counts at least as many as the parser will find.
    qsizetype element = 0;
    int attributes = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '<') {
            element = i;
            attributes = 0;
        } else if (bytes[i] == '=' && startsValue(bytes, i) && ++attributes > MaxAttributes) {
            refuseAtLine(bytes, element,
                         "more than " + std::to_string(MaxAttributes) +
                             " attributes on one element");
        }
    }
}

void requireBoundedJson(QByteArrayView bytes) {
    requireMapSize(bytes);
    int depth = 0;
    bool inString = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\')
                ++i; // the escaped character, a quote perhaps, is no end
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if ((c == '[' || c == '{') && ++depth > MaxNesting) {
            throw MapRefused("arrays and objects nested more than " + std::to_string(MaxNesting) +
                             " deep at byte " + std::to_string(i));
        } else if (c == ']' || c == '}') {
            depth = std::max(0, depth - 1);
        }
    }
}

} // namespace qorv::interchange
