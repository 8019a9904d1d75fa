#include "document/change.h"

#include <algorithm>

namespace kestrix {

namespace {

// Of a document or a const one.
template <class Doc> auto& TextOf(Doc& doc, DocumentText text) {
    switch (text) {
    case DocumentText::BeforeComments:
        return doc.BeforeComments;
    case DocumentText::AfterComments:
        return doc.AfterComments;
    case DocumentText::Author:
        break;
    }
    return doc.Author;
}

std::size_t HeapBytes(const std::string& text) {
    // Short texts live inside the string itself.
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 : 0;
}

std::string CarName(const CarTable& cars, int row) {
    return std::string(cars[static_cast<std::size_t>(row)][VehicleIdentifier]);
}

} // namespace

Change ValuesChange(const CarTable& cars, const std::vector<CellEdit>& edits, std::string caption) {
    Change change;
    change.caption = std::move(caption);
    change.cells = ChangeOf(cars, edits).cells;
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

Change TextsChange(const HandlingDocument& doc,
                   const std::vector<std::pair<DocumentText, std::string>>& texts, std::string caption) {
    Change change;
    change.kind = Change::Kind::Texts;
    change.caption = std::move(caption);
    for (const auto& [text, after] : texts)
        if (const std::string& before = TextOf(doc, text); before != after)
            change.texts.push_back({text, before, after});
    return change;
}

Change ReplacementChange(const HandlingDocument& now, const HandlingDocument& then, std::string caption) {
    Change change = TextsChange(now,
                                {{DocumentText::BeforeComments, then.BeforeComments},
                                 {DocumentText::AfterComments, then.AfterComments},
                                 {DocumentText::Author, then.Author}},
                                std::move(caption));
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
    for (const RowChange& removed : gone) {
        if (removed.row == row)
            return -1;
        moved -= removed.row < row;
    }
    for (const RowChange& added : come)
        moved += added.row <= moved;
    return moved;
}

void DoChange(HandlingDocument& doc, const Change& change) {
    for (const CellChange& cell : change.cells)
        doc.Cars.at(static_cast<std::size_t>(cell.row)).Set(cell.column, cell.after);
    for (auto removed = change.removed.rbegin(); removed != change.removed.rend(); ++removed)
        doc.Cars.erase(doc.Cars.begin() + removed->row);
    for (const RowChange& added : change.added)
        doc.Cars.insert(doc.Cars.begin() + added.row, added.car);
    for (const TextChange& text : change.texts)
        TextOf(doc, text.text) = text.after;
}

void UndoChange(HandlingDocument& doc, const Change& change) {
    for (const TextChange& text : change.texts)
        TextOf(doc, text.text) = text.before;
    for (auto added = change.added.rbegin(); added != change.added.rend(); ++added)
        doc.Cars.erase(doc.Cars.begin() + added->row);
    for (const RowChange& removed : change.removed)
        doc.Cars.insert(doc.Cars.begin() + removed.row, removed.car);
    for (auto cell = change.cells.rbegin(); cell != change.cells.rend(); ++cell)
        doc.Cars.at(static_cast<std::size_t>(cell->row)).Set(cell->column, cell->before);
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
