#include "tools/SheetCache.h"

#include "tools/LevelTools.h"
#include "tools/Reporting.h"

#include <QFileInfo>

namespace app {

SheetCache::SheetCache(const QList<qorv::TileSheetSearch>& searches) {
    for (const qorv::TileSheetSearch& search : searches) {
        const QString key = keyOf(search);
        if (sheets_.contains(key)) continue;
        Loaded loaded;
        loaded.error = failureOf([&] { loaded.image = loadSheet(requireSheet(search)); });
        sheets_.insert(key, loaded);
    }
}

const QImage& SheetCache::sheet(const qorv::TileSheetSearch& search) const {
    const Loaded& found = *sheets_.constFind(keyOf(search));
    if (found.error) throw qorv::EditorError(*found.error);
    return found.image;
}

QString SheetCache::keyOf(const qorv::TileSheetSearch& search) {
    if (search.found.isEmpty()) return '\n' + search.lookedIn.join('\n');
    return QFileInfo(search.found).absoluteFilePath();
}

} // namespace app
