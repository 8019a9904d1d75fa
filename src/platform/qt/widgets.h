#pragma once

#include "platform/controls.h"

class QKeyEvent;
class QWidget;

namespace kestrix::platform::qt {

// The widget of any control, named after it and bound to it. A control that
// takes the focus reports it to the window's focus scope.
QWidget* CreateWidget(Control& control, const FocusScope& focus, QWidget* parent);

// Ctrl+Z, and Ctrl+Y or Ctrl+Shift+Z: a text field's own undo and redo, while it has typing to take back.
enum class HistoryKey { None, Undo, Redo };
HistoryKey HistoryKeyOf(const QKeyEvent& key);

} // namespace kestrix::platform::qt
