#pragma once

#include "platform/controls.h"

#include <QKeySequence>
#include <QList>

#include <vector>

class QMenuBar;
class QWidget;

namespace kestrix::platform::qt {

// Fills the bar with the window's menus and their entries, each kept in step
// with its entry; returns the key sequences of the entries' shortcuts.
QList<QKeySequence> BuildMenuBar(QMenuBar& bar, const std::vector<MenuEntry*>& menus);

// The menu's shortcuts act even in a widget that would take the same keys for
// itself (copy, select all in a text field).
void GiveMenuKeysPrecedence(QWidget& widget, const QList<QKeySequence>& keys);

} // namespace kestrix::platform::qt
