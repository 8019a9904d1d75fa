#include "compare/car_match.h"

#include "model/stat_catalogue.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
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
// order: only files of hundreds of cars under one name come near it.
constexpr std::size_t kMostAssignmentSteps = std::size_t{1} << 22;

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

// Pairs each row of fewer (rows of one name in its table) with its own row of
// more so that the pairs share the most values in all; of such pairings, the
// one whose cars stand nearest their partners' places among the name's cars
// (an assignment with potentials, by shortest augmenting paths). Gives, per
// row of fewer, the place in more it pairs with.
std::vector<int> Assign(const std::vector<int>& fewer, const CarTable& fewerCars,
                        const std::vector<int>& more, const CarTable& moreCars) {
    const std::size_t n = fewer.size();
    const std::size_t m = more.size();
    const std::vector<std::uint32_t> values = ValueNumbers(fewer, fewerCars, more, moreCars);
    const std::uint32_t* moreValues = &values[n * kValues];
    // A value shared outweighs every difference of places the pairing can add up.
    const auto shared = static_cast<std::int64_t>(n * m + 1);
    std::vector<std::int64_t> cost(n * m);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < m; ++j) {
            const long apart = static_cast<long>(i) - static_cast<long>(j);
            cost[i * m + j] =
                -shared * Likeness(&values[i * kValues], &moreValues[j * kValues]) + std::max(apart, -apart);
        }
    // Rows 1..n against columns 1..m; column 0 stands for the row being placed.
    constexpr std::int64_t kFar = std::numeric_limits<std::int64_t>::max() / 4;
    std::vector<std::int64_t> rowPotential(n + 1, 0);
    std::vector<std::int64_t> columnPotential(m + 1, 0);
    std::vector<std::size_t> rowOf(m + 1, 0);
    std::vector<std::size_t> way(m + 1, 0);
    std::vector<std::int64_t> least(m + 1);
    std::vector<bool> used(m + 1);
    for (std::size_t row = 1; row <= n; ++row) {
        rowOf[0] = row;
        std::size_t column = 0;
        std::fill(least.begin(), least.end(), kFar);
        std::fill(used.begin(), used.end(), false);
        do {
            used[column] = true;
            const std::size_t at = rowOf[column];
            std::int64_t step = kFar;
            std::size_t next = 0;
            for (std::size_t j = 1; j <= m; ++j) {
                if (used[j])
                    continue;
                const std::int64_t reduced =
                    cost[(at - 1) * m + j - 1] - rowPotential[at] - columnPotential[j];
                if (reduced < least[j]) {
                    least[j] = reduced;
                    way[j] = column;
                }
                if (least[j] < step) {
                    step = least[j];
                    next = j;
                }
            }
            for (std::size_t j = 0; j <= m; ++j) {
                if (used[j]) {
                    rowPotential[rowOf[j]] += step;
                    columnPotential[j] -= step;
                } else {
                    least[j] -= step;
                }
            }
            column = next;
        } while (rowOf[column] != 0);
        do {
            const std::size_t previous = way[column];
            rowOf[column] = rowOf[previous];
            column = previous;
        } while (column != 0);
    }
    std::vector<int> pairs(n, -1);
    for (std::size_t j = 1; j <= m; ++j)
        if (rowOf[j] != 0)
            pairs[rowOf[j] - 1] = static_cast<int>(j - 1);
    return pairs;
}

// Pairs the rows of one name in from and to (each in file order) into match.
// The cars that stand alike at the start and at the end pair as they stand;
// the rest by Assign while steps last, else in order.
void MatchName(const std::vector<int>& fromRows, const CarTable& from, const std::vector<int>& toRows,
               const CarTable& to, std::size_t& steps, std::vector<int>& match) {
    const auto pair = [&](std::size_t f, std::size_t t) {
        match[static_cast<std::size_t>(fromRows[f])] = toRows[t];
    };
    const auto same = [&](std::size_t f, std::size_t t) {
        return from[static_cast<std::size_t>(fromRows[f])] == to[static_cast<std::size_t>(toRows[t])];
    };
    std::size_t head = 0;
    while (head < fromRows.size() && head < toRows.size() && same(head, head))
        pair(head, head), ++head;
    std::size_t fromEnd = fromRows.size();
    std::size_t toEnd = toRows.size();
    while (fromEnd > head && toEnd > head && same(fromEnd - 1, toEnd - 1))
        pair(--fromEnd, --toEnd);
    const std::vector<int> fromLeft(fromRows.begin() + static_cast<long>(head),
                                    fromRows.begin() + static_cast<long>(fromEnd));
    const std::vector<int> toLeft(toRows.begin() + static_cast<long>(head),
                                  toRows.begin() + static_cast<long>(toEnd));
    const std::size_t fewer = std::min(fromLeft.size(), toLeft.size());
    const std::size_t work = fewer * fewer * std::max(fromLeft.size(), toLeft.size());
    if (fewer == 0)
        return;
    if (work > steps) {
        for (std::size_t i = 0; i < fewer; ++i)
            pair(head + i, head + i);
        return;
    }
    steps -= work;
    if (fromLeft.size() <= toLeft.size()) {
        const std::vector<int> pairs = Assign(fromLeft, from, toLeft, to);
        for (std::size_t i = 0; i < fromLeft.size(); ++i)
            match[static_cast<std::size_t>(fromLeft[i])] = toLeft[static_cast<std::size_t>(pairs[i])];
    } else {
        const std::vector<int> pairs = Assign(toLeft, to, fromLeft, from);
        for (std::size_t i = 0; i < toLeft.size(); ++i)
            match[static_cast<std::size_t>(fromLeft[static_cast<std::size_t>(pairs[i])])] = toLeft[i];
    }
}

} // namespace

