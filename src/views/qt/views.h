#pragma once

#include "platform/qt/qt_services.h"

namespace kestrix::views {

// Registers the layout of every window of the program.
void RegisterViews(platform::qt::QtServices& services);

} // namespace kestrix::views
