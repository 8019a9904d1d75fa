#pragma once

#include "model/handling_document.h"

#include <cstddef>
#include <vector>

namespace kestrix {

// Which car is which: for each row of from, the row of to that is the same
// car, or -1. The one rule for the comparison, the merge and a paste of car
// lines. Cars are the same by name; where the files hold as many cars of a
// name, the n-th is the n-th. Where one holds fewer, those keep their order
// and each is the car of the other file that shares the most values with it,
// so that a car deleted before a changed one of the same name leaves the
// changed one its partner; of equally alike pairings, the earlier cars pair.
// Past a bound on that work (thousands of cars under a few names), the cars
// of the names left pair in order.
std::vector<int> MatchCars(const CarTable& from, const CarTable& to);

// True when the matched rows do not stand in ascending order.
bool Reordered(const std::vector<int>& match);
// The matching the other way round: matching is symmetric.
std::vector<int> Inverse(const std::vector<int>& match, std::size_t size);

} // namespace kestrix
