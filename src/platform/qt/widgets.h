#pragma once

#include "platform/controls.h"

class QWidget;

namespace kestrix::platform::qt {

// The widget of any control, named after it and bound to it. A control that
// takes the focus reports it to the window's focus scope.
QWidget* CreateWidget(Control& control, const FocusScope& focus, QWidget* parent);

} // namespace kestrix::platform::qt
