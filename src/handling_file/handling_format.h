#pragma once

#include "model/handling_document.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

inline constexpr std::string_view kAuthorPrefix = ";-# File Author : ";
inline constexpr std::string_view kEditorPrefix = ";-#";

enum class LineKind { Car, Author, Editor, Comment };
LineKind ClassifyLine(std::string_view line);

// Splits a car line at blanks and tabs into row; returns how many values the
// line holds, which may be more than the row takes.
int SplitCarLine(std::string_view line, CarRow& row);

// A handling file as read: Author is set only when the file had an author line.
struct ParsedHandlingFile {
    CarTable Cars;
    std::string BeforeComments;
    std::string AfterComments;
    std::optional<std::string> Author;
};

struct ParseResult {
    ParsedHandlingFile file;
    std::string error; // empty when the text was accepted
};

ParseResult ParseHandlingText(std::string_view bytes);
// Replaces cars and comment blocks; keeps Author unless the file names one.
void ApplyToDocument(ParsedHandlingFile&& file, HandlingDocument& doc);

// An empty value with a non-empty one after it in the same car: the line
// cannot hold it, since on reading the later values would move one column left.
struct ValueGap {
    int row;
    int column; // the empty value
};
// The column of the car's first such empty value, or -1 when it has none.
int FirstValueGapColumn(const CarRow& car);
// The first car, in table order, that has a gap.
std::optional<ValueGap> FirstValueGap(const CarTable& cars);

void AppendCarLine(std::string& out, const CarRow& car);
void AppendCommentLines(std::string& out, std::string_view block);
std::string WriteHandlingText(const HandlingDocument& doc);

} // namespace kestrix
