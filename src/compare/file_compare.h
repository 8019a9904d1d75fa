#pragma once

#include "handling_file/handling_format.h"
#include "model/document_text.h"
#include "model/handling_document.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Comparing handling files value by value. Cars are matched by
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

// A tab-separated line of these cells, ending with a line feed.
void AppendLine(std::string& out, std::initializer_list<std::string_view> cells);
// A comment block on one line, for the lists of differences and conflicts.
std::string OneLine(std::string_view block);

} // namespace kestrix
