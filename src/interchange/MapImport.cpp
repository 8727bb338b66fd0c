#include "interchange/MapImport.h"

#include "interchange/JsonMapReader.h"
#include "interchange/TmxReader.h"

namespace qorv::interchange {

MapFormat mapFormatOf(const QString& fileName) {
    const QString name = fileName.toLower();
    if (name.endsWith(u".tmx")) return MapFormat::Tmx;
    if (name.endsWith(u".tmj") || name.endsWith(u".json")) return MapFormat::Json;
    throw MapRefused("the extension names no map format: .tmx (TMX) or .tmj (JSON)");
}

ImportedMap importMap(QByteArrayView bytes, MapFormat format) {
    return format == MapFormat::Tmx ? readTmx(bytes) : readJsonMap(bytes);
}

} // namespace qorv::interchange
