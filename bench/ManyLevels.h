#pragma once
// The 10,000 levels the set-wide commands are measured over: different levels, every tenth
// of them too short to read, in one folder that becomes the working directory.

#include "core/LevelGrid.h"
#include "levelio/LevelFile.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <string>
#include <unistd.h>
#include <vector>

namespace bench {

class LevelFolder {
  public:
    static constexpr int LevelCount = 10000;

    LevelFolder() {
        qorv::LevelGrid grid;
        qorv::ClearFull(grid);
        for (int i = 0; i < LevelCount; ++i) {
            grid.at(1 + i % 62, 1 + (i / 62) % 43) = static_cast<qorv::TileIndex>(i % 112);
            const QString name = QStringLiteral("level%1.qre").arg(i, 5, 10, QChar('0'));
            const std::string path = dir_.filePath(name).toStdString();
            qorv::saveQRE(path, grid);
            if (i % 10 == 9) ::truncate(path.c_str(), 2000);
            names_ << name;
            paths_.push_back(path);
        }
        QDir::setCurrent(dir_.path());
    }
    const QStringList& names() const { return names_; }
    const std::vector<std::string>& paths() const { return paths_; }
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    QStringList names_;
    std::vector<std::string> paths_;
};

// The one folder of every benchmark that reads it, made at the first call.
inline const LevelFolder& folder() {
    static const LevelFolder levels;
    return levels;
}

} // namespace bench
