#include "windows/car_focus.h"

#include <algorithm>

namespace kestrix {

void CarFocus::SetShown(std::optional<std::vector<int>> shown, std::string filter) {
    if (shown == shown_ && filter == filter_)
        return;
    shown_ = std::move(shown);
    filter_ = std::move(filter);
    Tell();
}

void CarFocus::SetSelected(std::vector<int> selected) {
    if (selected == selected_)
        return;
    selected_ = std::move(selected);
    Tell();
}

void CarFocus::Tell() {
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
