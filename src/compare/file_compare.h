#pragma once

#include "handling_file/file_operations.h"
#include "handling_file/handling_format.h"
#include "model/document_text.h"
#include "model/handling_document.h"
#include "model/packed_cars.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Comparing and merging handling files value by value. Cars are matched by
// name, wherever they stand (MatchCars).
namespace kestrix {

// What a comparison or merge looks at in a file or a document.
struct FileContents {
    const CarTable* Cars = nullptr;
    std::string_view BeforeComments; // comment lines, each followed by a CR
    std::string_view AfterComments;
    std::string_view Author; // empty when the file has none
};
FileContents ContentsOf(const HandlingDocument& doc);
FileContents ContentsOf(const ParsedHandlingFile& file);

// The texts around the cars are compared and merged each as one value, a block.
// "(comments before the cars)", "(comments after the cars)", "(author)".
std::string_view BlockLabel(DocumentText block);

// Which car is which: for each row of from, the row of to that is the same
// car, or -1. The one rule for the comparison, the merge and a paste of car
// lines. Cars are the same by name; where the files hold as many cars of a
// name, the n-th is the n-th. Where one holds fewer, those keep their order
// and each is the car of the other file that shares the most values with it,
// so that a car deleted before a changed one of the same name leaves the
// changed one its partner; of equally alike pairings, the earlier cars pair.
// Past a bound on that work (thousands of cars under a few names), the cars
// of the names left pair in order.
std::vector<int> MatchCars(const CarTable& from, const CarTable& to);

struct StatDifference {
    int oldRow = 0;
    int newRow = 0;
    int column = 0;
};

struct FileDifference {
    std::vector<StatDifference> stats; // in the old file's car order, then by column
    std::vector<int> removed;          // rows of the old file with no match
    std::vector<int> added;            // rows of the new file with no match
    bool reordered = false;            // matched cars stand in another order
    std::vector<DocumentText> blocks;  // the blocks that differ
    bool Empty() const {
        return stats.empty() && removed.empty() && added.empty() && !reordered && blocks.empty();
    }
};

FileDifference CompareFiles(const FileContents& before, const FileContents& after);

// A file read for a comparison alone: its cars packed, the rest as read.
struct PackedFile {
    PackedCars cars;
    ParsedHandlingFile rest; // without cars
};
// Reads path into file, with the limits and messages of File > Open: the
// refusal, or empty text.
std::string ReadPackedFile(const std::string& path, PackedFile& file, FileOperations& files = SystemFiles());
// The file's texts with cars standing for its cars.
FileContents ContentsOf(const PackedFile& file, const CarTable& cars);

// What CompareFiles finds for two packed files, with rows of the tables
// beside it: the whole files', or, where every car is its namesake at the same
// place (a mod that changed values only), only the cars that differ.
struct PackedDifference {
    FileDifference difference;
    CarTable oldCars;
    CarTable newCars;
};
PackedDifference ComparePackedFiles(const PackedFile& before, const PackedFile& after);

// "#13 Max Velocity".
std::string StatLabel(int column);

// The text --diff prints: one tab-separated line per difference.
std::string DifferenceText(const FileContents& before, const FileContents& after,
                           const FileDifference& difference);
std::string DifferenceText(const PackedFile& before, const PackedFile& after,
                           const PackedDifference& difference);

// The text --textconv prints: comments as they are, then a line per value,
// NAME, TAB, "#N StatName", TAB, value.
std::string ValueLinesText(const FileContents& contents);

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
};

struct MergeOutcome {
    HandlingDocument merged; // every conflict at our side
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

// The conflicts as --merge lists them, one tab-separated line each.
std::string ConflictText(const std::vector<MergeConflict>& conflicts);

} // namespace kestrix
