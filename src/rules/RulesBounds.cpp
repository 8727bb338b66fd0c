#include "rules/RulesBounds.h"

#include "rules/RulesFile.h"

#include <string>
#include <vector>

namespace qorv::rules {

namespace {

// One pass over the text that knows only what decides where keys and values are: strings,
// comments, table headers, '=', ',' and the brackets of values.
class BoundsScan {
  public:
    explicit BoundsScan(std::string_view text) : text_(text) {}

    void run() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '\n') {
                ++line_;
                ++at_;
                if (open_.empty()) startKey();
            } else if (c == '#') {
                skipComment();
            } else if (c == '"' || c == '\'') {
                skipString(c);
            } else {
                punctuation(c);
                ++at_;
            }
        }
    }

  private:
    void startKey() {
        inKey_ = true;
        parts_ = 1;
    }

    void punctuation(char c) {
        if (c == '=') {
            inKey_ = false;
        } else if (c == '.' && inKey_) {
            if (++parts_ > MaxKeyParts)
                throw RulesError(line_, "a key of more than " + std::to_string(MaxKeyParts) +
                                            " dotted parts");
        } else if ((c == '[' || c == '{') && !inKey_) {
            open_.push_back(c);
            if (static_cast<int>(open_.size()) > MaxNesting)
                throw RulesError(line_,
                                 "values nested more than " + std::to_string(MaxNesting) + " deep");
            if (c == '{') startKey();
        } else if ((c == ']' || c == '}') && !open_.empty()) {
            open_.pop_back();
            inKey_ = false; // what follows a value is no key until ',' or a new line
        } else if (c == ',' && !open_.empty() && open_.back() == '{') {
            startKey();
        } else if (c == ']' && inKey_) {
            inKey_ = false; // the end of a table header: its key is counted
        }
    }

    void skipComment() {
        while (at_ < text_.size() && text_[at_] != '\n')
            ++at_;
    }

    // A basic string ("...", with backslash escapes) or a literal one ('...'), either of them
    // possibly multi-line (three quotes).
    void skipString(char quote) {
        const std::string triple(3, quote);
        const bool multiLine = text_.substr(at_, 3) == triple;
        at_ += multiLine ? 3 : 1;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '\\' && quote == '"') {
                at_ += 2;
                continue;
            }
            if (c == '\n') {
                if (!multiLine) return; // an unterminated string: the reader says so
                ++line_;
            }
            if (multiLine ? text_.substr(at_, 3) == triple : c == quote) {
                // A multi-line string may end in up to two more quotes of its content.
                at_ += multiLine ? 3 : 1;
                while (multiLine && at_ < text_.size() && text_[at_] == quote)
                    ++at_;
                return;
            }
            ++at_;
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 1;
    bool inKey_ = true; // the text starts where a key may be
    int parts_ = 1;
    std::vector<char> open_; // the brackets of the values open here
};

} // namespace

void checkBounds(std::string_view text) {
    BoundsScan(text).run();
}

} // namespace qorv::rules
