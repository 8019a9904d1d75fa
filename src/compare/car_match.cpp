#include "compare/car_match.h"

#include "model/stat_catalogue.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace kestrix {

namespace {

template <class Row> int Size(const std::vector<Row>& rows) {
    return static_cast<int>(rows.size());
}

} // namespace

// True when the matched rows do not stand in ascending order.
bool Reordered(const std::vector<int>& match) {
    int last = -1;
    for (const int row : match) {
        if (row < 0)
            continue;
        if (row < last)
            return true;
        last = row;
    }
    return false;
}

// The matching the other way round: matching is symmetric.
std::vector<int> Inverse(const std::vector<int>& match, std::size_t size) {
    std::vector<int> inverse(size, -1);
    for (std::size_t row = 0; row < match.size(); ++row) {
        if (match[row] >= 0)
            inverse[static_cast<std::size_t>(match[row])] = static_cast<int>(row);
    }
    return inverse;
}

namespace {

// Beyond this many steps in one matching, the cars of the names left pair in
// order: only files of thousands of cars of a few names come near it.
constexpr std::size_t kMostAlignmentSteps = std::size_t{1} << 22;

constexpr std::size_t kValues = kStatCount - 1; // the name aside

// The values but the name of the cars of fewer, then of more, each as a number
// that two equal values share: comparing two cars is then 31 comparisons of
// numbers, however long the values.
std::vector<std::uint32_t> ValueNumbers(const std::vector<int>& fewer, const CarTable& fewerCars,
                                        const std::vector<int>& more, const CarTable& moreCars) {
    std::vector<std::uint32_t> numbers;
    numbers.reserve((fewer.size() + more.size()) * kValues);
    std::unordered_map<std::string_view, std::uint32_t> seen;
    const auto number = [&](const std::vector<int>& rows, const CarTable& cars) {
        for (const int row : rows) {
            const CarRow& car = cars[static_cast<std::size_t>(row)];
            for (int column = 1; column < kStatCount; ++column)
                numbers.push_back(
                    seen.try_emplace(car[column], static_cast<std::uint32_t>(seen.size())).first->second);
        }
    };
    number(fewer, fewerCars);
    number(more, moreCars);
    return numbers;
}

// How many values two cars share.
int Likeness(const std::uint32_t* a, const std::uint32_t* b) {
    int same = 0;
    for (std::size_t i = 0; i < kValues; ++i)
        same += a[i] == b[i];
    return same;
}

// Pairs each row of fewer (rows of one name in its table) with one of more,
// in order, so that the pairs share the most values; ties pair earlier rows.
// Gives, per row of fewer, the place in more it pairs with.
// steps: what is left of kMostAlignmentSteps.
std::vector<int> AlignFewer(const std::vector<int>& fewer, const CarTable& fewerCars,
                            const std::vector<int>& more, const CarTable& moreCars, std::size_t& steps) {
    const std::size_t n = fewer.size();
    const std::size_t skips = more.size() - n;
    std::vector<int> pairs(n);
    if (n * (skips + 1) > steps) {
        for (std::size_t j = 0; j < n; ++j)
            pairs[j] = static_cast<int>(j);
        return pairs;
    }
    steps -= n * (skips + 1);
    const std::vector<std::uint32_t> values = ValueNumbers(fewer, fewerCars, more, moreCars);
    const std::uint32_t* moreValues = &values[n * kValues];
    // best[j][d]: the most shared values with the first j of fewer paired
    // among the first j + d of more.
    const std::size_t width = skips + 1;
    std::vector<int> best((n + 1) * width, 0);
    const auto at = [&](std::size_t j, std::size_t d) -> int& { return best[j * width + d]; };
    for (std::size_t j = 1; j <= n; ++j) {
        const std::uint32_t* car = &values[(j - 1) * kValues];
        for (std::size_t d = 0; d < width; ++d) {
            const int paired = at(j - 1, d) + Likeness(car, &moreValues[(j + d - 1) * kValues]);
            at(j, d) = d > 0 ? std::max(paired, at(j, d - 1)) : paired;
        }
    }
    std::size_t d = skips;
    for (std::size_t j = n; j > 0;) {
        if (d > 0 && at(j, d) == at(j, d - 1)) {
            --d; // the later car of more stays single
            continue;
        }
        pairs[j - 1] = static_cast<int>(j - 1 + d);
        --j;
    }
    return pairs;
}

} // namespace

std::vector<int> MatchCars(const CarTable& from, const CarTable& to) {
    // The rows of each name in both tables, chained in file order.
    struct Name {
        int toFirst = -1, toLast = -1, toCount = 0;
        int fromFirst = -1, fromLast = -1, fromCount = 0;
    };
    std::vector<Name> names;
    std::unordered_map<std::string_view, int> index;
    index.reserve(to.size());
    std::vector<int> toNext(to.size(), -1);
    std::vector<int> fromNext(from.size(), -1);
    const auto chain = [](int row, int& first, int& last, int& count, std::vector<int>& next) {
        if (last >= 0)
            next[static_cast<std::size_t>(last)] = row;
        else
            first = row;
        last = row;
        ++count;
    };
    for (int row = 0; row < Size(to); ++row) {
        const auto [found, fresh] = index.try_emplace(to[static_cast<std::size_t>(row)][0], Size(names));
        if (fresh)
            names.emplace_back();
        Name& name = names[static_cast<std::size_t>(found->second)];
        chain(row, name.toFirst, name.toLast, name.toCount, toNext);
    }
    for (int row = 0; row < Size(from); ++row) {
        const auto found = index.find(from[static_cast<std::size_t>(row)][0]);
        if (found == index.end())
            continue;
        Name& name = names[static_cast<std::size_t>(found->second)];
        chain(row, name.fromFirst, name.fromLast, name.fromCount, fromNext);
    }
    std::vector<int> match(from.size(), -1);
    std::size_t steps = kMostAlignmentSteps;
    std::vector<int> fromRows;
    std::vector<int> toRows;
    const auto rows = [](int first, const std::vector<int>& next, std::vector<int>& out) {
        out.clear();
        for (int row = first; row >= 0; row = next[static_cast<std::size_t>(row)])
            out.push_back(row);
    };
    for (const Name& name : names) {
        if (name.fromCount == 0)
            continue;
        if (name.fromCount == name.toCount) {
            for (int f = name.fromFirst, t = name.toFirst; f >= 0;
                 f = fromNext[static_cast<std::size_t>(f)], t = toNext[static_cast<std::size_t>(t)])
                match[static_cast<std::size_t>(f)] = t;
            continue;
        }
        rows(name.fromFirst, fromNext, fromRows);
        rows(name.toFirst, toNext, toRows);
        if (fromRows.size() < toRows.size()) {
            const std::vector<int> pairs = AlignFewer(fromRows, from, toRows, to, steps);
            for (std::size_t j = 0; j < fromRows.size(); ++j)
                match[static_cast<std::size_t>(fromRows[j])] = toRows[static_cast<std::size_t>(pairs[j])];
        } else {
            const std::vector<int> pairs = AlignFewer(toRows, to, fromRows, from, steps);
            for (std::size_t j = 0; j < toRows.size(); ++j)
                match[static_cast<std::size_t>(fromRows[static_cast<std::size_t>(pairs[j])])] = toRows[j];
        }
    }
    return match;
}

} // namespace kestrix
