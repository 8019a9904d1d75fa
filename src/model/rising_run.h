#pragma once

#include <vector>

namespace kestrix {

// The places of a longest run of values that rise strictly, in order; values
// below 0 stand for nothing and are never part of it. Of the cars that were
// somewhere before (their rows there), those that keep their order: the
// others moved.
std::vector<int> LongestRisingRun(const std::vector<int>& values);

} // namespace kestrix
