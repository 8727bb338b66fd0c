// Two folders of levels compared by name: --diff's lines and statuses, and --review's
// Markdown, pictures and parts, on copies of the example levels.

#include "InProcess.h"
#include "core/ConflictedLevel.h"
#include "levelio/LevelFile.h"
#include "tools/ReviewMarkdown.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qorv::test::runInProcess;

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

qorv::LevelGrid example(const char* name) {
    qorv::LevelGrid level;
    qorv::loadQRE(QORV_EXAMPLES_DIR "/" + std::string(name), level);
    return level;
}

// old/: maze, rooms, caverns; new/: maze with two cells changed, rooms gone, added.qre new.
class LevelReview : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(work_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(work_.path());
        for (const char* folder : {"old", "new", "out", "again", "broken"}) {
            QDir().mkdir(folder);
            QFile::copy(QORV_EXAMPLES_DIR "/all.bmp", QString(folder) + "/all.bmp");
        }
        for (const char* name : {"maze.qre", "rooms.qre", "caverns.qre"})
            qorv::saveQRE("old/" + std::string(name), example(name));
        qorv::LevelGrid maze = example("maze.qre");
        maze.at(12, 3) = 10;
        maze.at(14, 5) = 2;
        qorv::saveQRE("new/maze.qre", maze);
        qorv::saveQRE("new/caverns.qre", example("caverns.qre"));
        qorv::saveQRE("new/added.qre", example("rooms.qre"));
        QFile::copy("old/rooms.qre", "broken/rooms.qre");
        QFile broken("broken/maze.qre");
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("11\r\n") == 4);
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    QTemporaryDir work_;
    QString previous_;
};

TEST_F(LevelReview, FolderDiffPrintsALinePerLevelAndExitsAsDiff) {
    const std::string usage = "\nTry qorvedit --help.\n";
    const struct {
        QStringList arguments;
        int status;
        std::string out, err;
    } rows[] = {
        {{"old", "new"},
         1,
         "added added.qre\nchanged maze.qre: 2 cells\nremoved rooms.qre\n1 unchanged\n",
         ""},
        {{"old", "old"}, 0, "3 unchanged\n", ""},
        {{"old", "new/maze.qre"},
         2,
         "",
         "qorvedit: --diff compares two levels or two folders of levels, not a level with a "
         "folder." +
             usage},
        {{"old", "new", "--png", "x.png"},
         2,
         "",
         "qorvedit: --png goes with two levels, not two folders." + usage},
        {{"old", "gone"}, 2, "", "qorvedit: gone: File not found\n"},
        {{"old", "broken"}, // the unreadable level listed, the rest compared
         1,
         "removed caverns.qre\nunreadable maze.qre: Read beyond end of file\n1 unchanged\n",
         "qorvedit: broken/maze.qre: Read beyond end of file\n"},
    };
    for (const auto& row : rows) {
        const auto result = runInProcess(QStringList{"--diff"} + row.arguments);
        const std::string trace = row.arguments.join(' ').toStdString();
        EXPECT_EQ(result.status, row.status) << trace;
        EXPECT_EQ(result.out, row.out) << trace;
        EXPECT_EQ(result.err, row.err) << trace;
    }
}

const char* const Review = R"(## Level review

1 changed, 1 added, 1 removed, 1 unchanged.

Each cell of a grid is its tile as two hexadecimal digits (`00` to `ff`); a box is the smallest rectangle around the changed cells, from its top left cell to its bottom right one as column,row, counted from 0,0 at the top left.

- `added.qre`: added

### `maze.qre`: 2 cells changed

In the box from 12,3 to 14,5. Pictures: `maze.qre.before.png`, `maze.qre.after.png`, `maze.qre.changes.png`.

Before:

```text
01 00 00
01 01 01
00 00 00
```

After:

```text
0a 00 00
01 01 01
00 00 02
```

- `rooms.qre`: removed

)";

TEST_F(LevelReview, ReviewWritesTheMarkdownAndThePicturesOfTheOtherModes) {
    ASSERT_EQ(runInProcess({"--review", "old", "new", "-o", "out"}).status, 0);
    EXPECT_EQ(bytesOf("out/review.md").toStdString(), Review);
    // Each picture is the very file the other mode writes.
    const struct {
        const char* picture;
        QStringList arguments;
    } rows[] = {
        {"maze.qre.before.png", {"--render", "old/maze.qre", "drawn.png"}},
        {"maze.qre.after.png", {"--render", "new/maze.qre", "drawn.png"}},
        {"maze.qre.changes.png", {"--diff", "old/maze.qre", "new/maze.qre", "--png", "drawn.png"}},
    };
    for (const auto& row : rows) {
        runInProcess(row.arguments);
        EXPECT_EQ(bytesOf(QString("out/") + row.picture), bytesOf("drawn.png")) << row.picture;
    }
    ASSERT_EQ(runInProcess({"--review", "old", "new", "-o", "again"}).status, 0);
    const QStringList written = QDir("out").entryList(QDir::Files);
    EXPECT_EQ(written.size(), 5);
    for (const QString& file : written)
        EXPECT_EQ(bytesOf("out/" + file), bytesOf("again/" + file)) << file.toStdString();
}

