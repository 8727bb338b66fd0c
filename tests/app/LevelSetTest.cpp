// A folder given as LEVEL stands for its levels, in name order, by one rule; -r walks the
// folders below as grep -r does.

#include "tools/LevelSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

QStringList namesOf(const app::LevelSet& levels) {
    QStringList names;
    for (const app::SetLevel& level : levels)
        names << level.file + (level.failure ? " !" : "");
    return names;
}

TEST(LevelSet, AFolderStandsForItsLevelFilesInNameOrder) {
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QDir folder(work.path());
    for (const char* name : {"b.qre", "a.QRL", "c.txt", "B.qre", "qre", ".h.qre"})
        QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
    folder.mkdir("d.qre"); // a folder is no level, whatever its name; nor is a FIFO
    folder.mkpath("sub/deeper");
    QFile(folder.filePath("sub/deeper/x.qre")).open(QIODevice::WriteOnly);
    QFile::link(folder.filePath("sub"), folder.filePath("loop")); // not followed below
    ::mkfifo(folder.filePath("g.qre").toLocal8Bit().constData(), 0600);
    QFile::link(folder.filePath("b.qre"), folder.filePath("e.qrl"));
    QFile::link(folder.filePath("gone"), folder.filePath("f.qre"));
    std::ofstream(QFile::encodeName(work.path()).toStdString() + "/\xff.qre"); // not text
    const QString at = work.path();
    const QStringList flat = {at + "/.h.qre", at + "/B.qre", at + "/a.QRL",       at + "/b.qre",
                              at + "/e.qrl",  at + "/f.qre", at + "/\uFFFD.qre !"};
    const struct {
        QStringList arguments;
        bool recursive;
        QStringList expected;
    } rows[] = {
        {{at, "other.qre", "-"}, false, flat + QStringList{"other.qre", "-"}},
        {{at + '/'}, false, flat},
        {{at}, true, flat.first(6) + QStringList{at + "/sub/deeper/x.qre", flat.last()}},
        {{at + "/loop"}, true, {at + "/loop/deeper/x.qre"}}, // a link given is followed
    };
    for (const auto& row : rows)
        EXPECT_EQ(namesOf(app::levelSet(row.arguments, row.recursive)), row.expected)
            << row.arguments.join(' ').toStdString() << row.recursive;
}

} // namespace
