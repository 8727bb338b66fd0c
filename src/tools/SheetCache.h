#pragma once
// The tile sheets of a run over many levels, each read once, whether it loads or fails.

#include "render/TileSheetSearch.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>

#include <optional>
#include <string>

namespace app {

class SheetCache {
  public:
    // Loads every sheet of `searches`; a search that found none fails for every level it
    // was made for.
    explicit SheetCache(const QList<qorv::TileSheetSearch>& searches);

    // A sheet loaded before; throws EditorError with its failure when it failed. Const, so
    // that drawing threads can share the cache.
    const QImage& sheet(const qorv::TileSheetSearch& search) const;

  private:
    struct Loaded {
        QImage image;
        std::optional<std::string> error;
    };
    static QString keyOf(const qorv::TileSheetSearch& search);
    QHash<QString, Loaded> sheets_;
};

} // namespace app
