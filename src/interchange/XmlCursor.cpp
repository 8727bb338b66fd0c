#include "interchange/XmlCursor.h"

#include "interchange/MapFacts.h"
#include "interchange/MapLimits.h"
#include "interchange/MapWords.h"

namespace qorv::interchange {

namespace {

QString checkedUtf8(QByteArrayView bytes) {
    requireBoundedXml(bytes);
    // As text, the reader cannot be told to decode the bytes as UTF-16 or another code,
    // under which they would be other markup than the one measured.
    return QString::fromUtf8(bytes);
}

} // namespace

XmlCursor::XmlCursor(QByteArrayView bytes) : xml_(checkedUtf8(bytes)) {
    xml_.setNamespaceProcessing(false); // Tiled writes no namespaces
}

QXmlStreamReader::TokenType XmlCursor::next() {
    const QXmlStreamReader::TokenType token = xml_.readNext();
    if (xml_.hasError())
        throw MapRefused("malformed XML at line " + std::to_string(xml_.lineNumber()) +
                         ", column " + std::to_string(xml_.columnNumber()) + ": " +
                         mapWord(xml_.errorString()));
    if (token == QXmlStreamReader::StartElement && ++depth_ > MaxNesting)
        throw MapRefused("elements nested more than " + std::to_string(MaxNesting) +
                         " deep at line " + std::to_string(xml_.lineNumber()));
    if (token == QXmlStreamReader::EndElement) --depth_;
    return token;
}

bool XmlCursor::nextChild() {
    while (!xml_.atEnd()) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::StartElement) return true;
        if (token == QXmlStreamReader::EndElement) return false;
    }
    return false;
}

void XmlCursor::skipElement() {
    elementText(); // its text is at most the map's size
}

QString XmlCursor::elementText() {
    QString content;
    for (int open = 1; open > 0 && !xml_.atEnd();) {
        const QXmlStreamReader::TokenType token = next();
        if (token == QXmlStreamReader::StartElement) ++open;
        if (token == QXmlStreamReader::EndElement) --open;
        if (token == QXmlStreamReader::Characters && open == 1) content += xml_.text();
    }
    return content;
}

QString XmlCursor::text(const char* attribute) const {
    return xml_.attributes().value(QLatin1StringView(attribute)).toString();
}

void XmlCursor::finish() {
    while (!xml_.atEnd())
        next();
}

} // namespace qorv::interchange
