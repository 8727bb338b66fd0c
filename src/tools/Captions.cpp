#include "tools/Captions.h"

#include "errors/IoError.h"

#include <QFontMetrics>
#include <QPainter>

#include <cstdio>

namespace app {

namespace {

char programName[] = "qorvedit";
char platformOption[] = "-platform";
// Whatever QT_QPA_PLATFORM or the session says: the captions need fonts, not a screen.
char offscreen[] = "offscreen";

QFont captionFont() {
    // DejaVu Sans where it is installed (scripts/setup.sh installs it); else fontconfig's
    // nearest sans-serif face.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(CaptionPixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// The offscreen platform warns about the session it is not in (no XDG_RUNTIME_DIR): nothing
// a command that draws names into a picture should print.
void ignoreQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::fputs(qPrintable(message + '\n'), stderr);
}

// A GUI application of its own, unless the process has one (the benchmarks, the tests).
std::unique_ptr<QGuiApplication> applicationFor(int& argc, char** argv) {
    if (!QCoreApplication::instance()) return std::make_unique<QGuiApplication>(argc, argv);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw qorv::EditorError("cannot write names: no fonts without a GUI application");
    return nullptr;
}

} // namespace

Captions::Captions()
    : argv_{programName, platformOption, offscreen, nullptr},
      application_(applicationFor(argc_, argv_)), font_(captionFont()) {}

Captions::~Captions() = default;

Captions::Quiet::Quiet() : previous(qInstallMessageHandler(ignoreQtMessages)) {}

Captions::Quiet::~Quiet() {
    qInstallMessageHandler(previous);
}

void Captions::draw(QImage& image, const QRect& box, const QString& text) const {
    QPainter painter(&image);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    const QString shown = QFontMetrics(font_).elidedText(text, Qt::ElideMiddle, box.width());
    painter.drawText(box, Qt::AlignCenter, shown);
}

void Captions::mark(QImage& image, const QRect& place, const QString& text) const {
    QPainter painter(&image);
    painter.fillRect(place, MarkColour);
    painter.setFont(font_);
    painter.setPen(Qt::black);
    painter.drawText(place.adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWrapAnywhere, text);
}

} // namespace app
