#include "platform/grid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <optional>

namespace kestrix::platform {

namespace {

// A number cell: the whole text reads as a number, "." the decimal point.
std::optional<double> CellNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || std::isnan(value))
        return std::nullopt;
    return value;
}

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
    Notify(Aspect::Entries);
    Reload();
}

void Grid::SetSource(const GridSource* source) {
    source_ = source;
    Reload();
}

void Grid::Reload() {
    selection_.clear();
    current_ = {};
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
    Reload();
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
        if ((filter_.empty() || ContainsFolded(source_->Text(row, 0), filter_)) &&
            (!onlyErrors_ || source_->RowHasError(row)))
            order_.push_back(row);
    if (sortColumn_ >= 0) {
        const bool descending = sortOrder_ == Order::Descending;
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
                keys.push_back({row, CellNumber(text), text});
            }
            std::stable_sort(keys.begin(), keys.end(), [descending](const Key& a, const Key& b) {
                if (a.number && b.number) {
                    if (*a.number == *b.number)
                        return false;
                    return descending ? *a.number > *b.number : *a.number < *b.number;
                }
                if (a.number || b.number)
                    return a.number.has_value(); // the cells that are no number come last, either way
                return SortsBefore(a.text, b.text);
            });
            for (std::size_t i = 0; i < keys.size(); ++i)
                order_[i] = keys[i].row;
        } else {
            std::stable_sort(order_.begin(), order_.end(), [this, descending](int a, int b) {
                const std::string_view x = source_->Text(a, sortColumn_);
                const std::string_view y = source_->Text(b, sortColumn_);
                return descending ? SortsBefore(y, x) : SortsBefore(x, y);
            });
        }
    }
    Notify(Aspect::Rows);
}

void Grid::Select(std::vector<GridRange> ranges, GridCell current) {
    selection_.clear();
    for (GridRange range : ranges) {
        range.top = std::max(range.top, 0);
        range.left = std::max(range.left, 0);
        range.bottom = std::min(range.bottom, RowCount() - 1);
        range.right = std::min(range.right, ColumnCount() - 1);
        if (range.top <= range.bottom && range.left <= range.right)
            selection_.push_back(range);
    }
    const bool inside =
        current.row >= 0 && current.row < RowCount() && current.column >= 0 && current.column < ColumnCount();
    current_ = inside ? current : GridCell{};
    Notify(Aspect::Selection);
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
    const bool again = column == sortColumn_ && sortOrder_ == Order::Ascending;
    SetSort(column, again ? Order::Descending : Order::Ascending);
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
    if (Column(column).ticksOf && Column(column).ticksOf(Text(row, column)) == ticks)
        return;
    Edit(row, column, Column(column).ticksStored(ticks));
}

void Grid::UserPasteRefused(Refusal refusal) {
    if (Enabled() && PasteRefused)
        PasteRefused(refusal);
}

void Grid::UserPastes(std::string_view text) {
    if (!Enabled() || current_.row < 0)
        return;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    std::vector<GridEdit> edits;
    std::optional<Refusal> refusal;
    const std::vector<std::string_view> lines = Split(text, '\n');
    for (std::size_t line = 0; line < lines.size() && !refusal; ++line) {
        std::string_view cells = lines[line];
        if (!cells.empty() && cells.back() == '\r')
            cells.remove_suffix(1);
        const std::vector<std::string_view> values = Split(cells, '\t');
        const int row = current_.row + static_cast<int>(line);
        for (std::size_t i = 0; i < values.size() && !refusal; ++i) {
            const int column = current_.column + static_cast<int>(i);
            if (row >= RowCount() || column >= ColumnCount())
                refusal = Refusal::OutsideGrid;
            else if (!Editable(column))
                refusal = Refusal::ReadOnlyColumn;
            else if (values[i].empty() ||
                     values[i].find_first_of(kRefusedCharacters) != std::string_view::npos)
                refusal = Refusal::BlankValue;
            else
                edits.push_back({SourceRow(row), column, std::string(values[i])});
        }
    }
    if (refusal) {
        if (PasteRefused)
            PasteRefused(*refusal);
    } else if (CellsEdited && !edits.empty()) {
        CellsEdited(edits);
    }
}

void Grid::UserDoubleClicksRowHeader(int row) {
    if (Enabled() && row >= 0 && row < RowCount() && RowHeaderDblClick)
        RowHeaderDblClick(SourceRow(row));
}

} // namespace kestrix::platform
