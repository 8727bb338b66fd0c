// Prints the table of level characters in README.md ("Level files") from the program's own
// table, so that the document can neither leave a byte out nor drift from the reader: a
// test compares the two. Each cell is the tile a byte reads as, after the byte's character
// where it has a visible one. Rows are the byte's high hexadecimal digit, columns its low one.

#include "core/CharTable.h"

#include <cstdio>
#include <string>

namespace {

std::string cell(int byte) {
    std::string text;
    // A visible character in a code span; the grave accent and the vertical bar would end
    // the span or the cell, and are known by their place like the bytes without one.
    if (byte > 0x20 && byte < 0x7F && byte != '`' && byte != '|')
        text = "`" + std::string(1, static_cast<char>(byte)) + "` ";
    return text + std::to_string(qorv::CharToTile[byte]);
}

} // namespace

int main() {
    std::string table = "| byte |";
    std::string rule = "|------|";
    for (int low = 0; low < 16; ++low) {
        char header[8];
        std::snprintf(header, sizeof header, " _%X |", low);
        table += header;
        rule += "----|";
    }
    table += "\n" + rule + "\n";
    for (int high = 0; high < 16; ++high) {
        char header[16];
        std::snprintf(header, sizeof header, "| %X_ |", high);
        table += header;
        for (int low = 0; low < 16; ++low)
            table += " " + cell(high * 16 + low) + " |";
        table += "\n";
    }
    std::fputs(table.c_str(), stdout);
    return std::ferror(stdout) ? 1 : 0;
}
