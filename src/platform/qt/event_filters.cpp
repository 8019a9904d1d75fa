#include "platform/qt/event_filters.h"

#include "platform/qt/text.h"

#include <QApplication>
#include <QClipboard>

namespace kestrix::platform::qt {

// The arrow keys move the choice within an option group, which is one Tab stop.
bool OptionKey(const Binding& binding, const QKeyEvent& key) {
    const int pressed = key.key();
    if (pressed != Qt::Key_Up && pressed != Qt::Key_Down && pressed != Qt::Key_Left &&
        pressed != Qt::Key_Right)
        return false;
    const int step = pressed == Qt::Key_Up || pressed == Qt::Key_Left ? -1 : 1;
    binding.Act<OptionButton>([step](OptionButton& option) { option.UserSteps(step); });
    return true;
}

// Enter, Escape, Up and Down in a line field go to the field first, and to the window
// only when the field has no use for them.
bool FieldKey(const Binding& binding, const QKeyEvent& key) {
    if (key.modifiers() & ~Qt::KeypadModifier)
        return false;
    bool handled = false;
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        binding.Act<TextField>([&handled](TextField& field) { handled = field.UserPressesEnter(); });
    else if (key.key() == Qt::Key_Escape)
        binding.Act<TextField>([&handled](TextField& field) { handled = field.UserPressesEscape(); });
    else if (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down)
        binding.Act<TextField>([&handled, &key](TextField& field) {
            handled = field.UserPressesArrow(key.key() == Qt::Key_Up ? -1 : 1);
        });
    return handled;
}

// Enter on a row goes to the list first, and to the window only when the list
// has no use for it; the menu key acts as a click on the selected row; Ctrl+C
// copies the list tab-separated, as spreadsheets take it.
bool ColumnListKey(const Binding& binding, const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    bool handled = false;
    if (key.matches(QKeySequence::Copy)) {
        binding.Act<ColumnList>(
            [](ColumnList& list) { QApplication::clipboard()->setText(Latin1(list.CopyText())); });
        return true;
    }
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && modifiers == Qt::NoModifier)
        binding.Act<ColumnList>([&handled](ColumnList& list) { handled = list.UserPressesEnter(); });
    else if (key.key() == Qt::Key_Menu || (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier))
        binding.Act<ColumnList>([&handled](ColumnList& list) {
            handled = list.SelectedRow() >= 0;
            list.UserClicks(list.SelectedRow());
        });
    return handled;
}

HistoryKey HistoryKeyOf(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_Z && modifiers == Qt::ControlModifier)
        return HistoryKey::Undo;
    if ((key.key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) ||
        (key.key() == Qt::Key_Y && modifiers == Qt::ControlModifier))
        return HistoryKey::Redo;
    return HistoryKey::None;
}

} // namespace kestrix::platform::qt
