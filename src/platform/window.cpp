#include "platform/window.h"

namespace kestrix::platform {

void Window::SetCaption(std::string caption) {
    if (caption_ == caption)
        return;
    caption_ = std::move(caption);
    if (Changed)
        Changed(Aspect::Caption);
}

bool Window::TryClose() {
    if (closed_)
        return true;
    closed_ = QueryUnload();
    return closed_;
}

void Window::Unload() {
    if (CloseRequested)
        CloseRequested();
    else
        TryClose();
}

} // namespace kestrix::platform
