#pragma once

#include "model/car_change.h"
#include "model/handling_document.h"
#include "validation/error_check.h"

#include <string>
#include <vector>

namespace kestrix {

// A finding of the check with the value that repairs it: a number outside its
// stat's limits becomes the nearest limit (a whole number where the game reads
// one), and under the strict rules a drive or engine letter of the wrong case
// becomes its letter, and lights or ABS with decimals or beyond their entries
// the nearest entry. A finding with no such repair (no number, a text too
// long or empty, a flag digit that is no digit) is left as it is.
struct RangeFix {
    int row = 0;
    int column = 0;
    std::string fixed;   // the value it becomes; empty: left as it is
    std::string message; // the finding, as the error list words it
    bool strict = false; // a finding of the strict rules
    bool Fixable() const { return !fixed.empty(); }
};

// Every finding of the check under these rules, car by car and column by
// column as the error list has them, each with its repair.
std::vector<RangeFix> RangeFixes(const CarTable& cars, const NumberFormat& format, CheckRules rules);

// The edits of the fixes chosen; a value two findings repair is written once.
std::vector<CellEdit> FixEdits(const std::vector<RangeFix>& fixes, const std::vector<bool>& chosen);

// "Fix 12 Values", "Fix 1 Value": the step, as the Edit menu names it.
std::string FixCaption(std::size_t values);

} // namespace kestrix
