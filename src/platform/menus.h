#pragma once

// Menu entries and their Ctrl shortcuts.

#include "platform/captions.h"

#include <string_view>
#include <vector>

namespace kestrix::platform {

enum class Shortcut {
    None,
    CtrlA,
    CtrlC,
    CtrlF,
    CtrlO,
    CtrlP,
    CtrlR,
    CtrlS,
    CtrlT,
    CtrlY,
    CtrlZ,
    CtrlShiftZ,
    CtrlShiftV,
    F2,
    F1,
    AltLeft,
    AltUp,
    AltDown
};
std::string_view ShortcutText(Shortcut shortcut);

// A menu entry, a submenu (with entries) or a separator.
class MenuEntry : public Label {
  public:
    using Label::Label;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    Shortcut Key = Shortcut::None;
    Shortcut OtherKey = Shortcut::None; // a second key for the same entry
    bool IsSeparator = false;
    std::vector<MenuEntry*> Entries;
    // A disabled entry does nothing.
    void UserChooses();
};

} // namespace kestrix::platform
