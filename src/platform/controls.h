#pragma once

// Toolkit-free controls. Each holds its state and raises its events with the
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
class ListBox;
class ColumnList;
class TabControl;
class Picture;
class MenuEntry;
class Grid;
class Chart;

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
    virtual void Visit(ListBox& control) = 0;
    virtual void Visit(ColumnList& control) = 0;
    virtual void Visit(TabControl& control) = 0;
    virtual void Visit(Picture& control) = 0;
    virtual void Visit(MenuEntry& control) = 0;
    virtual void Visit(Grid& control) = 0;
    virtual void Visit(Chart& control) = 0;

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

class Label : public Control {
  public:
    using Control::Control;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    // No colour of its own: the desktop's.
    const std::optional<Color>& ForeColor() const { return foreColor_; }
    void SetForeColor(std::optional<Color> color);
    bool Underline() const { return underline_; }
    void SetUnderline(bool underline);
    bool Bold() const { return bold_; }
    void SetBold(bool bold);

    void UserMovesMouse();
    void UserClicks();
    Event MouseMove;
    Event Click;

  private:
    std::string caption_;
    std::optional<Color> foreColor_;
    bool underline_ = false;
    bool bold_ = false;
};

// Assistive tools hear the control by the label beside it: its caption without the access key and
// the colon ("Car Label :" is heard as "Car Label").
void NameAfter(Control& control, const Label& label);

class Button : public Label {
  public:
    using Label::Label;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
};

class TextField : public Control {
  public:
    enum class Lines { Single, Multi };
    explicit TextField(std::string name = {}, Lines lines = Lines::Single)
        : Control(std::move(name)), lines_(lines) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool MultiLine() const { return lines_ == Lines::Multi; }

    const std::string& Text() const { return text_; }
    // Raises Change when the text differs, whether code or the user set it.
    void SetText(std::string text);
    // Why an edit of the user was not taken.
    enum class Refusal {
        Separator,  // a character of RefusedCharacters
        Unwritable, // a character the 8-bit file cannot hold
    };
    // The user's edit, typed or pasted. One with a character the field
    // refuses is refused whole: the text stays as it was, and Refused is raised.
    void UserTypes(std::string text);
    // An edit the view refused before it reached the field (characters that
    // have no 8-bit form): only Refused is raised.
    void UserRefused(Refusal refusal);
    std::function<void(Refusal)> Refused;
    void Select(std::size_t start, std::size_t length);
    std::size_t SelStart() const { return selStart_; }
    std::size_t SelLength() const { return selLength_; }
    // Characters that never enter the field, whoever types or pastes them. A
    // text that begins with lead refuses only leadRefused instead: a formula,
    // whose blanks never reach the file.
    void SetRefusedCharacters(std::string characters, char lead = '\0', std::string leadRefused = {}) {
        refused_ = std::move(characters);
        lead_ = lead;
        leadRefused_ = std::move(leadRefused);
    }
    // Whether the field refuses this text as its new text.
    bool Refuses(std::string_view text) const {
        const bool led = lead_ != '\0' && text.starts_with(lead_);
        return text.find_first_of(led ? leadRefused_ : refused_) != std::string_view::npos;
    }
    // Enter commits the field and Escape reverts it, where the window says what
    // that means; false leaves the key to the window (its default and cancel buttons).
    bool UserPressesEnter();
    bool UserPressesEscape();
    Event Change;
    Event Commit;
    Event Revert;

  private:
    Lines lines_;
    std::string text_;
    std::string refused_;
    char lead_ = '\0';
    std::string leadRefused_;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
};

class CheckBox : public Label {
  public:
    using Label::Label;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    int Value() const { return value_; }
    // Raises Click when the state changes.
    void SetValue(int value);
    void UserClicks();

  private:
    int value_ = 0;
};

// One of a group of options: choosing it clears the others.
class OptionButton : public Label {
  public:
    using Label::Label;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    bool Value() const { return value_; }
    // Choosing raises Click, from code or by the user; clearing raises nothing.
    void SetValue(bool value);
    void UserClicks();
    // The options of one group, each told of the others.
    static void Group(std::initializer_list<OptionButton*> options);
    // A group is one stop of the Tab key: its chosen option, or its first
    // enabled one while none is chosen.
    bool TabStop() const;
    // The arrow keys choose the next or previous enabled option of the group and move the focus to it.
    void UserSteps(int step);

