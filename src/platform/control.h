#pragma once

// What every toolkit-free control shares. Each control holds its state and raises its events with the
// window system's rules, so windows can be driven and tested without a display.
// A view (the Qt layer, or nothing in tests) follows a control through its
// ControlView and reports the user's actions through the User* operations.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

using Event = std::function<void()>;

// The order of sorted lists, rows and entries: names compared without regard
// to case, ties broken by the exact bytes. Negative, zero or positive as a
// sorts before, with or after b.
int CompareSorted(std::string_view a, std::string_view b);
inline bool SortsBefore(std::string_view a, std::string_view b) {
    return CompareSorted(a, b) < 0;
}
// Negative, zero or positive as a sorts before, with or after b, without regard to case.
int CompareFolded(std::string_view a, std::string_view b);

// The direction of a sorted list or grid. A descending order turns every
// comparison round; rows that tie keep the order they came in, either way.
enum class SortOrder { Ascending, Descending };
inline int InOrder(int compared, SortOrder order) {
    return order == SortOrder::Descending ? -compared : compared;
}
// The order after a click on a column header: the same header again reverses
// the order, another header sorts by its column from A to Z.
SortOrder OrderAfterHeaderClick(int clicked, int sortColumn, SortOrder order);
// ASCII and the Latin-1 capitals as lower case; values are 8-bit text.
unsigned char FoldCase(unsigned char c);

// What a view must refresh after a change made from code.
enum class Aspect {
    Text,
    Caption,
    Enabled,
    Visible,
    CanFocus,
    Selection,
    Entries,
    Ticks,
    Value,
    Page,
    Rows,
    Focus,
    Looks,
    Typing, // the view hands over what the user typed and has not yet confirmed
};

class Control;
class Label;
class Button;
class TextField;
class CheckBox;
class OptionButton;
class DropDown;
class TickList;
class TickTree;
class ListBox;
class ColumnList;
class TabControl;
class Picture;
class MenuEntry;
class Grid;
class Chart;
class MarkdownView;

// One Visit per kind of control: whatever must handle every kind (the
// toolkit's widget factory) implements this, so a kind it forgets does not compile.
class ControlVisitor {
  public:
    virtual void Visit(Label& control) = 0;
    virtual void Visit(Button& control) = 0;
    virtual void Visit(TextField& control) = 0;
    virtual void Visit(CheckBox& control) = 0;
    virtual void Visit(OptionButton& control) = 0;
    virtual void Visit(DropDown& control) = 0;
    virtual void Visit(TickList& control) = 0;
    virtual void Visit(TickTree& control) = 0;
    virtual void Visit(ListBox& control) = 0;
    virtual void Visit(ColumnList& control) = 0;
    virtual void Visit(TabControl& control) = 0;
    virtual void Visit(Picture& control) = 0;
    virtual void Visit(MenuEntry& control) = 0;
    virtual void Visit(Grid& control) = 0;
    virtual void Visit(Chart& control) = 0;
    virtual void Visit(MarkdownView& control) = 0;

  protected:
    ~ControlVisitor() = default;
};

// The view side of a control. The link is cut from whichever side goes first:
// a control tells its view when it dies, and a view detaches when it does.
class ControlView {
  public:
    virtual void Refresh(Aspect aspect) = 0;
    virtual void ControlGone() = 0;

  protected:
    ~ControlView() = default;
};

class FocusScope;

class Control {
  public:
    explicit Control(std::string name = {}) : name_(std::move(name)) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();
    virtual void Accept(ControlVisitor& visitor) = 0;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // A control that cannot take the focus is skipped by the keyboard and by SetFocus.
    bool CanFocus() const { return canFocus_; }
    void SetCanFocus(bool canFocus);
    // The meaning of the control, shown as its tooltip.
    const std::string& Tip() const { return tip_; }
    void SetTip(std::string tip);
    // What assistive tools call a control that shows no caption of its own: the label beside it.
    const std::string& SpokenName() const { return spokenName_; }
    void SetSpokenName(std::string name) { spokenName_ = std::move(name); }

    // Focus, for the controls that take it: raises LostFocus on the control
    // that had it and GotFocus here.
    void JoinFocusScope(FocusScope& scope) { scope_ = &scope; }
    bool HasFocus() const;
    void SetFocus();
    Event GotFocus;
    Event LostFocus;

    void AttachView(ControlView* view) { view_ = view; }

  protected:
    void Notify(Aspect aspect) const {
        if (view_)
            view_->Refresh(aspect);
    }
    static void Raise(const Event& event) {
        if (event)
            event();
    }

  private:
    friend class FocusScope;
    std::string name_;
    std::string tip_;
    std::string spokenName_;
    bool enabled_ = true;
    bool visible_ = true;
    bool canFocus_ = true;
    FocusScope* scope_ = nullptr;
    ControlView* view_ = nullptr;
};

// The one control of a window that has the keyboard focus.
class FocusScope {
  public:
    Control* Focused() const { return focused_; }
    void MoveTo(Control* control);
    void Join(std::initializer_list<Control*> controls);
    // A control that dies while it has the focus leaves no dangling focus.
    void Forget(const Control* control);

  private:
    Control* focused_ = nullptr;
};

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

} // namespace kestrix::platform
