// The one bounded read: the limit and the byte past it, files that outgrow their first
// buffer, pipes that outgrow theirs, and a pipe's deadline.

#include "storage/BoundedRead.h"
#include "IoMessage.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>
#include <unistd.h>

namespace qorv {
namespace {

using test::ioMessageOf;

// `size` bytes that differ from their neighbours, so a lost or repeated piece shows.
std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i % 23);
    return bytes;
}

TEST(BoundedRead, KeepsUpToTheLimitAndSaysWhetherMoreFollowed) {
    const test::TempDir dir;
    const struct {
        std::size_t size, limit;
    } rows[] = {{2970, 4 << 20}, {0, 10}, {10000, 10000}, {10001, 10000}, {300000, 1 << 20}};
    for (const auto& row : rows) {
        const std::string bytes = patterned(row.size), path = dir.file("f");
        test::writeWholeFile(path, bytes);
        const BoundedBytes read = readBounded(path, {.limit = row.limit});
        EXPECT_EQ(read.bytes, bytes.substr(0, row.limit)) << row.size;
        EXPECT_EQ(read.longer, row.size > row.limit) << row.size;
    }
    // The kernel gives /proc files no size: read on to their end all the same.
    EXPECT_TRUE(readBounded("/proc/self/status", {.limit = 1 << 20}).bytes.starts_with("Name:"));
}

TEST(BoundedRead, PipesAreReadToTheirEndOrTheLimit) {
    ::signal(SIGPIPE, SIG_IGN); // the writer of more than the limit meets a closed pipe
    for (const std::size_t limit : {std::size_t{1} << 20, std::size_t{100000}}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        const std::string bytes = patterned(300000); // more than a pipe holds at once
        std::thread writer([&] {
            (void)::write(ends[1], bytes.data(), bytes.size());
            ::close(ends[1]);
        });
        const BoundedBytes read = readBoundedFrom(
            ends[0], "pipe", {.limit = limit, .readable = Readable::RegularFileOrPipe});
        ::close(ends[0]); // ends a writer blocked on the rest
        writer.join();
        EXPECT_EQ(read.bytes, bytes.substr(0, limit));
        EXPECT_EQ(read.longer, limit < bytes.size());
    }
}

// A deadline already passed: what a pipe holds is read, a writer that sends nothing more
// is given up on.
TEST(BoundedRead, APipesDeadlineEndsTheWait) {
    const ReadRules rules{.limit = 10,
                          .readable = Readable::RegularFileOrPipe,
                          .deadline = std::chrono::steady_clock::now()};
    for (const bool writerEnds : {true, false}) {
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        ASSERT_EQ(::write(ends[1], "level", 5), 5);
        if (writerEnds) {
            ::close(ends[1]);
            EXPECT_EQ(readBoundedFrom(ends[0], "pipe", rules).bytes, "level");
        } else {
            EXPECT_EQ(ioMessageOf([&] { readBoundedFrom(ends[0], "pipe", rules); }),
                      "I/O error 110");
            ::close(ends[1]);
        }
        ::close(ends[0]);
    }
}

TEST(BoundedRead, OnlyTheHeadlessToolsReadPipes) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[1]);
    EXPECT_EQ(ioMessageOf([&] { readBoundedFrom(ends[0], "pipe", {.limit = 10}); }),
              "File access denied");
    EXPECT_EQ(ioMessageOf([&] { readBounded("/dev/null", {.limit = 10}); }), "File access denied");
    EXPECT_EQ(ioMessageOf([&] {
                  readBounded("/dev/null", {.limit = 10, .readable = Readable::RegularFileOrPipe});
              }),
              "File access denied");
    ::close(ends[0]);
}

} // namespace
} // namespace qorv
