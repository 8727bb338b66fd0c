#include "cli/ValueChecks.h"

#include "tools/FindTile.h"
#include "tools/RemapTable.h"

namespace app::checks {

std::string tileList(std::string_view value) {
    return tilesIn(value) ? std::string() : "not tiles 0 to 255 separated by commas";
}

std::string remapTable(std::string_view value) {
    return remapTableProblem(value);
}

} // namespace app::checks
