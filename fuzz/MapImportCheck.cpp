#include "MapImportCheck.h"

#include "interchange/MapExport.h"
#include "interchange/MapImport.h"

namespace qorv::fuzz {

namespace {

using namespace qorv::interchange;

// A fuzzed map that names a tileset file is refused: there are no files beside it.
QByteArray noFile(const QString&) {
    throw EditorError("File not found");
}

const char* nameOf(MapFormat format) {
    return format == MapFormat::Tmx ? "TMX" : "JSON";
}

std::string checkExportOf(const ImportedMap& imported, MapFormat format) {
    const TileSheetFacts sheet{QStringLiteral("all.bmp"), 160, 160};
    const QByteArray exported = exportMap(imported.grid, sheet, format);
    try {
        const ImportedMap again = importMap(exported, format, noFile);
        if (again.grid != imported.grid)
            return std::string("its ") + nameOf(format) + " export imports as another level";
        if (again.emptyCells != 0)
            return std::string("its ") + nameOf(format) + " export has empty cells";
    } catch (const MapRefused& refused) {
        return std::string("its ") + nameOf(format) + " export is refused: " + refused.what();
    }
    return "";
}

} // namespace

std::string checkMapBytes(std::string_view bytes) {
    const QByteArrayView input(bytes.data(), static_cast<qsizetype>(bytes.size()));
    for (const MapFormat format : {MapFormat::Tmx, MapFormat::Json}) {
        ImportedMap imported;
        try {
            imported = importMap(input, format, noFile);
        } catch (const MapRefused&) {
            continue;
        }
        for (const MapFormat out : {MapFormat::Tmx, MapFormat::Json})
            if (std::string problem = checkExportOf(imported, out); !problem.empty())
                return "accepted as " + std::string(nameOf(format)) + ", but " + problem;
    }
    return "";
}

} // namespace qorv::fuzz
