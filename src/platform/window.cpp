#include "platform/window.h"

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

std::vector<Shortcut> Window::OpenersKeys() const {
    std::vector<Shortcut> keys;
    if (opener_)
        EachEntry(opener_->MenuBar, [&keys](const MenuEntry& entry) {
            for (const Shortcut key : {entry.Key, entry.OtherKey})
                if (key != Shortcut::None)
                    keys.push_back(key);
        });
    return keys;
}

bool Window::UserPressesKey(Shortcut key) {
    if (closed_ || !opener_ || key == Shortcut::None)
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
