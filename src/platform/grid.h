#pragma once

// A grid of many rows of cells that it does not hold: it reads them from a
// source, and keeps only the order and filter of the rows it shows.

#include "platform/controls.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

// Where a grid reads its cells, by the source's own row numbers.
class GridSource {
  public:
    virtual int RowCount() const = 0;
    virtual std::string_view Text(int row, int column) const = 0;
    // What is wrong with a cell; empty when nothing is.
    virtual std::string_view Error(int row, int column) const = 0;
    virtual bool RowHasError(int row) const = 0;
    // Whether the value differs from the file as last saved.
    virtual bool Changed(int row, int column) const = 0;

  protected:
    ~GridSource() = default;
};

struct GridColumn {
    enum class Sort { Text, Number };
    enum class Editing { ReadOnly, Text, Choice, Tick, Ticks };
    std::string header;
    std::string tip;
    Sort sort = Sort::Text;
    Editing editing = Editing::Text;
    // Choice: the entries offered; Ticks: the name of each tick.
    std::vector<std::string> entries;
    // Choice and Tick (unticked, ticked): the value each entry stores.
    std::vector<std::string> stored;
    // Choice and Tick: the entry a value shows, -1 for none.
    std::function<int(std::string_view)> entryOf;
    // Ticks: the ticks a value shows, and the value a cell holding a value takes when its ticks are set.
    std::function<std::vector<bool>(std::string_view)> ticksOf;
    std::function<std::string(std::string_view, const std::vector<bool>&)> ticksStored;
};

// A cell by the row the grid shows it in.
struct GridCell {
    int row = -1;
    int column = -1;
    friend bool operator==(const GridCell&, const GridCell&) = default;
};
// Cells from top left to bottom right, both included, by shown rows.
struct GridRange {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
};
// A new value for a cell, by the source's row.
struct GridEdit {
    int row = 0;
    int column = 0;
    std::string value;
    friend bool operator==(const GridEdit&, const GridEdit&) = default;
};

// What the grid reads as a number, to sort a number column and to compare in
// a filter: the program's own rule, handed over by the window.
using NumberReader = std::optional<double> (*)(std::string_view text);
// The column a filter's condition names, or -1 with the reason: the program's
// own naming rule, handed over by the window as well.
using ColumnReader = std::function<int(std::string_view name, std::string& problem)>;

// Sorted, the rows are shown by the sort column: a number column by value with
// the cells that are no number last, a text column without regard to case;
// rows that tie keep the source's order. A filter is terms joined by "and":
// a name part keeps the rows whose name (column 0) contains it, without regard
// to case; a condition compares a column, named as the column reader reads
// names, with a value: "Drive = R", "#13 > 200". A filter that cannot be read
// says why and keeps every row. Only the rows that have an error may be kept
// too. The order and filter are applied when they change and when the
// source's rows do; edited values leave the rows where they are.
class Grid : public Control {
  public:
    using Order = platform::SortOrder;
    enum class Refusal { OutsideGrid, ReadOnlyColumn, BlankValue, Unwritable };
    static constexpr std::string_view kRefusedCharacters = " \t\r\n";

