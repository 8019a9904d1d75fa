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

} // namespace kestrix
