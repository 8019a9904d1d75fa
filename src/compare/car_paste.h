#pragma once

#include "model/handling_document.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Car lines that travel through the clipboard: read as a file's lines are
// read, and matched by name with the cars of the open document.
namespace kestrix {

// A line of the pasted text that is a car, or one the reader would refuse.
struct PastedLine {
    std::size_t line = 0;       // counted from 1 in the pasted text
    int car = -1;               // its row in CarPaste::cars; -1: refused
    std::string refusal;        // why the line cannot be read as a car
    int docRow = -1;            // the document's car it replaces; -1: it adds a car
    std::vector<int> differing; // the columns whose values differ from that car's
};

struct CarPaste {
    CarTable cars; // the pasted cars, in their order
    std::vector<PastedLine> lines;
    std::string refusal; // why nothing of the text can be read; then lines is empty
};

// Reads text with the file reader's rules (line ends, comment lines, blanks and
// tabs between values, at most 32 values) plus one allowance: a no-break space
// (byte A0), as text copied from a web page has it, counts as a blank. Lines of
// blanks only are skipped. Cars are matched with the document's cars as --diff
// matches them: the n-th car of a name with the n-th.
CarPaste ReadCarPaste(std::string_view text, const CarTable& cars);

// Whether the text read was car lines rather than a block of cells: every
// line names a car first (a name, not a number) and holds values after it.
bool IsCarLines(const CarPaste& paste);
// A tab-separated block of whole rows under a line of every stat's header, as
// the car table copies them, read as the car lines it holds; other text as it is.
std::string_view WithoutRowHeaders(std::string_view text);

// The car lines of text (a whole file as a save writes it) at these car rows,
// each as the text holds it, ending with CR LF.
std::string CarLinesOf(std::string_view text, const std::vector<int>& rows);

} // namespace kestrix