  private:
    std::vector<OptionButton*> group_;
    int groupOrder_ = 0;
    bool value_ = false;
};

enum class Sorting { Unsorted, Sorted };

// A choice among entries, each carrying one whole number.
class DropDown : public Control {
  public:
    struct Entry {
        std::string text;
        int data = 0;
    };
    explicit DropDown(std::string name = {}, Sorting sorting = Sorting::Unsorted)
        : Control(std::move(name)), sorted_(sorting == Sorting::Sorted) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }

    int ListCount() const { return static_cast<int>(entries_.size()); }
    const std::string& List(int position) const {
        return entries_.at(static_cast<std::size_t>(position)).text;
    }
    int ItemData(int position) const { return entries_.at(static_cast<std::size_t>(position)).data; }
    const std::vector<Entry>& Entries() const { return entries_; }
    int ListIndex() const { return listIndex_; }

    void Clear();
    // Inserts at the sorted place in a sorted list and returns the position;
    // the selected entry stays selected.
    int AddItem(std::string text, int data = 0);
    // Replaces every entry at once (one sort, for long lists); nothing is selected.
    void SetEntries(std::vector<Entry> entries);
    // Selecting an entry, from code or by the user, raises Click; -1 selects nothing.
    void SetListIndex(int position);
    // Selects the first entry with exactly this text; false when there is none.
    bool SelectText(std::string_view text);

    // The user opens the list (raises DropDownOpening first) and picks an entry.
    void UserPicks(int position);
    // The user changes the entry without opening the list (arrow keys).
    void UserSteps(int position);

    Event Click;
    Event DropDownOpening;
    // Raised before any selection the user makes, while the old entry is still selected.
    Event UserSelecting;

  private:
    static std::vector<Entry> SortedEntries(std::vector<Entry> entries);
    bool sorted_;
    std::vector<Entry> entries_;
    int listIndex_ = -1;
};

// A list whose entries each have a tick box. Click is its one event: for a
// click, a change of a tick and a move of the current entry.
class TickList : public Control {
  public:
    using Control::Control;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    void SetEntries(std::vector<std::string> entries);
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    bool Ticked(int index) const { return ticks_.at(static_cast<std::size_t>(index)); }
    void SetTicked(int index, bool ticked);
    int Current() const { return current_; }
    void SetCurrent(int index);

    // A click on an entry: it becomes current, and a click on its box also flips the tick.
    void UserClicks(int index, bool onTheBox);
    void UserMovesTo(int index);
    Event Click;

  private:
    void Quietly(const std::function<void()>& change);
    std::vector<std::string> entries_;
    std::vector<bool> ticks_;
    int current_ = -1;
};

// A plain list of texts; with Multiple, several entries can be selected.
class ListBox : public Control {
  public:
    enum class Selection { Single, Multiple };
    explicit ListBox(std::string name = {}, Sorting sorting = Sorting::Unsorted,
                     Selection selection = Selection::Single)
        : Control(std::move(name)), sorted_(sorting == Sorting::Sorted),
          multiple_(selection == Selection::Multiple) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }

    int ListCount() const { return static_cast<int>(entries_.size()); }
    const std::string& List(int position) const {
        return entries_.at(static_cast<std::size_t>(position)).text;
    }
    bool Selected(int position) const { return entries_.at(static_cast<std::size_t>(position)).selected; }
    bool MultiSelect() const { return multiple_; }

    // Inserts at the sorted place in a sorted list, not selected; returns the position.
    int AddItem(std::string text);
    // Adds many entries at once, each at its place.
    void AddItems(std::vector<std::string> texts);
    void Clear();
    // Removes the selected entries and returns their texts, in list order.
    std::vector<std::string> TakeSelected();

    // A click chooses one entry; with Toggle (Ctrl) it flips one; with Range
    // (Shift) it selects from the last clicked entry to this one.
    enum class Pick { Only, Toggle, Range };
    void UserClicks(int position, Pick pick = Pick::Only);
    void UserDoubleClicks(int position);
    // Ctrl+A in a multi-select list.
    void UserSelectsAll();
    Event Click;
    Event DblClick;

  private:
    struct Entry {
        std::string text;
        bool selected = false;
    };
    bool sorted_;
    bool multiple_;
    std::vector<Entry> entries_;
    int anchor_ = -1;
};

