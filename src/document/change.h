#pragma once

#include "model/car_change.h"
#include "model/document_text.h"
#include "model/handling_document.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

struct RangeFix;

// A car that a change adds or removes, at its row (the row it has while it is in the table).
struct RowChange {
    int row = 0;
    CarRow car;
    // An added car that is a car of the saved file come back: its row there; -1 for a new car.
    int savedRow = -1;
    friend bool operator==(const RowChange&, const RowChange&) = default;
};

struct TextChange {
    DocumentText text = DocumentText::Author;
    std::string before;
    std::string after;
    friend bool operator==(const TextChange&, const TextChange&) = default;
};

// One step of the document, as plain data that can be written out and applied
// again: the values it replaces with the values it writes, the cars it removes
// and adds, and the texts it replaces. Done, the cells change first (by the rows
// before any car came or went), then the removed rows go (by the rows before)
// and the added rows come (by the rows after); undone, the reverse.
struct Change {
    // What made the change; the windows show a car added or deleted. A move
    // removes the cars it moves and adds them again where they go, the i-th
    // removed as the i-th added: the same cars, which keep who they are.
    // Numbered as the recovery journal keeps them: a new kind goes last.
    enum class Kind { Values, AddCar, DeleteCar, RenameCar, Import, Texts, Move };
    static constexpr Kind kLastKind = Kind::Move;
    Kind kind = Kind::Values;
    std::string caption; // what the step did, as the Edit menu names it: "Delete Car 'BRACKEN'"
    std::vector<CellChange> cells;
    std::vector<RowChange> removed; // by rising row
    std::vector<RowChange> added;   // by rising row
    std::vector<TextChange> texts;

    bool Empty() const { return cells.empty() && removed.empty() && added.empty() && texts.empty(); }
    bool ChangesRows() const { return !removed.empty() || !added.empty(); }
    friend bool operator==(const Change&, const Change&) = default;
};

// The changes the commands make, each from the document as it is. Edits
// that leave a value as it is are left out; of two edits of one cell the later counts.
Change ValuesChange(const CarTable& cars, const std::vector<CellEdit>& edits, std::string caption);
// The repairs of the fixes chosen, as one step: "Fix 12 Values".
Change RangeFixChange(const CarTable& cars, const std::vector<RangeFix>& fixes,
                      const std::vector<bool>& chosen);
Change AddCarChange(const CarTable& cars, CarRow car);
// Empty when the row is not in the table.
Change DeleteCarChange(const CarTable& cars, int row);
Change RenameCarChange(const CarTable& cars, int row, std::string name);

enum class MoveDirection { Up, Down };
// The selected cars one place up or down among the shown ones (rising rows of
// the file; a car the filter hides is passed over and stays where it is): each
// run of selected cars that stand next to each other among the shown ones goes
// before the shown car above it, or after the one below it, which keeps its
// place among the hidden ones. A run at the end it moves towards stays. Empty when nothing moves.
// "Move Car Up", "Move 3 Cars Down".
Change MoveCarsChange(const CarTable& cars, const std::vector<int>& shown, const std::vector<int>& selected,
                      MoveDirection direction);
// Whether a move is one more of the same cars the same way as the move before it, which it joins:
// then the moves of a key held down are one step.
bool ContinuesMove(const Change& before, const Change& next);
// The two as one step.
Change JoinedMoves(const Change& before, const Change& next);
Change TextsChange(const HandlingDocument& doc,
                   const std::vector<std::pair<DocumentText, std::string>>& texts, std::string caption);

// The change that makes now into then: the values of the cars both have, row
// by row, the cars past the shorter table's end, and the texts.
Change ReplacementChange(const HandlingDocument& now, const HandlingDocument& then, std::string caption);
// The same where each car of then that is a car of now says which (origins:
// per car of then, its row in now, or -1): such a car stays that car, its
// values changed where they differ, or, moved among the others, comes back
// as the car of the saved file it was (savedRows: per row of now, its row in
// the saved file, or -1), so that a save writes it into its own line.
Change ReplacementChange(const HandlingDocument& now, const HandlingDocument& then,
                         const std::vector<int>& origins, const std::vector<int>& savedRows,
                         std::string caption);
// The change that takes change back, done as a change of its own.
Change InverseOf(const Change& change);

// "Multiply by 1.1 (240 values)"; one value goes without the count.
std::string CountedCaption(std::string_view what, std::size_t values);
// "1 value changed", "3 values changed".
std::string ChangedValuesText(std::size_t values);
// "1 car", "3 cars": the count with the word for one or for many.
std::string CountText(std::size_t count, std::string_view one, std::string_view many);

// Where a car at row before the change (after it, when undone) is afterwards; -1 when the change
// removes it. A moved car is where the move put it.
int RowAfter(const Change& change, int row, bool undo);

// Applies a change to the document, forwards or backwards: the one path by
// which a document changes. Returns why the document does not hold what the
// change replaces (the first value, car or text that differs), or empty
// text; every part of the change that has its place is applied all the same.
std::string DoChange(HandlingDocument& doc, const Change& change);
std::string UndoChange(HandlingDocument& doc, const Change& change);

// The bytes a change holds beyond its own size: what the history pays for it.
std::size_t HeldBytes(const Change& change);

} // namespace kestrix
