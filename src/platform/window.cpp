#include "platform/window.h"

namespace kestrix::platform {

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

void Window::UserPressesEscape() {
    if (CancelButton && CancelButton->Visible())
        CancelButton->UserClicks();
}

} // namespace kestrix::platform
