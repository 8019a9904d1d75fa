#pragma once

#include "model/handling_document.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// One value of one car as an edit asks for it.
struct CellEdit {
    int row = 0;
    int column = 0;
    std::string value;
};

// One value of one car before and after a change.
struct CellChange {
    int row = 0;
    int column = 0;
    std::string before;
    std::string after;
    friend bool operator==(const CellChange&, const CellChange&) = default;
};

// A change of the document's cars as one step: every cell it touches, with
// the value before and after, so that the step can be taken back later.
struct CarChange {
    std::vector<CellChange> cells;
    bool Empty() const { return cells.empty(); }
};

// The change that the edits make to these cars. Edits that leave a value as
// it is are left out; of two edits of one cell the later counts.
CarChange ChangeOf(const CarTable& cars, const std::vector<CellEdit>& edits);

// The bulk edits of many number cells at once.
enum class BulkOperation { Set, Add, Multiply };

// Why a bulk edit leaves a cell as it was.
enum class BulkSkip { None, NotANumber, TooLarge };
struct BulkResult {
    std::optional<std::string> value; // none: the cell stays as it is
    BulkSkip skip = BulkSkip::None;
};

// The value a bulk edit writes over a cell. Set writes the number as the user
// typed it (typed; its PlainDecimal when none is given). Add and Multiply
// write the result as a ComputedDecimal over the cell's value (1.1 x "1500"
// is "1650", 1.1 x "240.0" is "264.0"); adding to or multiplying a value that
// is no number, or a result beyond the largest number, gives nothing.
BulkResult BulkValue(std::string_view value, BulkOperation operation, double operand,
                     std::string_view typed = {});

// Typed into a stat field, "=" and an operation change the value last
// committed: "=*1.2", "=/2", "=+10", "=-50", and with "%" a share of the value
// ("=+10%" adds a tenth, "=*50%" halves it).
bool IsRelativeInput(std::string_view text);
// The new value as a bulk edit writes it, in the committed value's style; nothing when the
// input cannot be read, the committed value is no number, or the result is no finite number.
std::optional<std::string> RelativeValue(std::string_view input, std::string_view committed);
// What a value typed over another becomes, wherever a value is typed (a stat
// field, a merge's own value): the text as typed, or for input that begins
// with "=" the value it computes from the one it replaces; nothing when such
// input cannot be read.
std::optional<std::string> TypedValue(std::string_view input, std::string_view replaced);

} // namespace kestrix
