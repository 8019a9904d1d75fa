#pragma once

#include "model/car_change.h"
#include "model/handling_document.h"
#include "validation/error_check.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrix {

// A finding of the check with the value that repairs it: a number outside its
// stat's limits becomes the nearest limit (a whole number where the game reads
// one), and under the strict rules a drive or engine letter of the wrong case
// becomes its letter, and lights or ABS with decimals or beyond their entries
// the nearest entry. A finding with no such repair (no number, a text too
// long or empty, a flag digit that is no digit) is left as it is.
// Small, since a file can hold 819,175 of them: the message is found again when shown.
struct RangeFix {
    int row = 0;
    std::int16_t column = 0;
    std::uint8_t finding = 0; // its place among the findings of its car
    bool strict = false;      // a finding of the strict rules
    std::string fixed;        // the value it becomes; empty: left as it is
    bool Fixable() const { return !fixed.empty(); }
};

// Every finding of the check under these rules, car by car and column by
// column as the error list has them, each with its repair.
std::vector<RangeFix> RangeFixes(const CarTable& cars, const NumberFormat& format, CheckRules rules);
// The finding's message, as the error list words it.
std::string FindingMessage(const RangeFix& fix, const CarTable& cars, const NumberFormat& format,
                           CheckRules rules);

// The edits of the fixes chosen; a value two findings repair is written once.
std::vector<CellEdit> FixEdits(const std::vector<RangeFix>& fixes, const std::vector<bool>& chosen);

// "Fix 12 Values", "Fix 1 Value": the step, as the Edit menu names it.
std::string FixCaption(std::size_t values);

} // namespace kestrix
