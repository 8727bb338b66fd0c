// Every report format over one set of failures: a rule's failure with a help text, one whose
// file name holds what GitHub's properties escape, a level that could not be read, and a file
// name with a byte that is no UTF-8, a newline and Markdown's marks.

#include "findings/GithubReport.h"
#include "findings/GitlabReport.h"
#include "findings/JsonText.h"
#include "findings/LineReports.h"
#include "findings/Sha256.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace qorv::findings {
namespace {

const std::vector<Finding> failures = {
    {"levels/maze.qre", 1, 6, FindingCell{5, 0}, "walled",
     "border cell 5,0 holds tile 0, not one of 1", "Every level is 100% walled."},
    {"a,b:c.qre", 44, 62, FindingCell{61, 43}, "exit-reachable",
     "cell 61,43 (tile 11) cannot be reached from tile 10", ""},
    {"short.qre", 0, 0, std::nullopt, "", "Read beyond end of file", ""},
    {"x\xff\n\"\\|*$.qre", 2, 0, std::nullopt, "", "line 2 is short", ""},
};

std::string eachLine(const std::function<std::string(const Finding&)>& format) {
    std::string text;
    for (const Finding& finding : failures)
        text += format(finding);
    return text;
}

const std::string summaryHead =
    "### qorvedit: 4 failures\n\n"
    "| Level | Line | Column | Rule | Message | Help |\n"
    "| --- | --- | --- | --- | --- | --- |\n"
    "| levels/maze.qre | 1 | 6 | walled | border cell 5,0 holds tile 0, "
    "not one of 1 | Every level is 100% walled. |\n"
    "| a,b:c.qre | 44 | 62 | exit-reachable | cell 61,43 (tile 11) "
    "cannot be reached from tile 10 |  |\n";

TEST(ReportFormats, EachFormatOfTheSameFailures) {
    const struct {
        const char* format;
        std::string text;
        std::string expected;
    } table[] = {
        {"plain", eachLine([](const Finding& f) { return plainLine(f, "'" + f.file + "'"); }),
         "'levels/maze.qre':1:6: border cell 5,0 holds tile 0, not one of 1 [walled: Every "
         "level is 100% walled.]\n"
         "'a,b:c.qre':44:62: cell 61,43 (tile 11) cannot be reached from tile 10 "
         "[exit-reachable]\n"
         "'short.qre': Read beyond end of file\n"
         "'x\xff\n\"\\|*$.qre':2: line 2 is short\n"},
        {"json", eachLine(jsonLine),
         R"({"file":"levels/maze.qre","line":1,"column":6,"cell":{"x":5,"y":0},"rule":"walled",)"
         R"("message":"border cell 5,0 holds tile 0, not one of 1","help":"Every level is 100% walled."})"
         "\n"
         R"({"file":"a,b:c.qre","line":44,"column":62,"cell":{"x":61,"y":43},"rule":"exit-reachable",)"
         R"("message":"cell 61,43 (tile 11) cannot be reached from tile 10","help":null})"
         "\n"
         R"({"file":"short.qre","line":null,"column":null,"cell":null,"rule":null,)"
         R"("message":"Read beyond end of file","help":null})"
         "\n"
         R"({"file":"x\ufffd\u000a\"\\|*$.qre","line":2,"column":null,"cell":null,"rule":null,)"
         R"("message":"line 2 is short","help":null})"
         "\n"},
        {"github", githubAnnotations(failures),
         "::error file=levels/maze.qre,line=1,col=6,title=qorvedit walled::border cell 5,0 holds "
         "tile 0, not one of 1%0AEvery level is 100%25 walled.\n"
         "::error file=a%2Cb%3Ac.qre,line=44,col=62,title=qorvedit exit-reachable::cell 61,43 "
         "(tile 11) cannot be reached from tile 10\n"
         "::error file=short.qre,title=qorvedit::Read beyond end of file\n"
         "::error file=x\xff%0A\"\\|*$.qre,line=2,title=qorvedit::line 2 is short\n"},
        {"summary", githubSummary(failures),
         summaryHead + "| short.qre |  |  |  | Read beyond end of file |  |\n"
                       "| x\uFFFD\uFFFD\"\\\\\\|\\*\\$.qre | 2 |  |  | line 2 is short |  |\n"},
        // Cut where the third row would reach the limit.
        {"summary cut", githubSummary(failures, summaryHead.size() + 78),
         summaryHead +
             "\n2 more failures are left out: GitHub takes a step summary of at most 1 MiB.\n"},
        {"gitlab", gitlabCodeQuality(failures),
         "[\n"
         R"(  {"description":"border cell 5,0 holds tile 0, not one of 1. Every level is 100% )"
         R"(walled.","check_name":"walled","fingerprint":")"
         R"(9afe8c576e2ed5b9968edc65e56420bf095c756fda96965b9a4e3c327d8efe0b",)"
         R"("severity":"major",)"
         R"("location":{"path":"levels/maze.qre","lines":{"begin":1}}},)"
         "\n"
         R"(  {"description":"cell 61,43 (tile 11) cannot be reached from tile 10",)"
         R"("check_name":"exit-reachable","fingerprint":")"
         R"(c2077bd2e1655698d882f64b0fd92bcf3b2b7e571a0fd2aab390127b098da141",)"
         R"("severity":"major",)"
         R"("location":{"path":"a,b:c.qre","lines":{"begin":44}}},)"
         "\n"
         R"(  {"description":"Read beyond end of file","check_name":"qorvedit",)"
         R"("fingerprint":")"
         R"(2353c3ff0e8978a7ed2c739b8747f1da18e14f5d7e3ccdcf4e8b3095a782d1fe",)"
         R"("severity":"major",)"
         R"("location":{"path":"short.qre","lines":{"begin":1}}},)"
         "\n"
         R"(  {"description":"line 2 is short","check_name":"qorvedit",)"
         R"("fingerprint":")"
         R"(0dca78bfe29c501d5b09f8c988059565563002a9c9a0374e6176c02caf706fcb",)"
         R"("severity":"major",)"
         R"("location":{"path":"x\ufffd\u000a\"\\|*$.qre","lines":{"begin":2}}})"
         "\n]\n"},
        {"gitlab, none", gitlabCodeQuality({}), "[]\n"},
    };
    for (const auto& row : table)
        EXPECT_EQ(row.text, row.expected) << row.format;
}

