#pragma once

// Event filters and key handlers that give a widget's input to its control
// first: focus, mouse, wheel, keys, and the list box's own selection.

#include "platform/controls.h"
#include "platform/qt/binding.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QObject>

#include <algorithm>
#include <functional>

namespace kestrix::platform::qt {

// Ctrl+Z, and Ctrl+Y or Ctrl+Shift+Z: a text field's own undo and redo, while it has typing to take back.
enum class HistoryKey { None, Undo, Redo };
HistoryKey HistoryKeyOf(const QKeyEvent& key);

// Tells the control's window when the widget takes the keyboard focus.
class FocusReporter : public QObject {
  public:
    FocusReporter(const Binding& binding, const FocusScope& focus, QObject* parent)
        : QObject(parent), binding_(binding), focus_(focus) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && IsMove(static_cast<QFocusEvent*>(event)->reason()))
            binding_.Act<Control>([](Control& control) { control.SetFocus(); });
        return false;
    }

  private:
    // The focus coming back with the window or after a popup closes has not
    // moved, unless nothing of the window had it yet.
    bool IsMove(Qt::FocusReason reason) const {
        const bool returns = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        return !returns || !focus_.Focused();
    }

    const Binding& binding_;
    const FocusScope& focus_;
};

// Mouse moves and clicks of widgets that have no signal for them.
class MouseReporter : public QObject {
  public:
    MouseReporter(std::function<void()> moved, std::function<void()> clicked, QWidget& widget)
        : QObject(&widget), moved_(std::move(moved)), clicked_(std::move(clicked)) {
        widget.setMouseTracking(true);
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove && moved_)
            moved_();
        else if (event->type() == QEvent::MouseButtonRelease && clicked_ &&
                 static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            clicked_();
        return false;
    }

  private:
    std::function<void()> moved_;
    std::function<void()> clicked_;
};

// The wheel over a list that does not have the focus scrolls the window, never the value.
class WheelOnlyWithFocus : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus())
            return false;
        event->ignore();
        return true;
    }
};

// Key presses a widget's control takes before the widget; the handler says
// whether it took the key.
class KeysFirst : public QObject {
  public:
    using Handler = std::function<bool(const QKeyEvent&)>;
    KeysFirst(QWidget& widget, Handler handle) : QObject(&widget), handle_(std::move(handle)) {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::KeyPress && handle_(*static_cast<QKeyEvent*>(event));
    }

  private:
    Handler handle_;
};

// Undo and redo in a text field take back its own typing while it has some; then the keys go on to
// the window, which undoes and redoes the document.
class TypingUndoneFirst : public QObject {
  public:
    // Whether the field can undo and redo, asked when the key comes.
    using History = std::function<bool(HistoryKey)>;
    TypingUndoneFirst(QWidget& widget, History history) : QObject(&widget), history_(std::move(history)) {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        const HistoryKey key = HistoryKeyOf(*static_cast<QKeyEvent*>(event));
        if (key == HistoryKey::None || history_(key))
            return false;
        event->ignore();
        return true;
    }

  private:
    History history_;
};

// The arrow keys move the choice within an option group, which is one Tab stop.
bool OptionKey(const Binding& binding, const QKeyEvent& key);
// Enter, Escape, Up and Down in a line field go to the field first, and to the window
// only when the field has no use for them.
bool FieldKey(const Binding& binding, const QKeyEvent& key);
// Enter on a row goes to the list first, and to the window only when the list
// has no use for it; the menu key acts as a click on the selected row; Ctrl+C
// copies the list tab-separated, as spreadsheets take it.
bool ColumnListKey(const Binding& binding, const QKeyEvent& key);

// The list box's selection is the control's: a click, with Ctrl or Shift, goes
// to the control, and the view only shows what the control holds.
class ListBoxInput : public QObject {
  public:
    ListBoxInput(QListView& view, const Binding& binding)
        : QObject(&view), view_(view), viewport_(view.viewport()), binding_(binding) {
        viewport_->installEventFilter(this);
        view.installEventFilter(this);
    }
    // The viewport is compared by the pointer kept: while the list is being
    // destroyed it still sends events, and the view can no longer be asked.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == viewport_ &&
            (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int row = view_.indexAt(mouse->position().toPoint()).row();
            if (row < 0 || mouse->button() != Qt::LeftButton)
                return true;
            view_.setFocus(Qt::MouseFocusReason);
            binding_.Act<ListBox>([&](ListBox& list) {
                if (event->type() == QEvent::MouseButtonDblClick)
                    list.UserDoubleClicks(row);
                else
                    list.UserClicks(row, PickOf(mouse->modifiers()));
            });
            view_.setCurrentIndex(view_.model()->index(row, 0));
            return true;
        }
        if (watched == &view_ && event->type() == QEvent::KeyPress)
            return Key(*static_cast<QKeyEvent*>(event));
        return false;
    }

  private:
    static ListBox::Pick PickOf(Qt::KeyboardModifiers modifiers) {
        if (modifiers & Qt::ShiftModifier)
            return ListBox::Pick::Range;
        return modifiers & Qt::ControlModifier ? ListBox::Pick::Toggle : ListBox::Pick::Only;
    }
    bool Key(const QKeyEvent& key) {
        const ListBox* list = binding_.Get<ListBox>();
        if (!list || list->ListCount() == 0)
            return false;
        if (key.matches(QKeySequence::SelectAll)) {
            binding_.Act<ListBox>([](ListBox& l) { l.UserSelectsAll(); });
            return true;
        }
        const int current = std::max(view_.currentIndex().row(), 0);
        int row = current;
        switch (key.key()) {
        case Qt::Key_Up:
            row = std::max(current - 1, 0);
            break;
        case Qt::Key_Down:
            row = std::min(current + 1, list->ListCount() - 1);
            break;
        case Qt::Key_Home:
            row = 0;
            break;
        case Qt::Key_End:
            row = list->ListCount() - 1;
            break;
        case Qt::Key_Space:
            binding_.Act<ListBox>([&](ListBox& l) {
                l.UserClicks(current, key.modifiers() & Qt::ControlModifier ? ListBox::Pick::Toggle
                                                                            : ListBox::Pick::Only);
            });
            return true;
        default:
            return false;
        }
        if (key.modifiers() & Qt::ControlModifier) {
            view_.setCurrentIndex(view_.model()->index(row, 0)); // move without choosing
            return true;
        }
        binding_.Act<ListBox>([&](ListBox& l) { l.UserClicks(row, PickOf(key.modifiers())); });
        view_.setCurrentIndex(view_.model()->index(row, 0));
        return true;
    }

    QListView& view_;
    QWidget* viewport_;
    const Binding& binding_;
};

} // namespace kestrix::platform::qt