NameIndex::NameIndex(const CarTable& cars) : cars_(cars), next_(cars.size(), -1), first_(cars.size(), false) {
    std::size_t size = 16;
    while (size < 2 * cars.size())
        size *= 2;
    slots_.assign(size, 0);
    // From the last row up, so that each name's rows chain in file order.
    for (int row = Size(cars) - 1; row >= 0; --row) {
        int& slot = slots_[SlotOf(cars[static_cast<std::size_t>(row)][0])];
        next_[static_cast<std::size_t>(row)] = slot - 1;
        if (slot > 0)
            first_[static_cast<std::size_t>(slot - 1)] = false;
        first_[static_cast<std::size_t>(row)] = true;
        slot = row + 1;
    }
}

std::size_t NameIndex::SlotOf(std::string_view name) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = std::hash<std::string_view>{}(name)&mask;; slot = (slot + 1) & mask) {
        const int row = slots_[slot] - 1;
        if (row < 0 || cars_[static_cast<std::size_t>(row)][0] == name)
            return slot;
    }
}

int NameIndex::First(std::string_view name) const {
    return slots_[SlotOf(name)] - 1;
}

int NameIndex::FirstOf(const CarRow& car, int row) const {
    // A file read beside the other shares the rows of the cars that stand as they stood.
    if (row < Size(cars_) && car.Shares(cars_[static_cast<std::size_t>(row)]) &&
        first_[static_cast<std::size_t>(row)])
        return row;
    return First(car[0]);
}

std::pair<int, int> NameIndex::PlaceOf(int row) const {
    int place = 0;
    int count = 0;
    for (int at = First(cars_[static_cast<std::size_t>(row)][0]); at >= 0; at = Next(at)) {
        ++count;
        if (at == row)
            place = count;
    }
    return {place, count};
}

std::vector<int> MatchCars(const CarTable& from, const CarTable& to) {
    return MatchCars(from, NameIndex(to));
}

std::vector<int> MatchCars(const CarTable& from, const NameIndex& to) {
    std::vector<int> match(from.size(), -1);
    // The rows of from of each name, chained from that name's first row of to.
    std::vector<int> fromFirst(to.Cars().size(), -1);
    std::vector<int> fromNext(from.size(), -1);
    for (int row = Size(from) - 1; row >= 0; --row) {
        const int first = to.FirstOf(from[static_cast<std::size_t>(row)], row);
        if (first < 0)
            continue;
        fromNext[static_cast<std::size_t>(row)] = fromFirst[static_cast<std::size_t>(first)];
        fromFirst[static_cast<std::size_t>(first)] = row;
    }
    std::size_t steps = kMostAssignmentSteps;
    std::vector<int> fromRows;
    std::vector<int> toRows;
    for (int first = 0; first < static_cast<int>(fromFirst.size()); ++first) {
        const int fromRow = fromFirst[static_cast<std::size_t>(first)];
        if (fromRow < 0)
            continue;
        if (to.Next(first) < 0 && fromNext[static_cast<std::size_t>(fromRow)] < 0) {
            match[static_cast<std::size_t>(fromRow)] = first;
            continue;
        }
        fromRows.clear();
        for (int row = fromRow; row >= 0; row = fromNext[static_cast<std::size_t>(row)])
            fromRows.push_back(row);
        toRows.clear();
        for (int row = first; row >= 0; row = to.Next(row))
            toRows.push_back(row);
        MatchName(fromRows, from, toRows, to.Cars(), steps, match);
    }
    return match;
}

} // namespace kestrix