TEST(ReportFormats, GithubShowsTenAnnotationsAndASummaryUnderItsLimit) {
    std::vector<Finding> many;
    for (int i = 0; i < 20000; ++i)
        many.push_back(failures[i % 2]);
    const std::string annotations = githubAnnotations(many);
    EXPECT_EQ(std::count(annotations.begin(), annotations.end(), '\n'), 11);
    EXPECT_TRUE(annotations.ends_with("::notice title=qorvedit::19990 more failures are not "
                                      "annotated: GitHub shows the first 10 of a step.\n"));
    const std::string summary = githubSummary(many);
    EXPECT_LT(summary.size(), GithubSummaryLimit);
    EXPECT_GT(summary.size(), GithubSummaryLimit - 200);
    EXPECT_TRUE(summary.ends_with(" more failures are left out: GitHub takes a step summary of "
                                  "at most 1 MiB.\n"));
}

// Ten annotations and no notice; the eleventh failure is the first one the notice counts.
TEST(ReportFormats, TheNoticeCountsTheFailuresPastTheTenth) {
    const struct {
        std::size_t count;
        std::string notice;
    } table[] = {
        {10, ""},
        {11, "::notice title=qorvedit::1 more failure is not annotated: GitHub shows the first "
             "10 of a step.\n"},
    };
    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += "::error file=short.qre,title=qorvedit::Read beyond end of file\n";
    for (const auto& row : table)
        EXPECT_EQ(githubAnnotations(std::vector<Finding>(row.count, failures[2])), ten + row.notice)
            << row.count;
}

TEST(ReportFormats, AFingerprintFollowsTheCellNotTheLine) {
    Finding moved = failures[0];
    moved.line = 30;
    EXPECT_EQ(fingerprintOf(moved), fingerprintOf(failures[0]));
    moved.cell = FindingCell{5, 1};
    EXPECT_NE(fingerprintOf(moved), fingerprintOf(failures[0]));
}

// The fingerprints' hash: the examples of FIPS 180-4 and messages whose padding takes one
// block or spills into a second (55, 56, 63, 64 bytes), as Python's hashlib gives them.
TEST(ReportFormats, Sha256OfTheStandardsExamples) {
    const struct {
        std::string bytes;
        const char* digest;
    } table[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
    };
    for (const auto& row : table)
        EXPECT_EQ(sha256Hex(row.bytes), row.digest) << row.bytes.size() << " bytes";
}

// JSON must be UTF-8: every byte sequence that is not (overlong forms, surrogates, code points
// past U+10FFFF, a sequence cut short) becomes U+FFFD, one for each byte.
TEST(ReportFormats, JsonStringsOfAnyBytes) {
    const struct {
        std::string bytes;
        std::string json;
    } table[] = {
        {"plain", R"("plain")"},
        {"\"\\", R"("\"\\")"},
        {"\x01\x1f\x7f", R"("\u0001\u001f\u007f")"},
        {"\xc2\x85\xe2\x80\xae", R"("\u0085\u202e")"},
        {"\xc3\xa9\xf0\x9f\x98\x80\xef\xbf\xbd", "\"\xc3\xa9\xf0\x9f\x98\x80\xef\xbf\xbd\""},
        {"\xc0\xaf", R"("\ufffd\ufffd")"},
        {"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},
        {"\xf4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},
        {"a\xe2\x82", R"("a\ufffd\ufffd")"},
        {"\xff", R"("\ufffd")"},
    };
    for (const auto& row : table) {
        std::string json;
        appendJsonString(json, row.bytes);
        EXPECT_EQ(json, row.json);
    }
}

} // namespace
} // namespace qorv::findings
