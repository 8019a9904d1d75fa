#include "platform/menus.h"

namespace kestrix::platform {

std::string_view ShortcutText(Shortcut shortcut) {
    switch (shortcut) {
    case Shortcut::None:
        return "";
    case Shortcut::CtrlA:
        return "Ctrl+A";
    case Shortcut::CtrlC:
        return "Ctrl+C";
    case Shortcut::CtrlF:
        return "Ctrl+F";
    case Shortcut::CtrlO:
        return "Ctrl+O";
    case Shortcut::CtrlP:
        return "Ctrl+P";
    case Shortcut::CtrlR:
        return "Ctrl+R";
    case Shortcut::CtrlS:
        return "Ctrl+S";
    case Shortcut::CtrlT:
        return "Ctrl+T";
    case Shortcut::CtrlY:
        return "Ctrl+Y";
    case Shortcut::CtrlZ:
        return "Ctrl+Z";
    case Shortcut::CtrlShiftZ:
        return "Ctrl+Shift+Z";
    case Shortcut::CtrlShiftV:
        return "Ctrl+Shift+V";
    case Shortcut::AltUp:
        return "Alt+Up";
    case Shortcut::AltDown:
        return "Alt+Down";
    case Shortcut::F2:
        return "F2";
    case Shortcut::F1:
        return "F1";
    case Shortcut::AltLeft:
        return "Alt+Left";
    }
    return "";
}

void MenuEntry::UserChooses() {
    if (Enabled() && !IsSeparator)
        Raise(Click);
}

} // namespace kestrix::platform
