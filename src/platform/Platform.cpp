#include "platform/Platform.h"

#include "render/TileSheetSearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <dirent.h>

#include <memory>

namespace platform {

short GetKeyState(int virtualKey) {
    if (virtualKey != VK_CONTROL) return 0;
    // The modifiers of the event being dispatched, not the keyboard's state right now.
    const bool down = QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    return down ? short(-128) : short(0);
}

QSize screenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(); // no screen: no special placement
}

QString tileSheetName(const QString& installedDataFolder) {
    const QString found = qorv::findTileSheet({}, {}, installedDataFolder).found;
    return found.isEmpty() ? QString::fromLatin1(qorv::TileSheetFileName) : found;
}

QString tileSheetName() {
    return tileSheetName(qorv::installedDataFolder());
}

namespace {
bool endsWithIgnoringCase(const QString& name, const QString& extension) {
    return name.size() >= extension.size() && name.endsWith(extension, Qt::CaseInsensitive);
}
} // namespace

QStringList findEntries(const QString& extension) {
    QStringList names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir("."), &::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray raw(entry->d_name);
        if (raw == "." || raw == "..") continue;
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw) continue; // not faithfully representable
        if (endsWithIgnoringCase(name, extension)) names.append(name);
    }
    return names;
}

} // namespace platform
