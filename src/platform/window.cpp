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

bool Window::TryClose() {
    if (closed_)
        return true;
    closed_ = QueryUnload();
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

void Window::UserPressesFunctionKey(int number) {
    for (const auto& [key, button] : FunctionKeys)
        if (key == number && button->Visible())
            button->UserClicks();
}

void Window::UserPressesKey(Shortcut key) {
    for (const auto& [shortcut, command] : KeyCommands)
        if (shortcut == key && command && !closed_)
            command();
}

void Window::UserPressesEscape() {
    if (CancelButton && CancelButton->Visible())
        CancelButton->UserClicks();
}

} // namespace kestrix::platform
