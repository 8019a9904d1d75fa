#pragma once

// Controls that offer entries or rows: drop-downs, tick lists, list boxes
// and column lists.

#include "platform/control.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

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
    // Each entry's number through renumber, the texts and the selected place as they are; in a
    // sorted list the entries of one text take their numbers in rising order again.
    void Renumber(const std::function<int(int)>& renumber);
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
    std::vector<std::string> entries_;
    std::vector<bool> ticks_;
    int current_ = -1;
};

// A list of entries with tick boxes, each of which may hold values of its own,
// shown under it while it is open. An entry with values is ticked through
// them: wholly, partly or not at all, and its tick sets or clears them all.
// What cannot be ticked shows no box and stays unticked. Click is its one
// event, as for a TickList; opening and closing an entry raise none.
class TickTree : public Control {
  public:
    struct Value {
        std::string text;
        bool tickable = true;
    };
    struct Entry {
        std::string text;
        bool tickable = true; // an entry with values is tickable through them
        std::vector<Value> values;
    };
    // An entry (value -1) or one of its values.
    struct Place {
        int entry = -1;
        int value = -1;
        friend bool operator==(const Place&, const Place&) = default;
    };
    enum class Tick { None, Partly, All };
    enum class Key { Space, Right, Left };

    using Control::Control;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }
    // Every entry unticked and closed; none current.
    void SetEntries(std::vector<Entry> entries);
    int Count() const { return static_cast<int>(entries_.size()); }
    const Entry& EntryAt(int entry) const { return entries_.at(static_cast<std::size_t>(entry)); }
    bool Tickable(Place place) const;
    Tick TickOf(Place place) const;
    bool Ticked(Place place) const { return TickOf(place) == Tick::All; }
    void SetTicked(Place place, bool ticked);
    bool IsOpen(int entry) const { return open_.at(static_cast<std::size_t>(entry)); }
    // Closing an entry whose value is current makes the entry current.
    void SetOpen(int entry, bool open);
    Place Current() const { return current_; }
    void SetCurrent(Place place);

    // A click: the place becomes current, and a click on its box flips its tick
    // (a partly ticked entry becomes wholly ticked).
    void UserClicks(Place place, bool onTheBox);
    void UserMovesTo(Place place);
    // The sign beside an entry.
    void UserOpens(int entry, bool open);
    // Space flips the current tick. Right opens the current entry, or goes to
    // its first value when it is open; Left goes from a value to its entry, or
    // closes the entry. False when the key does nothing here.
    bool UserPressesKey(Key key);
    Event Click;

  private:
    bool Holds(Place place) const;
    std::vector<Entry> entries_;
    std::vector<std::vector<bool>> ticks_; // per entry: its values', or its own alone
    std::vector<bool> open_;
    Place current_;
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
    // The first selected entry, -1 for none; selecting one from code (-1: none) raises no event.
    int ListIndex() const;
    void SetListIndex(int position);

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
    // The place among the rows as they came of the row at a place in the order shown.
    int SourceRow(int row) const { return order_.at(static_cast<std::size_t>(row)); }

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

} // namespace kestrix::platform
