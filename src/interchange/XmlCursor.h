#pragma once
// Reading a TMX or TSX file element by element, within the bounds of MapLimits.h: the bytes
// are measured first, and every element is counted as it opens, also inside the elements
// that are skipped, so that no nesting deeper than MaxNesting is ever held.

#include <QByteArrayView>
#include <QXmlStreamReader>

#include <string>

namespace qorv::interchange {

class XmlCursor {
  public:
    // Throws MapRefused when the bytes are beyond the bounds (requireBoundedXml).
    explicit XmlCursor(QByteArrayView bytes);

    // The next element inside the current one, as QXmlStreamReader::readNextStartElement;
    // false at the current element's end. Throws MapRefused for malformed XML or an
    // element too deep.
    bool nextChild();

    // Reads on to the end of the current element.
    void skipElement();

    // The text of the current element, its children passed over; reads to its end.
    QString elementText();

    QStringView name() const { return xml_.name(); }
    QString text(const char* attribute) const;
    // A missing or unreadable number is 0, which every check refuses.
    qint64 number(const char* attribute) const { return text(attribute).toLongLong(); }

    // Reads to the document's end, so that malformed XML after the last element is refused.
    void finish();

  private:
    QXmlStreamReader::TokenType next();

    QXmlStreamReader xml_;
    int depth_ = 0;
};

} // namespace qorv::interchange
