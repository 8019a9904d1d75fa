#include "platform/tabs.h"

namespace kestrix::platform {

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

void TabControl::UserStepsPage(int step) {
    const int count = static_cast<int>(captions_.size());
    if (count > 0)
        UserChoosesPage(((tab_ + step) % count + count) % count);
}

} // namespace kestrix::platform
