#include "document/change.h"

#include "model/rising_run.h"
#include "validation/range_fix.h"

#include <algorithm>
#include <map>

namespace kestrix {

namespace {

std::size_t HeapBytes(const std::string& text) {
    // Short texts live inside the string itself.
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

std::string CarName(const CarTable& cars, int row) {
    return std::string(cars[static_cast<std::size_t>(row)][VehicleIdentifier]);
}

// Keeps the first reason a change does not apply.
class Mismatch {
  public:
    void Note(std::string reason) {
        if (first_.empty())
            first_ = std::move(reason);
    }
    std::string Take() { return std::move(first_); }

  private:
    std::string first_;
};

std::string CarNamed(const CarTable& cars, int row) {
    return "car " + std::to_string(row + 1) + " ('" + CarName(cars, row) + "')";
}

void SetCell(CarTable& cars, const CellChange& cell, bool undo, Mismatch& mismatch) {
    if (cell.row < 0 || cell.row >= static_cast<int>(cars.size())) {
        mismatch.Note("the file has no car " + std::to_string(cell.row + 1));
        return;
    }
    CarRow& car = cars[static_cast<std::size_t>(cell.row)];
    const std::string& expected = undo ? cell.after : cell.before;
    if (car[cell.column] != expected)
        mismatch.Note(CarNamed(cars, cell.row) + " has \"" + std::string(car[cell.column]) + "\" as its " +
                      std::string(StatCatalogue::Instance()[cell.column].StatName) + ", not \"" + expected +
                      "\"");
    car.Set(cell.column, undo ? cell.before : cell.after);
}

// Rows go from the last, each from the row it has before any of them went.
void RemoveRows(CarTable& cars, const std::vector<RowChange>& rows, Mismatch& mismatch) {
    for (auto removed = rows.rbegin(); removed != rows.rend(); ++removed) {
        const bool inTable = removed->row >= 0 && removed->row < static_cast<int>(cars.size());
        if (!inTable || cars[static_cast<std::size_t>(removed->row)] != removed->car)
            mismatch.Note("the car '" + std::string(removed->car[VehicleIdentifier]) + "' is no longer car " +
                          std::to_string(removed->row + 1) + " as it was");
        if (inTable)
            cars.erase(cars.begin() + removed->row);
    }
}

// Rows come from the first, each to the row it has once all of them came.
void InsertRows(CarTable& cars, const std::vector<RowChange>& rows, Mismatch& mismatch) {
    for (const RowChange& added : rows) {
        if (added.row < 0 || added.row > static_cast<int>(cars.size()))
            mismatch.Note("the file has fewer cars than " + std::to_string(added.row));
        else
            cars.insert(cars.begin() + added.row, added.car);
    }
}

void SetText(HandlingDocument& doc, const TextChange& text, bool undo, Mismatch& mismatch) {
    std::string& now = TextIn(doc, text.text);
    if (now != (undo ? text.after : text.before))
        mismatch.Note(text.text == DocumentText::Author ? "its author is not as it was"
                                                        : "its comments are not as they were");
    now = undo ? text.before : text.after;
}

// Done, the cells change by the rows before any car came or went; undone,
// by those rows again, once the cars are back where they were.
std::string Apply(HandlingDocument& doc, const Change& change, bool undo) {
    Mismatch mismatch;
    if (!undo)
        for (const CellChange& cell : change.cells)
            SetCell(doc.Cars, cell, false, mismatch);
    RemoveRows(doc.Cars, undo ? change.added : change.removed, mismatch);
    InsertRows(doc.Cars, undo ? change.removed : change.added, mismatch);
    if (undo)
        for (auto cell = change.cells.rbegin(); cell != change.cells.rend(); ++cell)
            SetCell(doc.Cars, *cell, true, mismatch);
    for (const TextChange& text : change.texts)
        SetText(doc, text, undo, mismatch);
    return mismatch.Take();
}

} // namespace

Change ValuesChange(const CarTable& cars, const std::vector<CellEdit>& edits, std::string caption) {
    std::map<std::pair<int, int>, const CellEdit*> last;
    std::vector<std::pair<int, int>> order;
    for (const CellEdit& edit : edits) {
        if (edit.row < 0 || edit.row >= static_cast<int>(cars.size()) || edit.column < 0 ||
            edit.column >= kStatCount)
            continue;
        const std::pair<int, int> cell{edit.row, edit.column};
        if (last.emplace(cell, &edit).second)
            order.push_back(cell);
        else
            last[cell] = &edit;
    }
    Change change;
    change.caption = std::move(caption);
    for (const std::pair<int, int>& cell : order) {
        const CellEdit& edit = *last[cell];
        const std::string_view before = cars[static_cast<std::size_t>(edit.row)][edit.column];
        if (before != edit.value)
            change.cells.push_back({edit.row, edit.column, std::string(before), edit.value});
    }
    return change;
}

Change RangeFixChange(const CarTable& cars, const std::vector<RangeFix>& fixes,
                      const std::vector<bool>& chosen) {
    Change change = ValuesChange(cars, FixEdits(fixes, chosen), {});
    change.caption = FixCaption(change.cells.size());
    return change;
}

Change AddCarChange(const CarTable& cars, CarRow car) {
    Change change;
    change.kind = Change::Kind::AddCar;
    change.caption = "Add Car '" + std::string(car[VehicleIdentifier]) + "'";
    change.added.push_back({static_cast<int>(cars.size()), std::move(car)});
    return change;
}

Change DeleteCarChange(const CarTable& cars, int row) {
    Change change;
    if (row < 0 || row >= static_cast<int>(cars.size()))
        return change;
    change.kind = Change::Kind::DeleteCar;
    change.caption = "Delete Car '" + CarName(cars, row) + "'";
    change.removed.push_back({row, cars[static_cast<std::size_t>(row)]});
    return change;
}

Change RenameCarChange(const CarTable& cars, int row, std::string name) {
    Change change = ValuesChange(cars, {{row, VehicleIdentifier, name}}, {});
    change.kind = Change::Kind::RenameCar;
    if (!change.Empty())
        change.caption = "Rename Car '" + CarName(cars, row) + "' to '" + name + "'";
    return change;
}

Change MoveCarsChange(const CarTable& cars, const std::vector<int>& shown, const std::vector<int>& selected,
                      MoveDirection direction) {
    const bool up = direction == MoveDirection::Up;
    const int count = static_cast<int>(cars.size());
    std::vector<int> visible;
    for (const int row : shown)
        if (row >= 0 && row < count && (visible.empty() || row > visible.back()))
            visible.push_back(row);
    // Only a shown car moves.
    std::vector<bool> chosen(cars.size(), false);
    for (const int row : selected)
        if (std::binary_search(visible.begin(), visible.end(), row))
            chosen[static_cast<std::size_t>(row)] = true;
    // Each run of selected cars, by the shown car it passes.
    std::map<int, std::vector<int>> runBeside;
    std::vector<bool> moving(cars.size(), false);
    const auto isChosen = [&](std::size_t at) { return chosen[static_cast<std::size_t>(visible[at])]; };
    for (std::size_t first = 0; first < visible.size();) {
        std::size_t end = first;
        while (end < visible.size() && isChosen(end))
            ++end;
        if (end > first && (up ? first > 0 : end < visible.size())) {
            std::vector<int>& run = runBeside[up ? visible[first - 1] : visible[end]];
            run.assign(visible.begin() + static_cast<long>(first), visible.begin() + static_cast<long>(end));
            for (const int row : run)
                moving[static_cast<std::size_t>(row)] = true;
        }
        first = std::max(end, first + 1);
    }
    Change change;
    if (runBeside.empty())
        return change;
    std::vector<int> order;
    order.reserve(cars.size());
    for (int row = 0; row < count; ++row) {
        if (moving[static_cast<std::size_t>(row)])
            continue;
        const auto run = runBeside.find(row);
        if (run != runBeside.end() && up)
            order.insert(order.end(), run->second.begin(), run->second.end());
        order.push_back(row);
        if (run != runBeside.end() && !up)
            order.insert(order.end(), run->second.begin(), run->second.end());
    }
    // The whole selection goes and comes, a run that cannot move too, so that the next move of the
    // same selection knows it as the same cars.
    for (int place = 0; place < count; ++place)
        if (const int row = order[static_cast<std::size_t>(place)]; chosen[static_cast<std::size_t>(row)])
            change.added.push_back({place, cars[static_cast<std::size_t>(row)]});
    for (int row = 0; row < count; ++row)
        if (chosen[static_cast<std::size_t>(row)])
            change.removed.push_back({row, cars[static_cast<std::size_t>(row)]});
    change.kind = Change::Kind::Move;
    const std::string way = up ? "Up" : "Down";
    change.caption = change.removed.size() == 1
                         ? "Move Car " + way
                         : "Move " + std::to_string(change.removed.size()) + " Cars " + way;
    return change;
}

namespace {

// A move's way: that of any car it takes elsewhere.
bool MovesUp(const Change& move) {
    for (std::size_t i = 0; i < move.removed.size() && i < move.added.size(); ++i)
        if (move.added[i].row != move.removed[i].row)
            return move.added[i].row < move.removed[i].row;
    return false;
}

} // namespace

bool ContinuesMove(const Change& before, const Change& next) {
    if (before.kind != Change::Kind::Move || next.kind != Change::Kind::Move ||
        before.added.size() != next.removed.size() || MovesUp(before) != MovesUp(next))
        return false;
    for (std::size_t i = 0; i < next.removed.size(); ++i)
        if (before.added[i].row != next.removed[i].row)
            return false;
    return true;
}

Change JoinedMoves(const Change& before, const Change& next) {
    Change joined = before;
    joined.added = next.added;
    return joined;
}

Change TextsChange(const HandlingDocument& doc,
                   const std::vector<std::pair<DocumentText, std::string>>& texts, std::string caption) {
    Change change;
    change.kind = Change::Kind::Texts;
    change.caption = std::move(caption);
    for (const auto& [text, after] : texts)
        if (const std::string& before = TextIn(doc, text); before != after)
            change.texts.push_back({text, before, after});
    return change;
}

Change ReplacementChange(const HandlingDocument& now, const HandlingDocument& then, std::string caption) {
    std::vector<std::pair<DocumentText, std::string>> texts;
    for (const DocumentText text : kDocumentTexts)
        texts.emplace_back(text, TextIn(then, text));
    Change change = TextsChange(now, texts, std::move(caption));
    change.kind = Change::Kind::Values;
    const std::size_t common = std::min(now.Cars.size(), then.Cars.size());
    for (std::size_t row = 0; row < common; ++row)
        for (int column = 0; column < kStatCount; ++column)
            if (now.Cars[row][column] != then.Cars[row][column])
                change.cells.push_back({static_cast<int>(row), column, std::string(now.Cars[row][column]),
                                        std::string(then.Cars[row][column])});
    for (std::size_t row = common; row < now.Cars.size(); ++row)
        change.removed.push_back({static_cast<int>(row), now.Cars[row]});
    for (std::size_t row = common; row < then.Cars.size(); ++row)
        change.added.push_back({static_cast<int>(row), then.Cars[row]});
    if (change.ChangesRows())
        change.kind = Change::Kind::Import;
    return change;
}

Change ReplacementChange(const HandlingDocument& now, const HandlingDocument& then,
                         const std::vector<int>& origins, const std::vector<int>& savedRows,
                         std::string caption) {
    std::vector<std::pair<DocumentText, std::string>> texts;
    for (const DocumentText text : kDocumentTexts)
        texts.emplace_back(text, TextIn(then, text));
    Change change = TextsChange(now, texts, std::move(caption));
    change.kind = Change::Kind::Values;
    std::vector<bool> stays(then.Cars.size(), false);
    std::vector<bool> kept(now.Cars.size(), false);
    for (const int car : LongestRisingRun(origins)) {
        const auto at = static_cast<std::size_t>(car);
        const int row = origins[at];
        stays[at] = kept[static_cast<std::size_t>(row)] = true;
        for (int column = 0; column < kStatCount; ++column)
            if (const std::string_view was = now.Cars[static_cast<std::size_t>(row)][column];
                was != then.Cars[at][column])
                change.cells.push_back({row, column, std::string(was), std::string(then.Cars[at][column])});
    }
    for (std::size_t row = 0; row < now.Cars.size(); ++row)
        if (!kept[row])
            change.removed.push_back({static_cast<int>(row), now.Cars[row]});
    for (std::size_t car = 0; car < then.Cars.size(); ++car)
        if (!stays[car]) {
            const int origin = origins[car];
            change.added.push_back({static_cast<int>(car), then.Cars[car],
                                    origin >= 0 ? savedRows[static_cast<std::size_t>(origin)] : -1});
        }
    if (change.ChangesRows())
        change.kind = Change::Kind::Import;
    return change;
}

Change InverseOf(const Change& change) {
    Change inverse;
    inverse.kind = change.kind;
    inverse.caption = change.caption;
    // Done, a change's cells come first, by the rows the change itself left.
    for (auto cell = change.cells.rbegin(); cell != change.cells.rend(); ++cell)
        if (const int row = RowAfter(change, cell->row, false); row >= 0)
            inverse.cells.push_back({row, cell->column, cell->after, cell->before});
    inverse.removed = change.added;
    inverse.added = change.removed;
    for (RowChange& added : inverse.added)
        added.savedRow = -1;
    for (const TextChange& text : change.texts)
        inverse.texts.push_back({text.text, text.after, text.before});
    return inverse;
}

std::string ChangedValuesText(std::size_t values) {
    return CountText(values, "value changed", "values changed");
}

std::string CountText(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string CountedCaption(std::string_view what, std::size_t values) {
    std::string caption(what);
    if (values != 1)
        caption += " (" + std::to_string(values) + " values)";
    return caption;
}

int RowAfter(const Change& change, int row, bool undo) {
    const std::vector<RowChange>& gone = undo ? change.added : change.removed;
    const std::vector<RowChange>& come = undo ? change.removed : change.added;
    int moved = row;
    for (std::size_t i = 0; i < gone.size(); ++i) {
        if (gone[i].row == row)
            return change.kind == Change::Kind::Move && i < come.size() ? come[i].row : -1;
        moved -= gone[i].row < row;
    }
    for (const RowChange& added : come)
        moved += added.row <= moved;
    return moved;
}

std::string DoChange(HandlingDocument& doc, const Change& change) {
    return Apply(doc, change, false);
}

std::string UndoChange(HandlingDocument& doc, const Change& change) {
    return Apply(doc, change, true);
}

std::size_t HeldBytes(const Change& change) {
    std::size_t bytes = HeapBytes(change.caption) + change.cells.capacity() * sizeof(CellChange) +
                        (change.removed.capacity() + change.added.capacity()) * sizeof(RowChange) +
                        change.texts.capacity() * sizeof(TextChange);
    for (const CellChange& cell : change.cells)
        bytes += HeapBytes(cell.before) + HeapBytes(cell.after);
    for (const auto* rows : {&change.removed, &change.added})
        for (const RowChange& row : *rows)
            for (int column = 0; column < kStatCount; ++column)
                bytes += row.car[column].size();
    for (const TextChange& text : change.texts)
        bytes += HeapBytes(text.before) + HeapBytes(text.after);
    return bytes;
}

} // namespace kestrix
