#include "windows/car_find.h"

#include <algorithm>

namespace kestrix {

namespace {

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(platform::FoldCase(static_cast<unsigned char>(c)));
    return folded;
}

} // namespace

std::vector<FoundCar> FindCars(const std::vector<platform::DropDown::Entry>& cars, std::string_view text) {
    const std::string wanted = Folded(text);
    std::vector<FoundCar> found;
    // The list is sorted, so namesakes stand together; each run of them is counted in row order.
    for (std::size_t first = 0; first < cars.size();) {
        std::size_t end = first + 1;
        while (end < cars.size() && cars[end].text == cars[first].text)
            ++end;
        if (Folded(cars[first].text).find(wanted) != std::string::npos) {
            std::vector<std::size_t> namesakes(end - first);
            for (std::size_t i = 0; i < namesakes.size(); ++i)
                namesakes[i] = first + i;
            std::sort(namesakes.begin(), namesakes.end(),
                      [&cars](std::size_t a, std::size_t b) { return cars[a].data < cars[b].data; });
            for (std::size_t nth = 0; nth < namesakes.size(); ++nth) {
                const std::string& name = cars[namesakes[nth]].text;
                found.push_back({static_cast<int>(namesakes[nth]),
                                 namesakes.size() == 1 ? name
                                                       : name + " (" + std::to_string(nth + 1) + " of " +
                                                             std::to_string(namesakes.size()) + ")"});
            }
        }
        first = end;
    }
    return found;
}

} // namespace kestrix
