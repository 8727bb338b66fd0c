// The recovery file's format: what is written reads back the same, and anything that is
// not exactly one whole file of the format reads as damaged.

#include "core/RecoveryFile.h"

#include <gtest/gtest.h>

using namespace qorv;

namespace {
RecoveredLevel sample(std::string name) {
    RecoveredLevel level{std::move(name), {}};
    for (int i = 0; i < GridCells; ++i)
        level.grid.cells[std::size_t(i)] = TileIndex(i * 7);
    return level;
}
} // namespace

TEST(RecoveryFile, ReadsBackWhatWasWritten) {
    const std::string names[] = {"", "/home/ann/castle.qre", std::string("a\nb\0c\r\xff.qre", 11),
                                 std::string(MaxRecoveredNameBytes, 'n')};
    for (const std::string& name : names) {
        const std::string bytes = formatRecoveryFile(sample(name));
        EXPECT_EQ(parseRecoveryFile(bytes), sample(name)) << name;
    }
    EXPECT_TRUE(formatRecoveryFile(sample("x.qre")).starts_with("QorvEdit recovery 1 5\nx.qre\n"));
}

TEST(RecoveryFile, AnythingButOneWholeFileIsDamaged) {
    const std::string good = formatRecoveryFile(sample("x.qre"));
    const std::string grid = good.substr(good.size() - GridCells);
    const std::string rows[] = {
        "",
        good.substr(0, good.size() - 1),                               // cut short
        good + "\n",                                                   // grown
        "QorvEdit recovery 2 5\nx.qre\n" + grid,                       // another version
        "qorvedit recovery 1 5\nx.qre\n" + grid,                       // another magic
        "QorvEdit recovery 1 4\nx.qre\n" + grid,                       // length too short
        "QorvEdit recovery 1 6\nx.qre\n" + grid,                       // length too long
        "QorvEdit recovery 1 05\nx.qre\n" + grid,                      // leading zero
        "QorvEdit recovery 1 +5\nx.qre\n" + grid,                      // a sign
        "QorvEdit recovery 1 \nx.qre\n" + grid,                        // no length
        "QorvEdit recovery 1 5 x.qre\n" + grid,                        // no line end after it
        "QorvEdit recovery 1 5\nx.qreX" + grid,                        // no line end after the name
        "QorvEdit recovery 1 99999999999999999999999\nx.qre\n" + grid, // beyond any number
        "QorvEdit recovery 1 " + std::to_string(MaxRecoveredNameBytes + 1) + "\n" +
            std::string(MaxRecoveredNameBytes + 1, 'n') + "\n" + grid, // name beyond a path
    };
    for (const std::string& row : rows)
        EXPECT_FALSE(parseRecoveryFile(row)) << row.substr(0, 40);
}
