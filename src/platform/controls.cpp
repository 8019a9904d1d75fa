#include "platform/controls.h"

#include <algorithm>
#include <utility>

namespace kestrix::platform {

namespace {

unsigned char FoldCase(unsigned char c) {
    // ASCII and the Latin-1 capitals fold to lower case; values are 8-bit text.
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    return c;
}

} // namespace

bool SortsBefore(std::string_view a, int aData, std::string_view b, int bData) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = FoldCase(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldCase(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    if (a != b)
        return a < b;
    return aData < bData;
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

bool Control::HasFocus() const {
    return scope_ && scope_->Focused() == this;
}

void Control::SetFocus() {
    if (scope_)
        scope_->MoveTo(this);
}

void FocusScope::MoveTo(Control* control) {
    if (control == focused_)
        return;
    Control* previous = std::exchange(focused_, control);
    if (previous)
        Control::Raise(previous->LostFocus);
    if (control) {
        control->Notify(Aspect::Focus);
        Control::Raise(control->GotFocus);
    }
}

void Label::SetCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    Notify(Aspect::Caption);
}

void Button::UserClicks() {
    if (Enabled())
        Raise(Click);
}

void TextField::SetText(std::string text) {
    if (text_ == text)
        return;
    text_ = std::move(text);
    selStart_ = std::min(selStart_, text_.size());
    selLength_ = 0;
    Notify(Aspect::Text);
    Raise(Change);
}

void TextField::UserTypes(std::string text) {
    if (Enabled())
        SetText(std::move(text));
}

void TextField::Select(std::size_t start, std::size_t length) {
    selStart_ = std::min(start, text_.size());
    selLength_ = std::min(length, text_.size() - selStart_);
    Notify(Aspect::Selection);
}

void CheckBox::SetValue(int value) {
    if (value_ == value)
        return;
    value_ = value;
    Notify(Aspect::Value);
    Raise(Click);
}

void CheckBox::UserClicks() {
    if (Enabled())
        SetValue(Value() ? 0 : 1);
}

bool DropDown::EntrySortsBefore(const Entry& a, const Entry& b) {
    return SortsBefore(a.text, a.data, b.text, b.data);
}

void DropDown::Clear() {
    entries_.clear();
    listIndex_ = -1;
    Notify(Aspect::Entries);
}

int DropDown::AddItem(std::string text, int data) {
    auto place = entries_.end();
    if (sorted_)
        place = std::upper_bound(entries_.begin(), entries_.end(), Entry{text, data}, EntrySortsBefore);
    const int position = static_cast<int>(place - entries_.begin());
    entries_.insert(place, Entry{std::move(text), data});
    if (listIndex_ >= position)
        ++listIndex_;
    Notify(Aspect::Entries);
    return position;
}

void DropDown::SetEntries(std::vector<Entry> entries) {
    entries_ = std::move(entries);
    if (sorted_)
        std::sort(entries_.begin(), entries_.end(), EntrySortsBefore);
    listIndex_ = -1;
    Notify(Aspect::Entries);
}

void DropDown::SetListIndex(int position) {
    if (position < -1 || position >= ListCount())
        return;
    listIndex_ = position;
    Notify(Aspect::Selection);
    if (position >= 0)
        Raise(Click);
}

void DropDown::UserPicks(int position) {
    if (!Enabled())
        return;
    Raise(DropDownOpening);
    UserSteps(position);
}

void DropDown::UserSteps(int position) {
    if (!Enabled() || position < 0 || position >= ListCount())
        return;
    Raise(UserSelecting);
    SetListIndex(position);
}

void TickList::SetEntries(std::vector<std::string> entries) {
    entries_ = std::move(entries);
    ticks_.assign(entries_.size(), false);
    current_ = -1;
    Notify(Aspect::Entries);
}

void TickList::SetTicked(int index, bool ticked) {
    if (ticks_.at(static_cast<std::size_t>(index)) == ticked)
        return;
    ticks_[static_cast<std::size_t>(index)] = ticked;
    Notify(Aspect::Ticks);
    Raise(Click);
}

void TickList::SetCurrent(int index) {
    if (index < 0 || index >= Count() || index == current_)
        return;
    current_ = index;
    Notify(Aspect::Selection);
    Raise(Click);
}

void TickList::UserToggles(int index) {
    if (!Enabled() || index < 0 || index >= Count())
        return;
    // One user action, one event.
    const Event click = std::exchange(Click, nullptr);
    SetCurrent(index);
    SetTicked(index, !Ticked(index));
    Click = click;
    Raise(Click);
}

void TickList::UserMovesTo(int index) {
    if (Enabled())
        SetCurrent(index);
}

void ColumnList::SetRows(std::vector<std::string> cells) {
    cells_ = std::move(cells);
    cells_.resize(static_cast<std::size_t>(RowCount() * ColumnCount()));
    selectedRow_ = -1;
    Notify(Aspect::Rows);
}

void ColumnList::SetSelectedRow(int row) {
    if (row < -1 || row >= RowCount())
        return;
    selectedRow_ = row;
    Notify(Aspect::Selection);
}

void ColumnList::UserDoubleClicks(int row) {
    if (!Enabled() || row < 0 || row >= RowCount())
        return;
    SetSelectedRow(row);
    Raise(DblClick);
}

void TabControl::SetTab(int page) {
    if (page == tab_ || page < 0 || page >= static_cast<int>(captions_.size()))
        return;
    tab_ = page;
    Notify(Aspect::Page);
    Raise(Click);
}

void TabControl::UserChoosesPage(int page) {
    if (Enabled())
        SetTab(page);
}

std::string_view ShortcutText(Shortcut shortcut) {
    switch (shortcut) {
    case Shortcut::None:
        return "";
    case Shortcut::CtrlA:
        return "Ctrl+A";
    case Shortcut::CtrlC:
        return "Ctrl+C";
    case Shortcut::CtrlO:
        return "Ctrl+O";
    case Shortcut::CtrlP:
        return "Ctrl+P";
    case Shortcut::CtrlR:
        return "Ctrl+R";
    case Shortcut::CtrlS:
        return "Ctrl+S";
    }
    return "";
}

void MenuEntry::UserChooses() {
    if (Enabled() && !IsSeparator)
        Raise(Click);
}

} // namespace kestrix::platform
