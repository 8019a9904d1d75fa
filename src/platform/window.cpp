#include "platform/window.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

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

bool CoversAny(const Placement& place, const std::vector<OpenWindow>& open) {
    return std::any_of(open.begin(), open.end(),
                       [&place](const OpenWindow& window) { return Overlap(place, window.place) > 0; });
}

// The rectangles of the screen that no open window covers, each bounded by the screen's edges and the
// windows' edges; among them are all the largest ones.
std::vector<Placement> FreeAreas(const Placement& screen, const std::vector<OpenWindow>& open) {
    const int right = screen.left + screen.width;
    const int bottom = screen.top + screen.height;
    std::vector<int> lefts{screen.left}, rights{right}, tops{screen.top}, bottoms{bottom};
    for (const OpenWindow& window : open) {
        const Placement& p = window.place;
        lefts.push_back(std::clamp(p.left + p.width, screen.left, right));
        rights.push_back(std::clamp(p.left, screen.left, right));
        tops.push_back(std::clamp(p.top + p.height, screen.top, bottom));
        bottoms.push_back(std::clamp(p.top, screen.top, bottom));
    }
    std::vector<Placement> areas;
    for (const int l : lefts)
        for (const int r : rights)
            for (const int t : tops)
                for (const int b : bottoms)
                    if (l < r && t < b && !CoversAny({l, t, r - l, b - t}, open))
                        areas.push_back({l, t, r - l, b - t});
    return areas;
}

// Where a window of this size would stand beside another: right of it, left, below, above.
std::vector<Placement> PlacesBeside(const Placement& other, int width, int height) {
    return {{other.left + other.width, other.top, width, height},
            {other.left - width, other.top, width, height},
            {other.left, other.top + other.height, width, height},
            {other.left, other.top - height, width, height}};
}

// The wanted place moved into the area, and how far it had to move.
std::pair<Placement, long long> Into(const Placement& area, Placement place) {
    const Placement wanted = place;
    place.left = std::clamp(place.left, area.left, area.left + area.width - place.width);
    place.top = std::clamp(place.top, area.top, area.top + area.height - place.height);
    return {place, std::abs(static_cast<long long>(place.left) - wanted.left) +
                       std::abs(static_cast<long long>(place.top) - wanted.top)};
}

// At the least size, over the part of under on the screen, at the corner where it covers least of the others.
Placement OverLeastUsed(const Placement& screen, const std::vector<OpenWindow>& others,
                        const Placement& under, int width, int height) {
    const int left = std::max(under.left, screen.left);
    const int top = std::max(under.top, screen.top);
    const int right = std::min(under.left + under.width, screen.left + screen.width);
    const int bottom = std::min(under.top + under.height, screen.top + screen.height);
    Placement best;
    long long leastCovered = -1;
    for (const Placement corner :
         {Placement{left, top, width, height}, Placement{right - width, top, width, height},
          Placement{left, bottom - height, width, height},
          Placement{right - width, bottom - height, width, height}}) {
        const Placement place = OnScreen(screen, corner);
        long long covered = 0;
        for (const OpenWindow& other : others)
            covered += Overlap(place, other.place);
        if (leastCovered < 0 || covered < leastCovered) {
            leastCovered = covered;
            best = place;
        }
    }
    return best;
}

// The best place in the room the open windows leave: the largest size, at least the least one, then the
// shortest move from a place next to a near window; none where no room is large enough.
std::optional<Placement> BestPlace(const Placement& screen, const std::vector<OpenWindow>& open,
                                   const std::vector<Placement>& near, const Placement& least) {
    std::optional<Placement> best;
    std::pair<long long, long long> bestScore;
    for (const Placement& area : FreeAreas(screen, open)) {
        if (area.width < least.width || area.height < least.height)
            continue;
        for (Placement place : near) {
            place.width = std::min(place.width, area.width);
            place.height = std::min(place.height, area.height);
            const auto [moved, distance] = Into(area, place);
            const std::pair<long long, long long> score{static_cast<long long>(moved.width) * moved.height,
                                                        -distance};
            if (!best || score > bestScore) {
                best = moved;
                bestScore = score;
            }
        }
    }
    return best;
}

} // namespace

Placement OnScreen(const Placement& screen, Placement place) {
    place.width = std::min(place.width, screen.width);
    place.height = std::min(place.height, screen.height);
    place.left = std::clamp(place.left, screen.left, screen.left + screen.width - place.width);
    place.top = std::clamp(place.top, screen.top, screen.top + screen.height - place.height);
    return place;
}

Placement PlaceNewWindow(const Placement& screen, const std::vector<OpenWindow>& open,
                         const Placement& wanted, const Placement& least) {
    const int width = std::min(wanted.width, screen.width);
    const int height = std::min(wanted.height, screen.height);
    const Placement smallest{0, 0, std::min(width, std::max(least.width, kLeastOpenWidth)),
                             std::min(height, std::max(least.height, kLeastOpenHeight))};
    const auto byUse = [](const OpenWindow& a, const OpenWindow& b) { return a.lastUse < b.lastUse; };
    // Next to the window used last, at this size; with none open, in the middle of the screen.
    const auto near = [&](int w, int h) {
        if (open.empty())
            return std::vector<Placement>{
                {screen.left + (screen.width - w) / 2, screen.top + (screen.height - h) / 2, w, h}};
        return PlacesBeside(std::max_element(open.begin(), open.end(), byUse)->place, w, h);
    };
    if (const auto place = BestPlace(screen, open, near(width, height), smallest); place || open.empty())
        return place ? *place : OnScreen(screen, near(width, height).front());
    // No room: at the least size, over the window used least recently, clear of the others where they
    // leave room for it.
    std::vector<OpenWindow> others = open;
    const auto oldest = std::min_element(others.begin(), others.end(), byUse);
    const Placement under = oldest->place;
    others.erase(oldest);
    if (const auto place = BestPlace(screen, others, near(smallest.width, smallest.height), smallest))
        return *place;
    return OverLeastUsed(screen, others, under, smallest.width, smallest.height);
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
