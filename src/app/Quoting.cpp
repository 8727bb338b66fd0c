#include "app/Quoting.h"

#include <QFile>

namespace app {

namespace {

bool isContinuation(unsigned char byte) {
    return byte >= 0x80 && byte <= 0xBF;
}

// The length of the UTF-8 character at `at`, or 0 when the bytes there are no character.
// The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
int characterLength(const QByteArray& text, qsizetype at) {
    const auto byte = [&](qsizetype i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0;
    };
    const unsigned char lead = byte(0);
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
    if (byte(1) < low || byte(1) > high) return 0;
    for (int i = 2; i < length; ++i)
        if (!isContinuation(byte(i))) return 0;
    return length;
}

// C0 controls and DEL are one byte; the C1 controls U+0080..U+009F are C2 80..C2 9F.
bool isControl(const QByteArray& text, qsizetype at, int length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (length == 1) return lead < 0x20 || lead == 0x7F;
    return length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

QString escaped(unsigned char byte) {
    switch (byte) {
    case '\a':
        return QStringLiteral("\\a");
    case '\b':
        return QStringLiteral("\\b");
    case '\t':
        return QStringLiteral("\\t");
    case '\n':
        return QStringLiteral("\\n");
    case '\v':
        return QStringLiteral("\\v");
    case '\f':
        return QStringLiteral("\\f");
    case '\r':
        return QStringLiteral("\\r");
    default:
        return QStringLiteral("\\%1").arg(byte, 3, 8, QLatin1Char('0'));
    }
}

// The name cut into printable characters (length > 0) and bytes to escape (length < 0).
template <typename Visit> void forEachPiece(const QByteArray& name, Visit visit) {
    for (qsizetype at = 0; at < name.size();) {
        const int length = characterLength(name, at);
        const bool printable = length > 0 && !isControl(name, at, length);
        visit(at, printable ? length : -1);
        at += printable ? length : 1;
    }
}

} // namespace

QString quotedName(const QByteArray& name) {
    bool plain = true;
    forEachPiece(name, [&](qsizetype, int length) { plain = plain && length > 0; });
    if (plain) return QString::fromUtf8(name);

    // Printable runs go in '...', escapes in $'...'; a quote of the name is \' between them.
    enum class Open { Single, Dollar };
    Open open = Open::Single;
    QString quoted = QStringLiteral("'");
    forEachPiece(name, [&](qsizetype at, int length) {
        if (length < 0) {
            if (open == Open::Single) quoted += QStringLiteral("'$'");
            open = Open::Dollar;
            quoted += escaped(static_cast<unsigned char>(name[at]));
            return;
        }
        // A quote of the name closes whichever quotes are open and opens '...' again.
        if (name[at] == '\'') {
            quoted += QStringLiteral("'\\''");
        } else {
            if (open == Open::Dollar) quoted += QStringLiteral("''");
            quoted += QString::fromUtf8(name.mid(at, length));
        }
        open = Open::Single;
    });
    return quoted + QLatin1Char('\'');
}

QString quotedName(const QString& name) {
    return quotedName(QFile::encodeName(name));
}

} // namespace app
