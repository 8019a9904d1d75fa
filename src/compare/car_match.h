#pragma once

#include "model/handling_document.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrix {

// Which car is which: for each row of from, the row of to that is the same
// car, or -1. The one rule for the comparison, the merge and a paste of car
// lines. Cars are the same by name; the cars of a name are paired, whatever
// their order on each side, so that the pairs share the most values in all,
// as many pairs as the side with fewer of them has cars; of pairings that
// share as many, the one whose cars stand nearest their partners' places
// among the cars of the name. Past a bound on that work (hundreds of cars
// under one name), the cars of the names left pair in order, but for those
// that stand alike at the start and at the end of the name's cars.
std::vector<int> MatchCars(const CarTable& from, const CarTable& to);

// The cars of each name of a table, found by name: one pass of hashing into
// a table of places, with no allocation per name.
class NameIndex {
  public:
    explicit NameIndex(const CarTable& cars);
    const CarTable& Cars() const { return cars_; }
    // The first row of the name, or -1.
    int First(std::string_view name) const;
    // The first row of the name of another table's car, or -1: the name is
    // looked up only where that car is not the car of this table at its row.
    int FirstOf(const CarRow& car, int row) const;
    // The next row of the same name after row, or -1.
    int Next(int row) const { return next_[static_cast<std::size_t>(row)]; }
    // A car's place among those of its name, from 1, and how many there are.
    std::pair<int, int> PlaceOf(int row) const;

  private:
    std::size_t SlotOf(std::string_view name) const;

    const CarTable& cars_;
    std::vector<int> slots_; // a name's first row, plus one; 0: free
    std::vector<int> next_;
    std::vector<bool> first_; // whether the row is the first of its name
};

// MatchCars with to's names indexed already.
std::vector<int> MatchCars(const CarTable& from, const NameIndex& to);

// True when the matched rows do not stand in ascending order.
bool Reordered(const std::vector<int>& match);
// The matching the other way round: matching is symmetric.
std::vector<int> Inverse(const std::vector<int>& match, std::size_t size);

} // namespace kestrix
