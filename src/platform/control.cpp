#include "platform/control.h"

#include <algorithm>
#include <utility>

namespace kestrix::platform {

unsigned char FoldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    return c;
}

int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldCase(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldCase(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareSorted(std::string_view a, std::string_view b) {
    const int folded = CompareFolded(a, b);
    return folded != 0 ? folded : a.compare(b);
}

SortOrder OrderAfterHeaderClick(int clicked, int sortColumn, SortOrder order) {
    const bool again = clicked == sortColumn && order == SortOrder::Ascending;
    return again ? SortOrder::Descending : SortOrder::Ascending;
}

Control::~Control() {
    if (scope_)
        scope_->Forget(this);
    if (view_)
        view_->ControlGone();
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    Notify(Aspect::Enabled);
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    Notify(Aspect::Visible);
}

void Control::SetCanFocus(bool canFocus) {
    if (canFocus_ == canFocus)
        return;
    canFocus_ = canFocus;
    Notify(Aspect::CanFocus);
}

void Control::SetTip(std::string tip) {
    if (tip_ == tip)
        return;
    tip_ = std::move(tip);
    Notify(Aspect::Looks);
}

bool Control::HasFocus() const {
    return scope_ && scope_->Focused() == this;
}

void Control::SetFocus() {
    if (scope_ && canFocus_)
        scope_->MoveTo(this);
}

void FocusScope::MoveTo(Control* control) {
    if (control == focused_)
        return;
    Control* previous = std::exchange(focused_, control);
    if (previous)
        Control::Raise(previous->LostFocus);
    if (control && focused_ == control) {
        control->Notify(Aspect::Focus);
        Control::Raise(control->GotFocus);
    }
}

void FocusScope::Join(std::initializer_list<Control*> controls) {
    for (Control* control : controls)
        control->JoinFocusScope(*this);
}

void FocusScope::Forget(const Control* control) {
    if (focused_ == control)
        focused_ = nullptr;
}

} // namespace kestrix::platform
