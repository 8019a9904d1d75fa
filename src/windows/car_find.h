#pragma once

#include "platform/controls.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// A car of the car list whose name holds what the user looks for.
struct FoundCar {
    int position = 0; // in the car list
    // Its name; where other cars have the same name, which of them it is in the file: "NAME (2 of 3)".
    std::string shown;
};

// The cars of the car list (alphabetical, each carrying its row), in its order, whose names contain
// the text, letter case aside.
std::vector<FoundCar> FindCars(const std::vector<platform::DropDown::Entry>& cars, std::string_view text);

} // namespace kestrix
