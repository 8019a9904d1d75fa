#include "platform/window.h"

#include <algorithm>
#include <charconv>

namespace kestrix::platform {

std::string PlacementText(const Placement& place) {
    return std::to_string(place.left) + "," + std::to_string(place.top) + "," + std::to_string(place.width) +
           "," + std::to_string(place.height) + (place.maximised ? ",max" : "");
}

std::optional<Placement> PlacementOf(std::string_view text) {
    Placement place;
    if (text.ends_with(",max")) {
        place.maximised = true;
        text.remove_suffix(4);
    }
    int* const numbers[] = {&place.left, &place.top, &place.width, &place.height};
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (std::size_t i = 0; i < std::size(numbers); ++i) {
        const auto [next, error] = std::from_chars(at, end, *numbers[i]);
        const bool last = i + 1 == std::size(numbers);
        if (error != std::errc() || (last ? next != end : next == end || *next != ','))
            return std::nullopt;
        at = next + 1;
    }
    if (place.width <= 0 || place.height <= 0)
        return std::nullopt;
    return place;
}

namespace {

long long Overlap(const Placement& a, const Placement& b) {
    const long long width = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
    const long long height = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// The window moved into the screen, and made smaller where the screen is.
Placement Within(const Placement& screen, Placement place) {
    place.width = std::min(place.width, screen.width);
    place.height = std::min(place.height, screen.height);
    place.left = std::clamp(place.left, screen.left, screen.left + screen.width - place.width);
    place.top = std::clamp(place.top, screen.top, screen.top + screen.height - place.height);
    return place;
}

// The four places around a window, each as large as the room there allows, down to the least size.
void AddPlacesAround(const Placement& screen, const Placement& around, const Placement& wanted,
                     const Placement& least, std::vector<Placement>& places) {
    const int right = screen.left + screen.width - (around.left + around.width);
    const int left = around.left - screen.left;
    const int below = screen.top + screen.height - (around.top + around.height);
    const int above = around.top - screen.top;
    const auto narrowed = [](int room, int size, int smallest) {
        return room >= smallest ? std::min(size, room) : size;
    };
    const int rightWidth = narrowed(right, wanted.width, least.width);
    const int leftWidth = narrowed(left, wanted.width, least.width);
    const int belowHeight = narrowed(below, wanted.height, least.height);
    const int aboveHeight = narrowed(above, wanted.height, least.height);
    places.push_back({around.left + around.width, around.top, rightWidth, wanted.height});
    places.push_back({around.left - leftWidth, around.top, leftWidth, wanted.height});
    places.push_back({around.left, around.top + around.height, wanted.width, belowHeight});
    places.push_back({around.left, around.top - aboveHeight, wanted.width, aboveHeight});
}

} // namespace

Placement PlaceBeside(const Placement& screen, const Placement& opener, const std::vector<Placement>& others,
                      const Placement& wanted, const Placement& least) {
    std::vector<Placement> places;
    AddPlacesAround(screen, opener, wanted, least, places);
    for (const Placement& other : others)
        AddPlacesAround(screen, other, wanted, least, places);
    for (const int corner : {0, 1, 2, 3})
        places.push_back({screen.left + (corner % 2) * screen.width,
                          screen.top + (corner / 2) * screen.height, wanted.width, wanted.height});
    Placement best;
    std::pair<long long, long long> leastCovered{-1, -1};
    for (const Placement& place : places) {
        const Placement fitted = Within(screen, place);
        long long othersCovered = 0;
        for (const Placement& other : others)
            othersCovered += Overlap(fitted, other);
        const std::pair<long long, long long> covered{Overlap(fitted, opener), othersCovered};
        if (leastCovered.first < 0 || covered < leastCovered) {
            leastCovered = covered;
            best = fitted;
        }
    }
    return best;
}

Window::~Window() {
    if (view_)
        view_->WindowGone();
}

void Window::SetCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    if (view_)
        view_->Refresh(Aspect::Caption);
}

void Window::ShowNote(std::string note) {
    note_ = std::move(note);
    if (view_)
        view_->Refresh(Aspect::Text);
}

void Window::RememberPlace(Services& services, std::string key) {
    placeKeeper_ = &services;
    placeKey_ = std::move(key);
    place_ = PlacementOf(services.ReadSetting(placeKey_));
}

bool Window::TryClose() {
    if (closed_)
        return true;
    closed_ = QueryUnload();
    if (closed_ && placeKeeper_ && place_)
        placeKeeper_->WriteSetting(placeKey_, PlacementText(*place_));
    return closed_;
}

void Window::Unload() {
    if (view_)
        view_->Close();
    else
        TryClose();
}

void Window::BringToFront() {
    if (view_)
        view_->Raise();
}

void Window::UserPressesEnter() {
    if (DefaultButton && DefaultButton->Visible())
        DefaultButton->UserClicks();
}

bool Window::UserPressesFunctionKey(int number) {
    for (const auto& [key, button] : FunctionKeys)
        if (key == number && button->Visible()) {
            button->UserClicks();
            return true;
        }
    return false;
}

namespace {

template <typename Visit> void EachEntry(const std::vector<MenuEntry*>& entries, const Visit& visit) {
    for (MenuEntry* entry : entries) {
        visit(*entry);
        EachEntry(entry->Entries, visit);
    }
}

} // namespace

std::vector<Shortcut> Window::TakenKeys() const {
    std::vector<Shortcut> keys;
    for (const auto& own : OwnKeys)
        keys.push_back(own.first);
    if (opener_)
        EachEntry(opener_->MenuBar, [&keys](const MenuEntry& entry) {
            for (const Shortcut key : {entry.Key, entry.OtherKey})
                if (key != Shortcut::None)
                    keys.push_back(key);
        });
    return keys;
}

bool Window::UserPressesKey(Shortcut key) {
    if (closed_ || key == Shortcut::None)
        return false;
    for (const auto& [own, act] : OwnKeys)
        if (own == key) {
            act();
            return true;
        }
    if (!opener_)
        return false;
    MenuEntry* chosen = nullptr;
    EachEntry(opener_->MenuBar, [&chosen, key](MenuEntry& entry) {
        if (!chosen && (entry.Key == key || entry.OtherKey == key))
            chosen = &entry;
    });
    if (chosen)
        chosen->UserChooses(); // a disabled entry does nothing, as in its own window
    return chosen != nullptr;
}

void Window::UserPressesEscape() {
    if (CancelButton && CancelButton->Visible())
        CancelButton->UserClicks();
}

} // namespace kestrix::platform