// A level a merge left conflicted is reviewed as OURS: its conflicts framed in its picture,
// which is --render's, and named in the Markdown, also where OURS changed nothing.
TEST_F(LevelReview, AConflictedLevelIsReviewedAsOursWithItsConflictsFramed) {
    QDir().mkdir("merged");
    QFile::copy("old/all.bmp", "merged/all.bmp");
    const qorv::LevelGrid maze = example("maze.qre");
    const std::string text = std::get<std::string>(qorv::formatConflictedLevel(
        maze, {{12, 3, std::nullopt, maze.at(12, 3), qorv::TileIndex(maze.at(12, 3) ^ 1)}}));
    QFile file("merged/maze.qre");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text.data(), qsizetype(text.size())));
    file.close();
    ASSERT_EQ(runInProcess({"--review", "old", "merged", "-o", "out"}).status, 0);
    const std::string review = bytesOf("out/review.md").toStdString();
    EXPECT_NE(review.find("### `maze.qre`: 0 cells changed\n\nUnresolved merge conflicts after: "
                          "1 cell, drawn as ours and framed in `maze.qre.after.png`.\n\n"),
              std::string::npos)
        << review;
    runInProcess({"--render", "merged/maze.qre", "drawn.png"});
    EXPECT_EQ(bytesOf("out/maze.qre.after.png"), bytesOf("drawn.png"));
    EXPECT_NE(bytesOf("out/maze.qre.after.png"), bytesOf("out/maze.qre.before.png"));
}

// Twelve levels with every cell changed: three fit in one comment, so four parts; a shorter
// review afterwards removes them, and a part that is not ours stays and fails the review.
TEST_F(LevelReview, ALongReviewIsCutIntoPartsUnderTheLimit) {
    QFile::copy("old/all.bmp", "all.bmp"); // the working directory's, for many/old and many/new
    QDir().mkpath("many/old");
    QDir().mkpath("many/new");
    qorv::LevelGrid before, after;
    qorv::ClearFull(before);
    after.cells.fill(3);
    for (int i = 0; i < 12; ++i) {
        const std::string name = "level" + std::to_string(10 + i) + ".qre";
        qorv::saveQRE("many/old/" + name, before);
        qorv::saveQRE("many/new/" + name, after);
    }
    ASSERT_EQ(runInProcess({"--review", "many/old", "many/new", "-o", "out"}).status, 0);
    const std::string main = bytesOf("out/review.md").toStdString();
    EXPECT_NE(main.find("The review is in 4 parts"), std::string::npos) << main;
    EXPECT_NE(main.find("- `review-4.md`: `level19.qre` to `level21.qre`\n"), std::string::npos);
    std::string levels;
    for (int part = 1; part <= 4; ++part) {
        const QByteArray text = bytesOf(QString("out/review-%1.md").arg(part));
        EXPECT_LT(text.size(), qsizetype(app::CommentLimit));
        EXPECT_TRUE(text.startsWith(QString("## Level review, part %1 of 4").arg(part).toUtf8()));
        levels += std::to_string(text.count("### `level")) + " ";
    }
    EXPECT_EQ(levels, "3 3 3 3 ");
    EXPECT_FALSE(QFile::exists("out/review-5.md"));

    ASSERT_EQ(runInProcess({"--review", "old", "new", "-o", "out"}).status, 0);
    EXPECT_EQ(bytesOf("out/review.md").toStdString(), Review);
    EXPECT_FALSE(QFile::exists("out/review-1.md"));
    QDir().mkdir("out/review-1.md");
    const auto planted = runInProcess({"--review", "old", "new", "-o", "out"});
    EXPECT_EQ(planted.status, 2);
    EXPECT_NE(planted.err.find("Cannot remove out/review-1.md: not a regular file"),
              std::string::npos)
        << planted.err;
}

// Whatever the limit, every text is under it (with its part's head), no level is left out,
// and a level whose grids alone would not fit keeps the rest of its block.
TEST(ReviewMarkdown, EveryTextIsUnderTheLimit) {
    app::FolderComparison comparison;
    for (const char* name : {"a.qre", "big.qre", "c.qre", "d.qre", "e.qre", "f.qre"}) {
        app::ComparedLevel level;
        level.name = name;
        level.relative = name;
        qorv::ClearFull(level.before);
        level.after = level.before;
        level.after.at(5, 5) = 7;
        for (int cell = 0; level.name == "big.qre" && cell < 400; ++cell)
            level.after.at(cell % 20, cell / 20) = 3;
        level.cells = qorv::diffLevels(level.before, level.after);
        comparison.differing.push_back(level);
    }
    for (std::size_t limit = 700; limit < 1600; ++limit) {
        const app::ReviewText review = app::reviewMarkdown(comparison, limit);
        std::string all;
        for (const std::string& part : review.parts) {
            EXPECT_LT(part.size(), limit);
            all += part;
        }
        EXPECT_LT(review.main.size(), limit);
        EXPECT_EQ(std::count(all.begin(), all.end(), '#'), 6 * 3 + review.parts.size() * 2);
        EXPECT_NE(all.find("### `big.qre`: 400 cells changed\n\nIn the box from 0,0 to 19,19. "
                           "Pictures: `big.qre.before.png`, `big.qre.after.png`, "
                           "`big.qre.changes.png`.\n\nThe grids are left out"),
                  std::string::npos);
    }
}

} // namespace
