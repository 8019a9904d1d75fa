#pragma once

// Toolkit-free controls. Each holds its state and raises its events with the
// window system's rules, so windows can be driven and tested without a display.
// A view (the Qt layer, or nothing in tests) follows a control through Changed
// and reports the user's actions through the User* operations.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

using Event = std::function<void()>;

// The order of sorted lists: names compared without regard to case, ties
// broken by the exact bytes, then by the number each entry carries.
bool SortsBefore(std::string_view a, int aData, std::string_view b, int bData);

// What a view must refresh after a change made from code.
enum class Aspect { Text, Caption, Enabled, Visible, Selection, Entries, Ticks, Value, Page, Rows, Focus };

class FocusScope;

class Control {
  public:
    explicit Control(std::string name = {}) : name_(std::move(name)) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // Focus, for the controls that take it: raises LostFocus on the control
    // that had it and GotFocus here.
    void JoinFocusScope(FocusScope& scope) { scope_ = &scope; }
    bool HasFocus() const;
    void SetFocus();
    Event GotFocus;
    Event LostFocus;

    std::function<void(Aspect)> Changed;

  protected:
    void Notify(Aspect aspect) const {
        if (Changed)
            Changed(aspect);
    }
    static void Raise(const Event& event) {
        if (event)
            event();
    }

  private:
    friend class FocusScope;
    std::string name_;
    bool enabled_ = true;
    bool visible_ = true;
    FocusScope* scope_ = nullptr;
};

// The one control of a window that has the keyboard focus.
class FocusScope {
  public:
    Control* Focused() const { return focused_; }
    void MoveTo(Control* control);

  private:
    Control* focused_ = nullptr;
};

class Label : public Control {
  public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);

  private:
    std::string caption_;
};

class Button : public Label {
  public:
    using Label::Label;
    Event Click;
    void UserClicks();
};

class TextField : public Control {
  public:
    using Control::Control;
    const std::string& Text() const { return text_; }
    // Raises Change when the text differs, whether code or the user set it.
    void SetText(std::string text);
    void UserTypes(std::string text);
    void Select(std::size_t start, std::size_t length);
    std::size_t SelStart() const { return selStart_; }
    std::size_t SelLength() const { return selLength_; }
    Event Change;

  private:
    std::string text_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
};

class CheckBox : public Label {
  public:
    using Label::Label;
    int Value() const { return value_; }
    // Raises Click when the state changes.
    void SetValue(int value);
    void UserClicks();
    Event Click;

  private:
    int value_ = 0;
};

// A choice among entries, each carrying one whole number.
class DropDown : public Control {
  public:
    struct Entry {
        std::string text;
        int data = 0;
    };
    explicit DropDown(std::string name = {}, bool sorted = false)
        : Control(std::move(name)), sorted_(sorted) {}

    int ListCount() const { return static_cast<int>(entries_.size()); }
    const std::string& List(int position) const {
        return entries_.at(static_cast<std::size_t>(position)).text;
    }
    int ItemData(int position) const { return entries_.at(static_cast<std::size_t>(position)).data; }
    const std::vector<Entry>& Entries() const { return entries_; }
    int ListIndex() const { return listIndex_; }

    void Clear();
    // Inserts at the sorted place in a sorted list; returns the position.
    int AddItem(std::string text, int data = 0);
    // Replaces every entry at once (one sort, for long lists); nothing is selected.
    void SetEntries(std::vector<Entry> entries);
    // Selecting an entry, from code or by the user, raises Click; -1 selects nothing.
    void SetListIndex(int position);

    // The user opens the list (raises DropDown first) and picks an entry.
    void UserPicks(int position);
    // The user changes the entry without opening the list (arrow keys).
    void UserSteps(int position);

    Event Click;
    Event DropDownOpening;
    // Raised before any selection the user makes, while the old entry is still selected.
    Event UserSelecting;

  private:
    static bool EntrySortsBefore(const Entry& a, const Entry& b);
    bool sorted_;
    std::vector<Entry> entries_;
    int listIndex_ = -1;
};

// A list whose entries each have a tick box. Click is its one event: for a
// click, a change of a tick and a move of the current entry.
class TickList : public Control {
  public:
    using Control::Control;
    void SetEntries(std::vector<std::string> entries);
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    bool Ticked(int index) const { return ticks_.at(static_cast<std::size_t>(index)); }
    void SetTicked(int index, bool ticked);
    int Current() const { return current_; }
    void SetCurrent(int index);

    void UserToggles(int index);
    void UserMovesTo(int index);
    Event Click;

  private:
    std::vector<std::string> entries_;
    std::vector<bool> ticks_;
    int current_ = -1;
};

// A list in report view: rows of text cells under column headers.
class ColumnList : public Control {
  public:
    explicit ColumnList(std::string name, std::vector<std::string> headers)
        : Control(std::move(name)), headers_(std::move(headers)) {}
    const std::vector<std::string>& Headers() const { return headers_; }
    int ColumnCount() const { return static_cast<int>(headers_.size()); }
    int RowCount() const { return ColumnCount() ? static_cast<int>(cells_.size()) / ColumnCount() : 0; }
    const std::string& Cell(int row, int column) const {
        return cells_.at(static_cast<std::size_t>(row * ColumnCount() + column));
    }
    // Replaces every row at once; cells are given row after row.
    void SetRows(std::vector<std::string> cells);
    int SelectedRow() const { return selectedRow_; }
    void SetSelectedRow(int row);

    void UserDoubleClicks(int row);
    Event DblClick;

  private:
    std::vector<std::string> headers_;
    std::vector<std::string> cells_;
    int selectedRow_ = -1;
};

class TabControl : public Control {
  public:
    explicit TabControl(std::string name, std::vector<std::string> captions)
        : Control(std::move(name)), captions_(std::move(captions)) {}
    const std::vector<std::string>& Captions() const { return captions_; }
    int Tab() const { return tab_; }
    // Raises Click when another page comes to the front, by code or by the user.
    void SetTab(int page);
    void UserChoosesPage(int page);
    Event Click;

  private:
    std::vector<std::string> captions_;
    int tab_ = 0;
};

enum class Shortcut { None, CtrlA, CtrlC, CtrlO, CtrlP, CtrlR, CtrlS };
std::string_view ShortcutText(Shortcut shortcut);

// A menu entry, a submenu (with entries) or a separator.
class MenuEntry : public Label {
  public:
    using Label::Label;
    Shortcut Key = Shortcut::None;
    bool IsSeparator = false;
    std::vector<MenuEntry*> Entries;
    // A disabled entry does nothing.
    void UserChooses();
    Event Click;
};

} // namespace kestrix::platform
