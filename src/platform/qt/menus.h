#pragma once

#include "platform/controls.h"

#include <QKeySequence>
#include <QList>

#include <functional>
#include <vector>

class QMenu;
class QMenuBar;
class QWidget;

namespace kestrix::platform::qt {

// A menu and its entries, each kept in step with its entry; the shortcuts it
// holds are added to keys when given.
QMenu* CreateMenu(MenuEntry& entry, QWidget* parent, QList<QKeySequence>* keys = nullptr);

// Fills the bar with the window's menus; returns the key sequences of the entries' shortcuts.
QList<QKeySequence> BuildMenuBar(QMenuBar& bar, const std::vector<MenuEntry*>& menus);

// The menu's shortcuts act even in a widget that would take the same keys for
// itself (copy, select all in a text field), but for the keys the widget is
// given back at the moment they are pressed.
using KeysGivenBack = std::function<bool(const QKeySequence&)>;
void GiveMenuKeysPrecedence(QWidget& widget, const QList<QKeySequence>& keys, KeysGivenBack givenBack = {});

} // namespace kestrix::platform::qt
