#include "platform/grid.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace kestrix::platform {

namespace {

bool ContainsFolded(std::string_view text, std::string_view part) {
    if (part.empty())
        return true;
    const auto same = [](char a, char b) {
        return FoldCase(static_cast<unsigned char>(a)) == FoldCase(static_cast<unsigned char>(b));
    };
    return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

void Grid::SetColumns(std::vector<GridColumn> columns) {
    columns_ = std::move(columns);
    if (sortColumn_ >= ColumnCount())
        sortColumn_ = -1;
    ReadFilter(); // the columns it names may have changed
    Notify(Aspect::Entries);
    Reload();
}

void Grid::SetSource(const GridSource* source) {
    source_ = source;
    Reload();
}

void Grid::Reload() {
    selection_.clear();
    current_ = anchor_ = {};
    Reorder();
}

void Grid::ValuesChanged() {
    Notify(Aspect::Value);
}

int Grid::ShownRow(int sourceRow) const {
    const auto found = std::find(order_.begin(), order_.end(), sourceRow);
    return found == order_.end() ? -1 : static_cast<int>(found - order_.begin());
}

void Grid::SetSort(int column, Order order) {
    sortColumn_ = column >= 0 && column < ColumnCount() ? column : -1;
    sortOrder_ = order;
    Reload();
}

void Grid::SetFilter(std::string text) {
    if (text == filter_)
        return;
    filter_ = std::move(text);
    ReadFilter();
    Reload();
}

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The terms of a filter, split at each word "and".
std::vector<std::string_view> Terms(std::string_view text) {
    std::vector<std::string_view> terms;
    std::size_t start = 0;
    for (std::size_t at = 0; at + 3 <= text.size(); ++at) {
        const bool before = at == 0 || text[at - 1] == ' ';
        const bool after = at + 3 == text.size() || text[at + 3] == ' ';
        if (before && after && CompareFolded(text.substr(at, 3), "and") == 0) {
            terms.push_back(Trimmed(text.substr(start, at - start)));
            start = at + 3;
        }
    }
    terms.push_back(Trimmed(text.substr(start)));
    return terms;
}

using Compare = Grid::Condition::Compare;

struct Operator {
    std::string_view text;
    Compare compare;
};
// Two-character operators first, so that "<=" is not read as "<".
constexpr Operator kOperators[] = {
    {"<=", Compare::LessOrEqual}, {">=", Compare::GreaterOrEqual},
    {"!=", Compare::NotEqual},    {"<>", Compare::NotEqual},
    {"<", Compare::Less},         {">", Compare::Greater},
    {"=", Compare::Equal},
};

bool Holds(Compare compare, int order) {
    switch (compare) {
    case Compare::Equal:
        return order == 0;
    case Compare::NotEqual:
        return order != 0;
    case Compare::Less:
        return order < 0;
    case Compare::LessOrEqual:
        return order <= 0;
    case Compare::Greater:
        return order > 0;
    case Compare::GreaterOrEqual:
        return order >= 0;
    }
    return false;
}

} // namespace

void Grid::ReadFilter() {
    filterProblem_.clear();
    nameParts_.clear();
    conditions_.clear();
    if (Trimmed(filter_).empty())
        return;
    for (const std::string_view term : Terms(filter_)) {
        if (term.empty()) {
            filterProblem_ = "a condition is missing before or after \"and\"";
            break;
        }
        const std::size_t at = term.find_first_of("=<>!");
        if (at == std::string_view::npos) {
            nameParts_.emplace_back(term);
            continue;
        }
        const Operator* found = nullptr;
        for (const Operator& op : kOperators)
            if (term.substr(at, op.text.size()) == op.text) {
                found = &op;
                break;
            }
        const std::string_view name = Trimmed(term.substr(0, at));
        const std::string_view value = found ? Trimmed(term.substr(at + found->text.size())) : "";
        Condition condition;
        if (!found)
            filterProblem_ = "\"" + std::string(term) + "\" has no comparison (=, !=, <, <=, >, >=)";
        else if (name.empty())
            filterProblem_ = "\"" + std::string(term) + "\" names no column";
        else if (value.empty())
            filterProblem_ = "\"" + std::string(term) + "\" has no value to compare with";
        else
            condition.column = columnOf_(name, filterProblem_);
        if (!filterProblem_.empty())
            break;
        condition.compare = found->compare;
        condition.value = std::string(value);
        condition.number = numberOf_(value);
        if (!condition.number && condition.compare != Compare::Equal &&
            condition.compare != Compare::NotEqual) {
            filterProblem_ = "\"" + std::string(term) + "\" compares with no number";
            break;
        }
        conditions_.push_back(std::move(condition));
    }
    if (!filterProblem_.empty()) {
        nameParts_.clear();
        conditions_.clear();
    }
}

bool Grid::Keeps(int sourceRow) const {
    if (onlyErrors_ && !source_->RowHasError(sourceRow))
        return false;
    for (const std::string& part : nameParts_)
        if (!ContainsFolded(source_->Text(sourceRow, 0), part))
            return false;
    for (const Condition& condition : conditions_) {
        const std::string_view cell = source_->Text(sourceRow, condition.column);
        const std::optional<double> number = numberOf_(cell);
        int order = 0;
        if (condition.number && number)
            order = *number < *condition.number ? -1 : *number > *condition.number ? 1 : 0;
        else if (condition.number && condition.compare != Compare::Equal &&
                 condition.compare != Compare::NotEqual)
            return false; // no number to compare
        else
            order = CompareFolded(cell, condition.value);
        if (!Holds(condition.compare, order))
            return false;
    }
    return true;
}

void Grid::SetOnlyErrors(bool only) {
    if (only == onlyErrors_)
        return;
    onlyErrors_ = only;
    Reload();
}

void Grid::Reorder() {
    order_.clear();
    const int rows = SourceRowCount();
    order_.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row)
        if (Keeps(row))
            order_.push_back(row);
    if (sortColumn_ >= 0) {
        if (Column(sortColumn_).sort == GridColumn::Sort::Number) {
            struct Key {
                int row;
                std::optional<double> number;
                std::string_view text;
            };
            std::vector<Key> keys;
            keys.reserve(order_.size());
            for (const int row : order_) {
                const std::string_view text = source_->Text(row, sortColumn_);
                keys.push_back({row, numberOf_(text), text});
            }
            std::stable_sort(keys.begin(), keys.end(), [this](const Key& a, const Key& b) {
                if (a.number && b.number)
                    return InOrder((*a.number > *b.number) - (*a.number < *b.number), sortOrder_) < 0;
                if (a.number || b.number)
                    return a.number.has_value(); // the cells that are no number come last, either way
                return SortsBefore(a.text, b.text);
            });
            for (std::size_t i = 0; i < keys.size(); ++i)
                order_[i] = keys[i].row;
        } else {
            std::stable_sort(order_.begin(), order_.end(), [this](int a, int b) {
                const int compared =
                    CompareSorted(source_->Text(a, sortColumn_), source_->Text(b, sortColumn_));
                return InOrder(compared, sortOrder_) < 0;
            });
        }
    }
    Notify(Aspect::Rows);
}

