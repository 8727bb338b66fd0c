// A folder given as LEVEL stands for its levels, in name order.

#include "tools/LevelSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(LevelSet, AFolderStandsForItsLevelFilesInNameOrder) {
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QDir folder(work.path());
    for (const char* name : {"b.qre", "a.QRL", "c.txt", "B.qre", "qre"})
        QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
    folder.mkdir("d.qre"); // a folder is no level, whatever its name; nor is a FIFO
    ::mkfifo(folder.filePath("g.qre").toLocal8Bit().constData(), 0600);
    QFile::link(folder.filePath("b.qre"), folder.filePath("e.qrl"));
    QFile::link(folder.filePath("gone"), folder.filePath("f.qre"));
    const QString at = work.path();
    const QStringList expected = {at + "/B.qre",
                                  at + "/a.QRL",
                                  at + "/b.qre",
                                  at + "/e.qrl",
                                  at + "/f.qre",
                                  "other.qre",
                                  "-"};
    EXPECT_EQ(app::expandLevels({at, "other.qre", "-"}), expected);
    EXPECT_EQ(app::expandLevels({at + '/'}).first(), at + "/B.qre");
}

} // namespace
