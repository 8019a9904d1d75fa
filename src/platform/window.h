#pragma once

#include "platform/controls.h"

namespace kestrix::platform {

// A top-level window: its caption, its focus, and closing with a check that may refuse.
class Window {
  public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

    // Closing by any means runs QueryUnload first; false keeps the window open.
    bool TryClose();
    // Closing from code (an Exit command): the view closes its window, which ends in TryClose.
    void Unload();
    bool IsClosed() const { return closed_; }

    FocusScope Focus;
    std::function<void(Aspect)> Changed;
    // Set by a view that closes the real window and then calls TryClose.
    std::function<void()> CloseRequested;

  protected:
    virtual bool QueryUnload() { return true; }

  private:
    std::string caption_;
    bool closed_ = false;
};

} // namespace kestrix::platform