void Grid::Select(std::vector<GridRange> ranges, GridCell current) {
    GridCell anchor = current;
    if (ranges.size() == 1) {
        const GridRange& range = ranges.front();
        const bool topOrBottom = current.row == range.top || current.row == range.bottom;
        const bool leftOrRight = current.column == range.left || current.column == range.right;
        if (topOrBottom && leftOrRight)
            anchor = {range.top + range.bottom - current.row, range.left + range.right - current.column};
    }
    Show(std::move(ranges), current, anchor);
}

bool Grid::Inside(GridCell cell) const {
    return cell.row >= 0 && cell.row < RowCount() && cell.column >= 0 && cell.column < ColumnCount();
}

void Grid::Show(std::vector<GridRange> ranges, GridCell current, GridCell anchor) {
    selection_.clear();
    for (GridRange range : ranges) {
        range.top = std::max(range.top, 0);
        range.left = std::max(range.left, 0);
        range.bottom = std::min(range.bottom, RowCount() - 1);
        range.right = std::min(range.right, ColumnCount() - 1);
        if (range.top <= range.bottom && range.left <= range.right)
            selection_.push_back(range);
    }
    current_ = Inside(current) ? current : GridCell{};
    anchor_ = Inside(current) && Inside(anchor) ? anchor : current_;
    Notify(Aspect::Selection);
    Raise(SelectionChange);
}

namespace {

// How far each reach carries the current cell, in cells and in pages of rows; far runs to the edge.
using Reach = Grid::Reach;
struct Step {
    Reach reach;
    int rows;
    int pages;
    int columns;
};
constexpr int kFar = 1 << 30;
constexpr Step kSteps[] = {
    {Reach::Up, -1, 0, 0},           {Reach::Down, 1, 0, 0},          {Reach::Left, 0, 0, -1},
    {Reach::Right, 0, 0, 1},         {Reach::PageUp, 0, -1, 0},       {Reach::PageDown, 0, 1, 0},
    {Reach::FirstRow, -kFar, 0, 0},  {Reach::LastRow, kFar, 0, 0},    {Reach::FirstColumn, 0, 0, -kFar},
    {Reach::LastColumn, 0, 0, kFar}, {Reach::Start, -kFar, 0, -kFar}, {Reach::End, kFar, 0, kFar},
};

} // namespace

