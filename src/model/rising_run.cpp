#include "model/rising_run.h"

#include <algorithm>
#include <cstddef>

namespace kestrix {

// Patience sorting: per length of run, the place ending the lowest such run.
std::vector<int> LongestRisingRun(const std::vector<int>& values) {
    std::vector<int> tops;
    std::vector<int> before(values.size(), -1);
    const auto at = [&](int place) { return values[static_cast<std::size_t>(place)]; };
    for (int place = 0; place < static_cast<int>(values.size()); ++place) {
        if (at(place) < 0)
            continue;
        const auto top = std::lower_bound(tops.begin(), tops.end(), at(place),
                                          [&](int top, int value) { return at(top) < value; });
        if (top != tops.begin())
            before[static_cast<std::size_t>(place)] = *(top - 1);
        if (top == tops.end())
            tops.push_back(place);
        else
            *top = place;
    }
    std::vector<int> run;
    for (int place = tops.empty() ? -1 : tops.back(); place >= 0;
         place = before[static_cast<std::size_t>(place)])
        run.push_back(place);
    std::reverse(run.begin(), run.end());
    return run;
}

} // namespace kestrix
