#include "platform/text_field.h"

#include <algorithm>
#include <utility>

namespace kestrix::platform {

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
    if (!Enabled())
        return;
    if (Refuses(text)) {
        // The view shows what the field holds again.
        Notify(Aspect::Text);
        UserRefused(Refusal::Separator);
        return;
    }
    SetText(std::move(text));
}

void TextField::UserRefused(Refusal refusal) {
    if (Refused)
        Refused(refusal);
}

bool TextField::UserPressesEnter() {
    if (!Enabled() || !Commit)
        return false;
    Raise(Commit);
    return true;
}

bool TextField::UserPressesEscape() {
    if (!Enabled() || !Revert)
        return false;
    Raise(Revert);
    return true;
}

bool TextField::UserPressesArrow(int step) {
    if (!Enabled() || !Step)
        return false;
    Step(step);
    return true;
}

void TextField::Select(std::size_t start, std::size_t length) {
    selStart_ = std::min(start, text_.size());
    selLength_ = std::min(length, text_.size() - selStart_);
    Notify(Aspect::Selection);
}

} // namespace kestrix::platform
