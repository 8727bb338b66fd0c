// Text from outside the program in messages: quoted as GNU ls --quoting-style=shell-escape
// quotes a name with control characters or bytes that are no UTF-8 (the expectations are its
// output), and beyond ls, the bidirectional controls too; plain text as it is.

#include "text/Quoting.h"
#include "text/Message.h"

#include <gtest/gtest.h>

namespace {

TEST(Quoting, ControlsBidiAndBytesThatAreNoTextAreEscaped) {
    const struct {
        const char* text;
        const char* shown;
    } rows[] = {
        {"plain.qre", "plain.qre"},
        {"sp ace, it's", "sp ace, it's"},
        {"caf\303\251 \360\237\230\200\302\240", "caf\303\251 \360\237\230\200\302\240"},
        {"bad.qre: File access denied\ngood.qre",
         R"('bad.qre: File access denied'$'\n''good.qre')"},
        {"esc\033[31mred", R"('esc'$'\033''[31mred')"},
        {"\033]0;PWN\a", R"(''$'\033'']0;PWN'$'\a')"}, // a map's layer name retitling a terminal
        {"tab\there\r", R"('tab'$'\t''here'$'\r')"},
        {"a\001\177b", R"('a'$'\001\177''b')"},
        {"a\037b", R"('a'$'\037''b')"},
        {"\177", R"(''$'\177')"},
        {"\302\2331", R"(''$'\302\233''1')"},                     // C1 control: CSI
        {"\302\237", R"(''$'\302\237')"},                         // U+009F, the last C1 control
        {"\302\240", "\302\240"},                                 // U+00A0, no control
        {"gpj\342\200\256.exe", R"('gpj'$'\342\200\256''.exe')"}, // U+202E, right-to-left override
        {"\342\200\252", R"(''$'\342\200\252')"},                 // U+202A
        {"\342\201\246x\342\201\251", R"(''$'\342\201\246''x'$'\342\201\251')"}, // U+2066, U+2069
        {"\342\200\251\342\200\257", R"(''$'\342\200\251'')"
                                     "\342\200\257'"},    // U+2029 ends a line
        {"\342\200\250", R"(''$'\342\200\250')"},         // U+2028 too
        {"\342\200\257", "\342\200\257"},                 // U+202F: none
        {"\377\376.qre", R"(''$'\377\376''.qre')"},       // no UTF-8
        {"\300\2572", R"(''$'\300\257''2')"},             // overlong '/'
        {"\355\240\2003", R"(''$'\355\240\200''3')"},     // surrogate
        {"\364\220\200\200", R"(''$'\364\220\200\200')"}, // past U+10FFFF
        {"x\342\202", R"('x'$'\342\202')"},               // cut short
        {"ab'c\001d", R"('ab'\''c'$'\001''d')"},
        {"\n'", R"(''$'\n'\''')"},
        {"'\n", R"(''\'''$'\n')"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(qorv::text::quoted(row.text), row.shown) << row.shown;
}

TEST(Quoting, AMessageNamesItsFileQuoted) {
    EXPECT_EQ(qorv::text::about("a\nb.qre", "File not found"),
              R"('a'$'\n''b.qre': File not found)");
    EXPECT_EQ(qorv::text::complaint("x.qre: File not found"), "qorvedit: x.qre: File not found\n");
}

} // namespace