GridCell Grid::Reached(Reach reach, int pageRows) const {
    const Step step = *std::find_if(std::begin(kSteps), std::end(kSteps),
                                    [reach](const Step& each) { return each.reach == reach; });
    const int rows = step.rows + step.pages * std::clamp(pageRows, 1, std::max(RowCount(), 1));
    return {std::clamp(current_.row + rows, 0, RowCount() - 1),
            std::clamp(current_.column + step.columns, 0, ColumnCount() - 1)};
}

void Grid::UserExtends(Reach reach, int pageRows) {
    if (current_.row >= 0)
        UserExtendsTo(Reached(reach, pageRows));
}

void Grid::UserMoves(Reach reach, int pageRows) {
    if (Enabled() && current_.row >= 0) {
        const GridCell cell = Reached(reach, pageRows);
        Show({{cell.row, cell.column, cell.row, cell.column}}, cell, cell);
    }
}

void Grid::UserExtendsTo(GridCell cell) {
    if (!Enabled() || anchor_.row < 0 || !Inside(cell))
        return;
    const GridRange range{std::min(anchor_.row, cell.row), std::min(anchor_.column, cell.column),
                          std::max(anchor_.row, cell.row), std::max(anchor_.column, cell.column)};
    Show({range}, cell, anchor_);
}

void Grid::SelectAround(GridRange range) {
    if (Enabled() && RowCount() > 0)
        Show({range}, current_, current_);
}

void Grid::UserSelectsColumn() {
    if (current_.row >= 0)
        SelectAround({0, current_.column, RowCount() - 1, current_.column});
}

void Grid::UserSelectsRow() {
    if (current_.row >= 0)
        SelectAround({current_.row, 0, current_.row, ColumnCount() - 1});
}

void Grid::UserSelectsAll() {
    SelectAround({0, 0, RowCount() - 1, ColumnCount() - 1});
}

std::vector<GridCell> Grid::SelectedCells() const {
    std::vector<GridCell> cells;
    for (const int row : SelectedRows())
        for (int column = 0; column < ColumnCount(); ++column)
            for (const GridRange& range : selection_)
                if (row >= range.top && row <= range.bottom && column >= range.left &&
                    column <= range.right) {
                    cells.push_back({row, column});
                    break;
                }
    return cells;
}

