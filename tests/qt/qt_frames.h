#pragma once

#include "platform/qt/qt_services.h"
#include "views/qt/views.h"

#include <memory>

namespace kestrix::test {

// The real frame and layout of a window whose services are scripted.
inline std::unique_ptr<platform::qt::WindowFrame> Frame(platform::Window& window) {
    static platform::qt::QtServices layouts("", "", "");
    static const bool registered = (views::RegisterViews(layouts), true);
    (void)registered;
    return layouts.CreateFrame(window);
}

} // namespace kestrix::test
