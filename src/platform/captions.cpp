#include "platform/captions.h"

#include <algorithm>
#include <utility>

namespace kestrix::platform {

void Label::SetCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    Notify(Aspect::Caption);
}

void Label::SetForeColor(std::optional<Color> color) {
    if (foreColor_ == color)
        return;
    foreColor_ = color;
    Notify(Aspect::Looks);
}

void Label::SetUnderline(bool underline) {
    if (underline_ == underline)
        return;
    underline_ = underline;
    Notify(Aspect::Looks);
}

void Label::SetBold(bool bold) {
    if (bold_ == bold)
        return;
    bold_ = bold;
    Notify(Aspect::Looks);
}

void NameAfter(Control& control, const Label& label) {
    std::string name;
    const std::string& caption = label.Caption();
    for (std::size_t i = 0; i < caption.size(); ++i)
        if (caption[i] != '&' || (i + 1 < caption.size() && caption[++i] == '&'))
            name += caption[i];
    while (!name.empty() && (name.back() == ':' || name.back() == ' '))
        name.pop_back();
    control.SetSpokenName(std::move(name));
}

void Label::UserMovesMouse() {
    if (Enabled())
        Raise(MouseMove);
}

void Label::UserClicks() {
    if (Enabled())
        Raise(Click);
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

void OptionButton::SetValue(bool value) {
    if (value_ == value)
        return;
    value_ = value;
    Notify(Aspect::Value);
    if (!value)
        return;
    for (OptionButton* other : group_)
        other->SetValue(false);
    Raise(Click);
}

void OptionButton::UserClicks() {
    if (Enabled())
        SetValue(true);
}

bool OptionButton::TabStop() const {
    if (value_)
        return true;
    if (std::any_of(group_.begin(), group_.end(), [](const OptionButton* other) { return other->value_; }))
        return false;
    // None is chosen: the first enabled option of the group, in the order it was grouped.
    for (const OptionButton* other : group_)
        if (other->Enabled() && other->groupOrder_ < groupOrder_)
            return false;
    return Enabled();
}

void OptionButton::UserSteps(int step) {
    std::vector<OptionButton*> members = group_;
    members.push_back(this);
    std::sort(members.begin(), members.end(),
              [](const OptionButton* a, const OptionButton* b) { return a->groupOrder_ < b->groupOrder_; });
    const int count = static_cast<int>(members.size());
    int at = groupOrder_;
    for (int tried = 1; tried < count; ++tried) {
        at = ((at + step) % count + count) % count;
        OptionButton& next = *members[static_cast<std::size_t>(at)];
        if (next.Enabled() && next.Visible()) {
            next.SetFocus();
            next.UserClicks();
            return;
        }
    }
}

void OptionButton::Group(std::initializer_list<OptionButton*> options) {
    int order = 0;
    for (OptionButton* option : options)
        option->groupOrder_ = order++;
    for (OptionButton* option : options) {
        option->group_.clear();
        for (OptionButton* other : options)
            if (other != option)
                option->group_.push_back(other);
    }
}

void Picture::UserMovesMouse() {
    if (Enabled())
        Raise(MouseMove);
}

} // namespace kestrix::platform
