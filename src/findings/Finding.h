#pragma once
// One failure of one level, as every report format prints it: where it is (the level's line
// and column, and the cell), which rule it breaks and what is wrong.

#include <memory>
#include <optional>
#include <string>

namespace qorv::findings {

// A text that many findings print, a rule's help: held once, however many failures share it
// (1,000 failing levels of a rule with a long help would otherwise hold 1,000 copies).
class SharedText {
  public:
    SharedText() = default;
    SharedText(std::string text)
        : text_(text.empty() ? nullptr : std::make_shared<const std::string>(std::move(text))) {}
    SharedText(const char* text) : SharedText(std::string(text)) {}
    const std::string& str() const {
        static const std::string none;
        return text_ ? *text_ : none;
    }
    bool empty() const { return !text_; }
    // Whether the two hold the one copy, not only the same text.
    bool sameCopy(const SharedText& other) const { return text_ == other.text_; }
    bool operator==(const SharedText& other) const { return str() == other.str(); }

  private:
    std::shared_ptr<const std::string> text_;
};

struct FindingCell {
    int x;
    int y;
    bool operator==(const FindingCell&) const = default;
};

struct Finding {
    std::string file;                // the level's path as given: any bytes but NUL
    int line = 0;                    // 1-based; 0 where the failure has no line
    int column = 0;                  // 1-based; 0 where it has none
    std::optional<FindingCell> cell; // row y is line y + 1, column x is column x + 1
    std::string rule;                // the breaking rule's id; empty for an unreadable level
    std::string message;
    SharedText help; // the rule's help text; may be empty
    bool operator==(const Finding&) const = default;
};

// Points `finding` at the cell (x, y): the level's text holds row y on line y + 1 and column x
// in its column x + 1.
inline void placeAtCell(Finding& finding, int x, int y) {
    finding.line = y + 1;
    finding.column = x + 1;
    finding.cell = FindingCell{x, y};
}

} // namespace qorv::findings
