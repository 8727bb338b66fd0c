// Every report format over one set of failures: a rule's failure with a help text, one whose
// file name holds what GitHub's properties escape, a level that could not be read, and a file
// name with a byte that is no UTF-8, a newline and Markdown's marks.

#include "findings/GithubReport.h"
#include "findings/GitlabReport.h"
#include "findings/JsonText.h"
#include "findings/LineReports.h"

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
         R"(walled.","check_name":"walled","fingerprint":"36f0f74feb15025e","severity":"major",)"
         R"("location":{"path":"levels/maze.qre","lines":{"begin":1}}},)"
         "\n"
         R"(  {"description":"cell 61,43 (tile 11) cannot be reached from tile 10",)"
         R"("check_name":"exit-reachable","fingerprint":"76c3f01ef2a9d2bb","severity":"major",)"
         R"("location":{"path":"a,b:c.qre","lines":{"begin":44}}},)"
         "\n"
         R"(  {"description":"Read beyond end of file","check_name":"qorvedit",)"
         R"("fingerprint":"dc748c0cfcae4fe1","severity":"major",)"
         R"("location":{"path":"short.qre","lines":{"begin":1}}},)"
         "\n"
         R"(  {"description":"line 2 is short","check_name":"qorvedit",)"
         R"("fingerprint":"fa20c7c3622a5b8e","severity":"major",)"
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

TEST(ReportFormats, AFingerprintFollowsTheCellNotTheLine) {
    Finding moved = failures[0];
    moved.line = 30;
    EXPECT_EQ(fingerprintOf(moved), fingerprintOf(failures[0]));
    moved.cell = FindingCell{5, 1};
    EXPECT_NE(fingerprintOf(moved), fingerprintOf(failures[0]));
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
