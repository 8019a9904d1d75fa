#pragma once

#include "files/file_save.h"
#include "model/handling_document.h"

#include <string>
#include <string_view>
#include <vector>

// The car commands as operations on the document: the windows ask the user,
// these change the cars. The window's car is given by its row; a name from
// another file finds the first row in table order whose name matches exactly.
namespace kestrix {

enum class NewCarStats { Lowest, Highest, CopyOf };

// Why a name cannot become a new car. A name with a tab or a line break would
// come back from the file as another car, and an empty one as a nameless car.
enum class NewCarProblem { None, Space, Empty, Tab, LineBreak, TooManyCars };
// The space comes first: it is the add-car window's own refusal.
NewCarProblem CheckNewCar(const CarTable& cars, std::string_view name);
// The same for a name alone, as a renamed car takes it.
NewCarProblem CheckCarName(std::string_view name);

// The first row whose name equals name exactly, or -1.
int FirstRowNamed(const CarTable& cars, std::string_view name);

// A car named name. Lowest and Highest fill it with the limits of each stat;
// CopyOf takes columns 1 to 31 of the car at row copyFrom, or of row 0 when
// there is no such row.
CarRow NewCar(const CarTable& cars, std::string_view name, NewCarStats stats, int copyFrom = -1);

struct ImportRead {
    CarTable rows;     // one per car line of the file, in file order
    std::string error; // names the path and the reason; empty on success
};
// The car lines of another handling file, read by the same line rules as the
// document; its comments, author and editor lines are left out. Refused when the
// file cannot be read, a car line holds more than 32 values, or there is no car
// line at all.
ImportRead ReadImportFile(const std::string& path);

// What an export holds: the comments and the cars of the table whose name is
// one of names, in table order; no author.
HandlingDocument ExportDocument(const HandlingDocument& doc, const std::vector<std::string>& names);
// The export file: the comments before, the car lines of every row whose name is
// one of names, in table order, and the comments after; none of the editor lines
// a save writes at the top.
std::string ExportText(const HandlingDocument& doc, const std::vector<std::string>& names);
// Writes ExportText to path as safely as a save, once it is found to read
// back as the ExportDocument. Returns an error naming the
// path and the reason, or empty text.
std::string ExportCars(const std::string& path, const HandlingDocument& doc,
                       const std::vector<std::string>& names, FileOperations& files = SystemFiles());

} // namespace kestrix