// A list in report view: rows of text cells under column headers. Sorted,
// the rows are shown ordered by the sort column's text (without regard to
// case, then exactly, then in the order they came); rows are read in the order shown.
class ColumnList : public Control {
  public:
    using Order = platform::SortOrder;
    struct Header {
        int column = 0;
        std::string text;
    };
    explicit ColumnList(std::string name, std::vector<std::string> headers)
        : Control(std::move(name)), headers_(std::move(headers)) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }

    const std::vector<std::string>& Headers() const { return headers_; }
    int ColumnCount() const { return static_cast<int>(headers_.size()); }
    int RowCount() const { return static_cast<int>(order_.size()); }
    // The cell of the row at a place in the order shown.
    const std::string& Cell(int row, int column) const;

    // The headers and the rows as shown, as tab-separated lines.
    std::string CopyText() const;
    // Replaces every row at once; cells are given row after row.
    void SetRows(std::vector<std::string> cells);
    // Replaces `removed` rows from `first` on, counted in the order the rows
    // came, by the given ones, as a refill with all rows would: a sorted list
    // shows them at their sorted places and the others keep theirs, and the
    // selection is cleared. Only the new rows are sorted.
    void ReplaceRows(int first, int removed, std::vector<std::string> cells);
    void Clear() { SetRows({}); }

    bool Sorted() const { return sorted_; }
    int SortKey() const { return sortKey_; }
    Order SortOrder() const { return sortOrder_; }
    void SetSort(bool sorted, int sortKey, Order order);
    // Sorts by the column a header click names, by OrderAfterHeaderClick.
    void SortByHeader(int column);

    int SelectedRow() const { return selectedRow_; }
    void SetSelectedRow(int row);

    void UserClicksHeader(int column);
    void UserClicks(int row);
    void UserDoubleClicks(int row);
    // Enter on the list acts as a double click on the selected row, where the
    // list answers double clicks; false leaves the key to the window.
    bool UserPressesEnter();
    std::function<void(const Header&)> ColumnClick;
    Event ItemClick;
    Event DblClick;

  private:
    void Reorder();
    bool ShowsBefore(int a, int b) const;
    std::vector<std::string> headers_;
    std::vector<std::string> cells_; // in the order the rows came
    std::vector<int> order_;         // the rows as shown
    bool sorted_ = false;
    int sortKey_ = 0;
    Order sortOrder_ = Order::Ascending;
    int selectedRow_ = -1;
};

class TabControl : public Control {
  public:
    explicit TabControl(std::string name, std::vector<std::string> captions)
        : Control(std::move(name)), captions_(std::move(captions)) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    const std::vector<std::string>& Captions() const { return captions_; }
    int Tab() const { return tab_; }
    // Raises Click when another page comes to the front, by code or by the user.
    void SetTab(int page);
    void UserChoosesPage(int page);
    // Ctrl+Tab and Ctrl+Shift+Tab: the next or previous page, round the end.
    void UserStepsPage(int step);
    Event Click;

  private:
    std::vector<std::string> captions_;
    int tab_ = 0;
};

// A picture: one of the program's own drawings, named.
class Picture : public Control {
  public:
    explicit Picture(std::string name, std::string drawing)
        : Control(std::move(name)), drawing_(std::move(drawing)) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    const std::string& Drawing() const { return drawing_; }
    void UserMovesMouse();
    Event MouseMove;

  private:
    std::string drawing_;
};

enum class Shortcut {
    None,
    CtrlA,
    CtrlC,
    CtrlO,
    CtrlP,
    CtrlR,
    CtrlS,
    CtrlT,
    CtrlY,
    CtrlZ,
    CtrlShiftZ,
    CtrlShiftV,
    F2
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
