#pragma once

#include "compare/car_paste.h"
#include "document/change.h"
#include "model/document_text.h"
#include "model/handling_document.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The one way cars come into the document, whatever brings them: an import,
// pasted car lines, rows under a header, a dropped file, a take from a
// compared file, a resolved merge. Each way finds its cars and which of the
// document's cars they are (MatchCars, the one rule) and hands them to
// CarsInChange, which writes only the values whose bytes differ and checks the
// file's limit of cars, once, with one message.
namespace kestrix {

// A car that comes in: over one of the document's cars, or added at the end.
struct CarIn {
    CarRow car;
    int row = -1;             // the document's car it replaces; -1: it is added
    std::vector<int> columns; // of a replacing car, the values it brings
};

struct CarsIn {
    std::string caption;
    std::vector<CarIn> cars;
    std::vector<int> removed; // rows of the document that go, rising (a merge takes cars away too)
    std::vector<std::pair<DocumentText, std::string>> texts; // comments and author a merge brings
};

struct CarsInResult {
    Change change;       // one step; empty when nothing differs
    std::string refusal; // the car limit's message; the change is then empty
};

CarsInResult CarsInChange(const HandlingDocument& doc, const CarsIn& in);

// Why a file of so many cars cannot be, the one check of the car limit and
// its message: "Cannot take these cars in: the file would hold 32768 cars, and
// a file can hold at most 32767"; empty within the limit. A merged file that
// is written names itself.
std::string CarLimitRefusal(std::size_t cars, std::string_view file = "Cannot take these cars in: the file");

// Every column of a car line: an import replaces a car whole.
std::vector<int> AllColumns();

// Import: for each chosen name, as many of the imported cars of that name as
// the name is chosen, from the first, in the order of the names. Matched with
// the document's cars, each replaces its car whole or is added at the end.
CarsInResult ImportChange(const HandlingDocument& doc, const CarTable& imported,
                          const std::vector<std::string>& names);

// A resolved merge: the document becomes the merged one, with the merge's
// comments and author. A merged car that is one of ours (oursRows: per merged
// car, its row in ours, or -1) stays the document's car that ours' car is,
// matched by the one rule, moved where the merge put it, so that a save
// writes it into its own line (savedRows: per row of the document, its row
// in the saved file, or -1).
CarsInResult MergedChange(const HandlingDocument& doc, const CarTable& ours, const HandlingDocument& merged,
                          const std::vector<int>& oursRows, const std::vector<int>& savedRows);

// A tab-separated block under a header line of "Vehicle Identifier" and some of
// the stats' names, as a spreadsheet gives back columns copied from the car
// table, as pasted cars: matched with the document's cars by name and by the
// named stats' values, each the car it matches with those stats changed; a
// row the document lacks is a new car at each stat's lowest value. Empty
// lines when the text is no such block.
CarPaste NamedColumnsPaste(std::string_view text, const CarTable& cars);

// The car table's paste: rows under a header (NamedColumnsPaste), whole rows
// under every stat's header, or car lines, read as pasted cars.
CarPaste ReadPastedRows(std::string_view text, const CarTable& cars);

// The cars of a handling file, read as File > Open reads it (a file it would
// refuse gives the refusal, naming the file), offered as pasted car lines.
CarPaste ReadCarPasteFile(const std::string& path, const CarTable& cars);

} // namespace kestrix
