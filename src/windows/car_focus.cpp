#include "windows/car_focus.h"

#include <algorithm>

namespace kestrix {

void CarFocus::Set(std::optional<std::vector<int>> shown, std::vector<int> selected) {
    if (shown == shown_ && selected == selected_)
        return;
    shown_ = std::move(shown);
    selected_ = std::move(selected);
    // An observer may stop observing while it is told.
    for (Observer* observer : std::vector<Observer*>(observers_))
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            observer->FocusChanged();
}

void CarFocus::Observe(Observer& observer) {
    observers_.push_back(&observer);
}

void CarFocus::Forget(Observer& observer) {
    std::erase(observers_, &observer);
}

} // namespace kestrix
