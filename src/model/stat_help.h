#pragma once

#include <string>
#include <string_view>

namespace kestrix {

// What a stat means for the car, in one sentence, and the unit its number is
// in (empty where it has none).
struct StatHelp {
    std::string_view Meaning;
    std::string_view Unit;
};

// The help of a column, 0 to 31.
const StatHelp& StatHelpOf(int column);
// The meaning followed by the unit, as a tip shows it.
std::string StatTip(int column);

} // namespace kestrix