std::vector<int> Grid::SelectedRows() const {
    std::vector<int> rows;
    for (const GridRange& range : selection_)
        for (int row = range.top; row <= range.bottom; ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::string Grid::CopyText() const {
    const std::vector<GridCell> cells = SelectedCells();
    if (cells.empty())
        return {};
    const std::size_t rows = SelectedRows().size();
    const bool wholeRows = cells.size() == rows * static_cast<std::size_t>(ColumnCount());
    std::vector<bool> used(static_cast<std::size_t>(ColumnCount()));
    for (const GridCell& cell : cells)
        used[static_cast<std::size_t>(cell.column)] = true;
    const int first = static_cast<int>(std::find(used.begin(), used.end(), true) - used.begin());
    const int last = static_cast<int>(used.rend() - std::find(used.rbegin(), used.rend(), true)) - 1;
    std::string text;
    if (wholeRows) {
        for (int column = 0; column < ColumnCount(); ++column)
            text.append(column ? "\t" : "").append(Column(column).header);
        text += "\n";
    }
    // Cells between selected ones that are not selected themselves stay empty, so columns line up.
    std::size_t next = 0;
    while (next < cells.size()) {
        const int row = cells[next].row;
        for (int column = first; column <= last; ++column) {
            if (column > first)
                text += '\t';
            if (next < cells.size() && cells[next].row == row && cells[next].column == column)
                text.append(Text(row, cells[next++].column));
        }
        text += '\n';
    }
    return text;
}

void Grid::UserClicksHeader(int column) {
    if (!Enabled() || column < 0 || column >= ColumnCount())
        return;
    // A third click brings back the source's own order.
    if (column == sortColumn_ && sortOrder_ == Order::Descending)
        SetSort(-1, Order::Ascending);
    else
        SetSort(column, OrderAfterHeaderClick(column, sortColumn_, sortOrder_));
}

bool Grid::Editable(int column) const {
    return column >= 0 && column < ColumnCount() && Column(column).editing != GridColumn::Editing::ReadOnly;
}

void Grid::Edit(int row, int column, std::string value) {
    if (!Enabled() || row < 0 || row >= RowCount() || !Editable(column) || value.empty())
        return;
    if (CellsEdited)
        CellsEdited({{SourceRow(row), column, std::move(value)}});
}

void Grid::UserEdits(int row, int column, std::string text) {
    std::erase_if(text, [](char c) { return kRefusedCharacters.find(c) != std::string_view::npos; });
    Edit(row, column, std::move(text));
}

// Choosing what a cell already shows is no change: a value shown rounded, or
// in another spelling, stays as it is stored.
void Grid::UserPicks(int row, int column, int entry) {
    if (!Editable(column) || row < 0 || row >= RowCount())
        return;
    const GridColumn& shown = Column(column);
    if (shown.entryOf && shown.entryOf(Text(row, column)) == entry)
        return;
    if (entry >= 0 && entry < static_cast<int>(shown.stored.size()))
        Edit(row, column, shown.stored[static_cast<std::size_t>(entry)]);
}

void Grid::UserSetsTicks(int row, int column, const std::vector<bool>& ticks) {
    if (!Editable(column) || row < 0 || row >= RowCount() || !Column(column).ticksStored)
        return;
    std::string value = Column(column).ticksStored(Text(row, column), ticks);
    if (value != Text(row, column))
        Edit(row, column, std::move(value));
}

void Grid::UserPasteRefused(Refusal refusal) {
    if (Enabled() && PasteRefused)
        PasteRefused(refusal);
}

std::vector<int> Grid::HeaderColumns(std::string_view line) const {
    std::vector<int> columns;
    for (const std::string_view cell : Split(line, '\t')) {
        int found = -1;
        for (int column = 0; column < ColumnCount() && found < 0; ++column)
            if (CompareFolded(Trimmed(cell), Column(column).header) == 0)
                found = column;
        if (found < 0)
            return {};
        columns.push_back(found);
    }
    return columns;
}

GridCell Grid::PasteOrigin() const {
    for (const GridRange& range : selection_)
        if (current_.row >= range.top && current_.row <= range.bottom && current_.column >= range.left &&
            current_.column <= range.right)
            return {range.top, range.left};
    return current_;
}

void Grid::UserPastes(std::string_view text) {
    if (!Enabled() || (PasteTaken && PasteTaken(text)) || current_.row < 0)
        return;
    const GridCell origin = PasteOrigin();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    std::vector<std::string_view> lines = Split(text, '\n');
    for (std::string_view& line : lines)
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
    // A copy of whole rows, ours or a spreadsheet's, starts with the headers.
    const std::vector<int> headerColumns = HeaderColumns(lines.front());
    if (!headerColumns.empty())
        lines.erase(lines.begin());
    std::vector<GridEdit> edits;
    std::optional<Refusal> refusal;
    for (std::size_t line = 0; line < lines.size() && !refusal; ++line) {
        const std::vector<std::string_view> values = Split(lines[line], '\t');
        const int row = origin.row + static_cast<int>(line);
        for (std::size_t i = 0; i < values.size() && !refusal; ++i) {
            const int column = headerColumns.empty()      ? origin.column + static_cast<int>(i)
                               : i < headerColumns.size() ? headerColumns[i]
                                                          : ColumnCount();
            if (row >= RowCount() || column >= ColumnCount())
                refusal = Refusal::OutsideGrid;
            else if (!Editable(column) && values[i] != Text(row, column))
                refusal = Refusal::ReadOnlyColumn;
            else if (values[i].empty() ||
                     values[i].find_first_of(kRefusedCharacters) != std::string_view::npos)
                refusal = Refusal::BlankValue;
            else if (Editable(column))
                edits.push_back({SourceRow(row), column, std::string(values[i])});
        }
    }
    if (refusal) {
        if (PasteRefused)
            PasteRefused(*refusal);
    } else if (const auto& pasted = CellsPasted ? CellsPasted : CellsEdited; pasted && !edits.empty()) {
        pasted(edits);
    }
}

void Grid::UserGoesToNextError() {
    const int cells = RowCount() * ColumnCount();
    if (!Enabled() || cells == 0)
        return;
    const int from = current_.row < 0 ? -1 : current_.row * ColumnCount() + current_.column;
    for (int step = 1; step <= cells; ++step) {
        const int at = ((from + step) % cells + cells) % cells;
        const GridCell cell{at / ColumnCount(), at % ColumnCount()};
        if (!Error(cell.row, cell.column).empty()) {
            Select({{cell.row, cell.column, cell.row, cell.column}}, cell);
            return;
        }
    }
}

void Grid::UserDoubleClicksRowHeader(int row) {
    if (Enabled() && row >= 0 && row < RowCount() && RowHeaderDblClick)
        RowHeaderDblClick(SourceRow(row));
}

} // namespace kestrix::platform
