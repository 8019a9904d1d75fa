#pragma once

#include "compare/file_compare.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// The three-way merge of handling files value by value.
namespace kestrix {

// The three files of a merge, and which of them a choice takes.
enum class MergeSide { Base, Ours, Theirs };
inline constexpr std::array<MergeSide, 3> kMergeSides{MergeSide::Base, MergeSide::Ours, MergeSide::Theirs};

enum class ConflictKind {
    Value,          // one stat of a car, changed differently on the two sides
    AddedOnBoth,    // one stat of a car both sides added, with different values: no base
    Renamed,        // both sides renamed the car, differently
    DeletedChanged, // one side deleted the car, the other changed it
    Order,          // both sides moved cars, differently
    Text,           // a comment block or the author, changed differently
};

// What the two sides disagree about; the merge keeps our side of it.
struct MergeConflict {
    ConflictKind kind = ConflictKind::Value;
    // The car's name, followed by its place among the cars of that name where
    // several share it ("BRACKEN (2 of 2)"); or the block's label.
    std::string car;
    std::string stat; // StatLabel, "(whole car)" or "(block)"
    // By MergeSide: the value each file holds, or for a whole car or the
    // order, what each side did ("(deleted)", "(changed)", "(moved)").
    std::array<std::string, 3> values;
    int slot = -1;   // the merged car it is about (MergeOutcome::cars)
    int column = -1; // Value, AddedOnBoth, Renamed
    DocumentText text = DocumentText::Author;
    // DeletedChanged: the car as each file holds it, none where it was deleted.
    std::array<std::optional<CarRow>, 3> cars;

    const std::string& Value(MergeSide side) const { return values[static_cast<std::size_t>(side)]; }
};

// A side's value as the conflict lists show it: a block on one line.
std::string ConflictCell(const MergeConflict& conflict, MergeSide side);

// A change that merged without conflict, listed apart from the conflicts.
struct CleanMerge {
    std::string car, stat, base, ours, theirs, merged;
    bool wholeCar = false; // a car added or deleted, rather than one value
};

// A car of the merged file, whether or not it is kept: our side of a
// conflict may delete a car that a choice then keeps.
struct MergedCar {
    CarRow car;
    bool kept = true;
    int oursRow = -1; // the car of ours it is, whose line it is written into; -1: none
};

struct MergeOutcome {
    HandlingDocument merged;         // every conflict at our side
    std::vector<int> mergedOursRows; // per car of merged, the car of ours it is (MergedCar::oursRow)
    std::vector<MergeConflict> conflicts;
    std::vector<CleanMerge> clean;
    // What a choice among the conflicts builds from: the cars, their order as
    // merged, and the order of their side for an order conflict.
    std::vector<MergedCar> cars;
    std::vector<int> order;
    std::vector<int> theirsOrder;
};

// The three-way merge at the level of values: a value changed on one side
// takes that side, changed alike on both takes it, changed differently is a
// conflict. The cars are matched as MatchCars matches them, and a car one
// side renamed, by the same values under a new name, is still that car. Cars
// stand in our order, or in theirs when only their side moved or inserted
// cars; the cars the other side added come after the others.
MergeOutcome MergeFiles(const FileContents& base, const FileContents& ours, const FileContents& theirs);

// The merged document from the cars in this order, with these texts.
HandlingDocument ArrangeMerged(const std::vector<MergedCar>& cars, const std::vector<int>& order,
                               const HandlingDocument& texts);
// Per car of ArrangeMerged's document, the car of ours it is.
std::vector<int> ArrangedOursRows(const std::vector<MergedCar>& cars, const std::vector<int>& order);

// The conflicts as --merge lists them, one tab-separated line each.
std::string ConflictText(const std::vector<MergeConflict>& conflicts);

} // namespace kestrix
