#pragma once

#include "handling_file/handling_format.h"
#include "model/document_text.h"
#include "model/handling_document.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// Comparing and merging handling files value by value. Cars are matched by
// name: the n-th car of a name in one file with the n-th of that name in the
// other, wherever they stand.
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

// For each row of from, the row of to with the same name and the same place
// among the cars of that name, or -1.
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

// "#13 Max Velocity".
std::string StatLabel(int column);

// The text --diff prints: one tab-separated line per difference.
std::string DifferenceText(const FileContents& before, const FileContents& after,
                           const FileDifference& difference);

// The text --textconv prints: comments as they are, then a line per value,
// NAME, TAB, "#N StatName", TAB, value.
std::string ValueLinesText(const FileContents& contents);

// One value both sides changed in different ways, or a car one side deleted
// and the other changed; the merge keeps our side of it.
struct MergeConflict {
    std::string car;  // the car's name, or the block's label
    std::string stat; // StatLabel, "(whole car)" or "(block)"
    std::string base, ours, theirs;
};

struct MergeOutcome {
    HandlingDocument merged;
    std::vector<MergeConflict> conflicts;
};

// The three-way merge at the level of values: a value changed on one side
// takes that side, changed alike on both takes it, changed differently is a
// conflict. Cars added on either side come after the others, ours first.
MergeOutcome MergeFiles(const FileContents& base, const FileContents& ours, const FileContents& theirs);

// The conflicts as --merge lists them, one tab-separated line each.
std::string ConflictText(const std::vector<MergeConflict>& conflicts);

} // namespace kestrix