    Grid(std::string name, NumberReader numberOf, ColumnReader columnOf)
        : Control(std::move(name)), numberOf_(numberOf), columnOf_(std::move(columnOf)) {}
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }

    void SetColumns(std::vector<GridColumn> columns);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const GridColumn& Column(int column) const { return columns_.at(static_cast<std::size_t>(column)); }
    // The columns that stay in place while the others scroll.
    int FrozenColumns() const { return 1; }

    // Reads the rows anew: filters and sorts them, and clears the selection.
    void SetSource(const GridSource* source);
    void Reload();
    // The source's values changed, not its rows: shown again, the rows where they are.
    void ValuesChanged();

    int RowCount() const { return static_cast<int>(order_.size()); }
    int SourceRowCount() const { return source_ ? source_->RowCount() : 0; }
    int SourceRow(int row) const { return order_.at(static_cast<std::size_t>(row)); }
    // The row a source row is shown in; -1 when the filter hides it.
    int ShownRow(int sourceRow) const;
    std::string_view Text(int row, int column) const { return source_->Text(SourceRow(row), column); }
    std::string_view Error(int row, int column) const { return source_->Error(SourceRow(row), column); }
    bool Changed(int row, int column) const { return source_->Changed(SourceRow(row), column); }

    // -1: the source's order.
    int SortColumn() const { return sortColumn_; }
    Order SortOrder() const { return sortOrder_; }
    void SetSort(int column, Order order);
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string text);
    // Why the filter cannot be read; empty when it can.
    const std::string& FilterProblem() const { return filterProblem_; }
    bool OnlyErrors() const { return onlyErrors_; }
    void SetOnlyErrors(bool only);

    const std::vector<GridRange>& Selection() const { return selection_; }
    GridCell Current() const { return current_; }
    // The cell a selection grows from; it stays selected while Shift and the moves below carry the
    // current cell, and the selection is the rectangle between the two.
    GridCell Anchor() const { return anchor_; }
    // A selection of one rectangle grows from the corner opposite the current cell, any other from
    // the current cell, as a drag or a Shift+click leaves it.
    void Select(std::vector<GridRange> ranges, GridCell current);
    // The selected cells, row by row in the order shown.
    std::vector<GridCell> SelectedCells() const;
    // The shown rows that have a selected cell.
    std::vector<int> SelectedRows() const;
    // Tab-separated lines of the selected cells; whole rows come with the headers as a first line.
    std::string CopyText() const;

    // A header click sorts by that column; a second click reverses the order, a third shows the
    // source's order again.
    void UserClicksHeader(int column);
    void UserSelects(std::vector<GridRange> ranges, GridCell current) { Select(std::move(ranges), current); }
    // Where Shift with a move carries the current cell, the anchor staying: one cell, a page of rows
    // (as many as the view shows), the first or last shown row or column, the first or last cell.
    enum class Reach {
        Up,
        Down,
        Left,
        Right,
        PageUp,
        PageDown,
        FirstRow,
        LastRow,
        FirstColumn,
        LastColumn,
        Start,
        End
    };
    void UserExtends(Reach reach, int pageRows = 1);
    // Without Shift (Ctrl and a move): the cell reached alone, the anchor of what follows.
    void UserMoves(Reach reach, int pageRows = 1);
    // Shift+click: the rectangle from the anchor to that cell.
    void UserExtendsTo(GridCell cell);
    // The current column's shown cells (Ctrl+Space), the current row (Shift+Space), every shown cell
    // (Ctrl+A); the current cell stays and is the anchor again.
    void UserSelectsColumn();
    void UserSelectsRow();
    void UserSelectsAll();
    // A typed value: blanks and line ends are left out, and an empty value changes nothing.
    void UserEdits(int row, int column, std::string text);
    void UserPicks(int row, int column, int entry);
    void UserSetsTicks(int row, int column, const std::vector<bool>& ticks);
    // A tab-separated block from the top left cell of the selected rectangle that holds the current
    // cell (the current cell itself when none does), whole or not at all. A first
    // line of headers places each value in its header's column, from the
    // current row on. A name that equals the target row's name is no change.
    void UserPastes(std::string_view text);
    // A cell being typed in keeps its value now, as if the user pressed Enter.
    void KeepTyping() const { Notify(Aspect::Typing); }
    // F8: the next cell with an error after the current one, by shown rows, round the end.
    void UserGoesToNextError();
    // A paste the view refused before it reached the grid (characters that have no 8-bit form).
    void UserPasteRefused(Refusal refusal);
    void UserDoubleClicksRowHeader(int row);

    std::function<void(const std::vector<GridEdit>&)> CellsEdited;
    // A paste's values, where the window meets them with the stored ones itself; unset, CellsEdited.
    std::function<void(const std::vector<GridEdit>&)> CellsPasted;
    std::function<void(Refusal)> PasteRefused;
    // Offered every paste first; true: the window took the text itself, and the grid pastes nothing.
    std::function<bool(std::string_view)> PasteTaken;
    // With the source's row.
    std::function<void(int)> RowHeaderDblClick;
    // Any change of the selection, from code or by the user.
    Event SelectionChange;

    // A condition of the filter: a column compared with a value.
    struct Condition {
        enum class Compare { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };
        int column = 0;
        Compare compare = Compare::Equal;
        std::string value;
        std::optional<double> number;
    };

  private:
    bool Inside(GridCell cell) const;
    GridCell Reached(Reach reach, int pageRows) const;
    void Show(std::vector<GridRange> ranges, GridCell current, GridCell anchor);
    void SelectAround(GridRange range);
    GridCell PasteOrigin() const;
    void Reorder();
    void ReadFilter();
    // The columns a line of headers names, in its order; empty when it is no line of headers.
    std::vector<int> HeaderColumns(std::string_view line) const;
    bool Keeps(int sourceRow) const;
    void Edit(int row, int column, std::string value);
    bool Editable(int column) const;

    NumberReader numberOf_;
    ColumnReader columnOf_;
    std::vector<GridColumn> columns_;
    const GridSource* source_ = nullptr;
    std::vector<int> order_; // the source rows shown, in the order shown
    int sortColumn_ = -1;
    Order sortOrder_ = Order::Ascending;
    std::string filter_;
    std::string filterProblem_;
    std::vector<std::string> nameParts_;
    std::vector<Condition> conditions_;
    bool onlyErrors_ = false;
    std::vector<GridRange> selection_;
    GridCell current_;
    GridCell anchor_;
};

} // namespace kestrix::platform
