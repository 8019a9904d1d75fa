#include "compare/file_compare.h"

#include "compare/car_match.h"
#include "model/stat_catalogue.h"

#include <utility>

namespace kestrix {

namespace {

template <class Row> int Size(const std::vector<Row>& rows) {
    return static_cast<int>(rows.size());
}

} // namespace

void AppendLine(std::string& out, std::initializer_list<std::string_view> cells) {
    bool first = true;
    for (const std::string_view cell : cells) {
        if (!first)
            out += '\t';
        out += cell;
        first = false;
    }
    out += '\n';
}

// A comment block on one line, for the conflict list.
std::string OneLine(std::string_view block) {
    if (block.ends_with('\r'))
        block.remove_suffix(1);
    // Built in one pass: a block of thousands of lines must not move its tail at each one.
    std::string line;
    line.reserve(block.size());
    for (const char c : block) {
        if (c == '\r')
            line.append(" | ");
        else
            line.push_back(c);
    }
    return line;
}

FileContents ContentsOf(const HandlingDocument& doc) {
    return {&doc.Cars, doc.BeforeComments, doc.AfterComments, doc.Author};
}

FileContents ContentsOf(const ParsedHandlingFile& file) {
    return {&file.Cars, file.BeforeComments, file.AfterComments,
            file.Author ? std::string_view(*file.Author) : std::string_view()};
}

std::string_view BlockLabel(DocumentText block) {
    switch (block) {
    case DocumentText::BeforeComments:
        return "(comments before the cars)";
    case DocumentText::AfterComments:
        return "(comments after the cars)";
    case DocumentText::Author:
        break;
    }
    return "(author)";
}

namespace {

void AppendValueDifferences(const CarRow& oldCar, const CarRow& newCar, int oldRow, int newRow,
                            FileDifference& difference) {
    if (oldCar == newCar)
        return;
    for (int column = 1; column < kStatCount; ++column) {
        if (oldCar[column] != newCar[column])
            difference.stats.push_back({oldRow, newRow, column});
    }
}

void AppendBlockDifferences(const FileContents& before, const FileContents& after,
                            FileDifference& difference) {
    for (const DocumentText block : kDocumentTexts) {
        if (TextIn(before, block) != TextIn(after, block))
            difference.blocks.push_back(block);
    }
}

} // namespace

FileDifference CompareFiles(const FileContents& before, const FileContents& after) {
    const CarTable& oldCars = *before.Cars;
    const CarTable& newCars = *after.Cars;
    FileDifference difference;
    const std::vector<int> match = MatchCars(oldCars, newCars);
    std::vector<bool> matched(newCars.size(), false);
    for (int oldRow = 0; oldRow < Size(oldCars); ++oldRow) {
        const int newRow = match[static_cast<std::size_t>(oldRow)];
        if (newRow < 0) {
            difference.removed.push_back(oldRow);
            continue;
        }
        matched[static_cast<std::size_t>(newRow)] = true;
        AppendValueDifferences(oldCars[static_cast<std::size_t>(oldRow)],
                               newCars[static_cast<std::size_t>(newRow)], oldRow, newRow, difference);
    }
    for (int newRow = 0; newRow < Size(newCars); ++newRow) {
        if (!matched[static_cast<std::size_t>(newRow)])
            difference.added.push_back(newRow);
    }
    difference.reordered = Reordered(match);
    AppendBlockDifferences(before, after, difference);
    return difference;
}

std::string StatLabel(int column) {
    return "#" + std::to_string(column) + " " + std::string(StatCatalogue::Instance()[column].StatName);
}

std::string DifferenceText(const FileContents& before, const FileContents& after,
                           const FileDifference& difference) {
    const CarTable& oldCars = *before.Cars;
    const CarTable& newCars = *after.Cars;
    std::string out;
    out.reserve(difference.stats.size() * 48);
    for (const StatDifference& stat : difference.stats) {
        const CarRow& oldCar = oldCars[static_cast<std::size_t>(stat.oldRow)];
        AppendLine(out, {oldCar[0], StatLabel(stat.column), oldCar[stat.column],
                         newCars[static_cast<std::size_t>(stat.newRow)][stat.column]});
    }
    for (const int row : difference.removed)
        AppendLine(out, {oldCars[static_cast<std::size_t>(row)][0], "(removed)"});
    for (const int row : difference.added)
        AppendLine(out, {newCars[static_cast<std::size_t>(row)][0], "(added)"});
    if (difference.reordered)
        AppendLine(out, {"(order of the cars)", "(changed)"});
    for (const DocumentText block : difference.blocks) {
        if (block == DocumentText::Author)
            AppendLine(out, {BlockLabel(block), before.Author, after.Author});
        else
            AppendLine(out, {BlockLabel(block), "(changed)"});
    }
    return out;
}

std::string ValueLinesText(const FileContents& contents) {
    std::string out;
    const auto comments = [&](std::string_view block) {
        for (const char c : block)
            out += c == '\r' ? '\n' : c;
    };
    if (!contents.Author.empty())
        out.append(kAuthorPrefix).append(contents.Author).append("\n");
    comments(contents.BeforeComments);
    std::vector<std::string> labels;
    for (int column = 0; column < kStatCount; ++column)
        labels.push_back(StatLabel(column));
    for (const CarRow& car : *contents.Cars) {
        for (int column = 0; column < kStatCount; ++column)
            AppendLine(out, {car[0], labels[static_cast<std::size_t>(column)], car[column]});
    }
    comments(contents.AfterComments);
    return out;
}

} // namespace kestrix
