#include "e2e/VirtualDisplay.h"

#include "e2e/Processes.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QtEndian>

#include <cstring>

namespace e2e {

namespace {

// The frame buffer file is an XWD image: a header of big-endian 32-bit fields, the
// window name, a colour map of 12-byte entries, then the pixels in the server's order.
enum XwdField {
    HeaderSize = 0,
    FileVersion = 1,
    PixmapFormat = 2,
    PixmapWidth = 4,
    PixmapHeight = 5,
    ByteOrder = 7,
    BitsPerPixel = 11,
    BytesPerLine = 12,
    RedMask = 14,
    GreenMask = 15,
    BlueMask = 16,
    ColourCount = 19,
    FieldCount = 25,
};
constexpr quint32 XwdVersion = 7;
constexpr quint32 ZPixmap = 2;
constexpr quint32 LeastSignificantFirst = 0;
constexpr qsizetype XwdColourSize = 12;

quint32 field(const uchar* header, XwdField which) {
    return qFromBigEndian<quint32>(header + 4 * which);
}

} // namespace

VirtualDisplay::VirtualDisplay() : dir_(std::make_unique<QTemporaryDir>()) {}

namespace {
void stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate(); // lets it end cleanly: the server removes its socket and lock file
    if (!process.waitForFinished(WaitLimitMs)) {
        process.kill();
        process.waitForFinished(WaitLimitMs);
    }
}
} // namespace

VirtualDisplay::~VirtualDisplay() {
    stop(windowManager_);
    if (frameFile_) {
        frameFile_->close(); // unmaps
        delete frameFile_;
    }
    stop(server_);
}

QString VirtualDisplay::start(bool windowManager) {
    const QString xvfb = findProgram(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) return QStringLiteral("Xvfb is not installed");
    if (findProgram(QStringLiteral("xdpyinfo")).isEmpty())
        return QStringLiteral("xdpyinfo is not installed");
    if (!dir_->isValid()) return QStringLiteral("no temporary directory for the X server");

    // -displayfd 1: the server picks a free display number and prints it once it accepts
    // connections, so parallel runs never collide. -fbdir: the screen lives in a file.
    // -nocursor: the pointer is not drawn into the screen's pixels. -noreset: the server
    // does not reset, refusing connections for a moment, when xdpyinfo disconnects.
    server_.setStandardErrorFile(dir_->filePath(QStringLiteral("xvfb.log")));
    server_.start(
        xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
               QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(ScreenWidth).arg(ScreenHeight),
               QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-nocursor"),
               QStringLiteral("-noreset"), QStringLiteral("-fbdir"), dir_->path()});
    if (!server_.waitForStarted(WaitLimitMs))
        return QStringLiteral("Xvfb cannot be started: ") + server_.errorString();
    if (QString why = waitForDisplayNumber(); !why.isEmpty()) return why;

    const bool answers = pollUntil(
        [this] { return run(QStringLiteral("xdpyinfo"), {}, environment()).exitCode == 0; });
    if (!answers) return QStringLiteral("the X server on %1 does not answer").arg(name_);
    if (QString why = mapFrameBuffer(); !why.isEmpty()) return why;
    return windowManager ? startWindowManager() : QString();
}

QString VirtualDisplay::startWindowManager() {
    const QString openbox = findProgram(QStringLiteral("openbox"));
    if (openbox.isEmpty()) return QStringLiteral("openbox is not installed");
    windowManager_.setProcessEnvironment(environment());
    windowManager_.setStandardOutputFile(dir_->filePath(QStringLiteral("openbox.log")));
    windowManager_.setStandardErrorFile(dir_->filePath(QStringLiteral("openbox.log")),
                                        QIODevice::Append);
    windowManager_.start(openbox, {});
    if (!windowManager_.waitForStarted(WaitLimitMs))
        return QStringLiteral("openbox cannot be started: ") + windowManager_.errorString();
    // A window manager announces itself with _NET_SUPPORTING_WM_CHECK on the root window.
    const bool managing = pollUntil([this] {
        return run(QStringLiteral("xprop"),
                   {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")},
                   environment())
            .output.contains("window id");
    });
    if (!managing) return QStringLiteral("openbox did not take over the screen");
    return {};
}

QString VirtualDisplay::waitForDisplayNumber() {
    const QDeadlineTimer deadline(WaitLimitMs);
    QByteArray printed;
    while (!printed.contains('\n')) {
        if (deadline.hasExpired()) return QStringLiteral("Xvfb printed no display number");
        if (!server_.waitForReadyRead(int(deadline.remainingTime()))) {
            if (server_.state() == QProcess::NotRunning)
                return QStringLiteral("Xvfb did not start: ") + serverLog();
            continue;
        }
        printed += server_.readAllStandardOutput();
    }
    bool isNumber = false;
    const int number = printed.trimmed().toInt(&isNumber);
    if (!isNumber) return QStringLiteral("Xvfb printed no display number");
    name_ = QStringLiteral(":%1").arg(number);
    return {};
}

QString VirtualDisplay::serverLog() const {
    QFile log(dir_->filePath(QStringLiteral("xvfb.log")));
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(log.readAll()).trimmed();
}

QString VirtualDisplay::mapFrameBuffer() {
    frameFile_ = new QFile(dir_->filePath(QStringLiteral("Xvfb_screen0")));
    if (!frameFile_->open(QIODevice::ReadOnly))
        return QStringLiteral("the frame buffer file of Xvfb is missing");
    const uchar* file = frameFile_->map(0, frameFile_->size());
    if (!file || frameFile_->size() < FieldCount * 4)
        return QStringLiteral("the frame buffer file of Xvfb cannot be mapped");
    const bool expectedLayout =
        field(file, FileVersion) == XwdVersion && field(file, PixmapFormat) == ZPixmap &&
        field(file, PixmapWidth) == ScreenWidth && field(file, PixmapHeight) == ScreenHeight &&
        field(file, BitsPerPixel) == 32 && field(file, ByteOrder) == LeastSignificantFirst &&
        field(file, RedMask) == 0xff0000 && field(file, GreenMask) == 0xff00 &&
        field(file, BlueMask) == 0xff;
    if (!expectedLayout) return QStringLiteral("the frame buffer of Xvfb has an unknown layout");
    bytesPerLine_ = field(file, BytesPerLine);
    const qsizetype offset = field(file, HeaderSize) + field(file, ColourCount) * XwdColourSize;
    if (offset + bytesPerLine_ * ScreenHeight > frameFile_->size())
        return QStringLiteral("the frame buffer file of Xvfb is too short");
    pixels_ = file + offset;
    return {};
}

QProcessEnvironment VirtualDisplay::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), name_);
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

QImage VirtualDisplay::grab(const QRect& area) const {
    const QRect screen(0, 0, ScreenWidth, ScreenHeight);
    const QRect wanted = (area.isEmpty() ? screen : area).intersected(screen);
    QImage image(wanted.size(), QImage::Format_RGB32);
    if (!pixels_) {
        image.fill(Qt::black);
        return image;
    }
    for (int y = 0; y < wanted.height(); ++y) {
        const uchar* from = pixels_ + (wanted.y() + y) * bytesPerLine_ + wanted.x() * 4;
        auto* to = reinterpret_cast<quint32*>(image.scanLine(y));
        std::memcpy(to, from, std::size_t(wanted.width()) * 4);
        for (int x = 0; x < wanted.width(); ++x)
            to[x] |= 0xff000000u; // the server leaves the unused top byte at zero
    }
    return image;
}

} // namespace e2e
