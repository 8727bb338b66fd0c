#pragma once
// The comparisons' short lines ("12,3: 1 -> 10"), written straight into one buffer made long
// enough for all of them beforehand: no temporary string or growth per line, for a level's
// text has 2,880.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>

namespace app {

class Lines {
  public:
    explicit Lines(std::size_t count)
        : text_(std::make_unique_for_overwrite<char[]>(count * MaxLine)), end_(text_.get()) {}
    // Every number of these lines is a column, a row or a tile: below 1,000.
    Lines& number(unsigned value) {
        if (value >= 100) *end_++ = char('0' + value / 100);
        if (value >= 10) *end_++ = char('0' + value / 10 % 10);
        *end_++ = char('0' + value % 10);
        return *this;
    }
    Lines& word(std::string_view word) {
        end_ = std::copy(word.begin(), word.end(), end_);
        return *this;
    }
    Lines& cell(unsigned x, unsigned y) { return number(x).word(",").number(y).word(": "); }
    void endLine() { *end_++ = '\n'; }
    std::string_view text() const { return {text_.get(), std::size_t(end_ - text_.get())}; }

  private:
    static constexpr std::size_t MaxLine = 40; // "63,44: base none, ours 255, theirs 255\n"
    std::unique_ptr<char[]> text_;
    char* end_;
};

} // namespace app
