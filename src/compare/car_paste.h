#pragma once

#include "model/handling_document.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Car lines that travel through the clipboard: read as a file's lines are
// read, and matched by name with the cars of the open document.
namespace kestrix {

// How a pasted value meets the stored value of its stat. A spreadsheet gives
// values back in its own spelling: a number stat's number equal in value to
// 15 significant digits (SameNumber) is no difference, nor is a Flags value
// equal apart from letter case or the leading zeros a spreadsheet drops ("1"
// for "0001"). Any other Flags value that is not four hexadecimal digits is
// refused: shown, "1" would read as "1000". Text stats compare exactly.
struct PastedValue {
    bool differs = false;
    std::string refusal; // why the value cannot be taken; it then does not differ
};
PastedValue MeetStored(int column, std::string_view stored, std::string_view pasted);
// Why a pasted value cannot be taken where nothing is stored (a new car); empty when it can.
std::string PastedValueRefusal(int column, std::string_view pasted);

// A value of a pasted car that cannot be taken, and why.
struct RefusedValue {
    int column = 0;
    std::string reason;
};

// A line of the pasted text that is a car, or one the reader would refuse.
struct PastedLine {
    std::size_t line = 0;              // counted from 1 in the pasted text
    int car = -1;                      // its row in CarPaste::cars; -1: refused
    std::string refusal;               // why the line cannot be taken as a car
    int docRow = -1;                   // the document's car it replaces; -1: it adds a car
    std::vector<int> differing;        // the columns whose values really differ from that car's (MeetStored)
    std::vector<RefusedValue> refused; // the values of a replacing car that cannot be taken
};

struct CarPaste {
    CarTable cars; // the pasted cars, in their order
    std::vector<PastedLine> lines;
    std::string refusal; // why nothing of the text can be read; then lines is empty
};

// Reads text with the file reader's rules (line ends, comment lines, blanks and
// tabs between values, at most 32 values) plus one allowance: a no-break space
// (byte A0), as text copied from a web page has it, counts as a blank. Lines of
// blanks only are skipped. Cars are matched with the document's cars by
// MatchCars, the one rule. A new car with a value MeetStored refuses is a refused line.
CarPaste ReadCarPaste(std::string_view text, const CarTable& cars);
// What the pasted cars bring to the document's cars they are matched with
// (matches: a row of cars per pasted car, or -1): fills each line's docRow,
// differing and refused values, and refuses a new car with a refused value.
void MeetDocument(CarPaste& paste, const std::vector<int>& matches, const CarTable& cars);

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
