#include "document/car_commands.h"

#include "files/file_read.h"
#include "handling_file/handling_format.h"
#include "model/number.h"
#include "model/stat_catalogue.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace kestrix {

namespace {

// The value a new car gets in a text column: the first choice, or a box or
// every flag ticked for the highest values and unticked for the lowest.
std::string TextColumnValue(int column, bool highest) {
    const StatDescription& stat = DescriptionOf(column);
    switch (stat.control) {
    case StatControlKind::ChoiceList:
        return StoredEntry(stat, 0);
    case StatControlKind::CheckBox:
        return StoredEntry(stat, highest ? 1 : 0);
    case StatControlKind::Flags: {
        FlagTicks ticks{};
        ticks.fill(highest);
        return EncodeFlags(ticks);
    }
    case StatControlKind::Field:
        break;
    }
    return {};
}

void FillWithLimits(CarRow& row, bool highest) {
    const StatCatalogue& catalogue = StatCatalogue::Instance();
    for (int column = 1; column < kStatCount; ++column) {
        const StatDef& def = catalogue[column];
        if (def.IsText)
            row.Set(column, TextColumnValue(column, highest));
        else
            row.Set(column, PlainDecimal(highest ? static_cast<double>(def.Maximum) : def.Minimum));
    }
}

} // namespace

NewCarProblem CheckNewCar(const CarTable& cars, std::string_view name) {
    if (const NewCarProblem problem = CheckCarName(name); problem != NewCarProblem::None)
        return problem;
    if (cars.size() >= static_cast<std::size_t>(kMaxCars))
        return NewCarProblem::TooManyCars;
    return NewCarProblem::None;
}

NewCarProblem CheckCarName(std::string_view name) {
    if (name.find(' ') != std::string_view::npos)
        return NewCarProblem::Space;
    if (name.empty())
        return NewCarProblem::Empty;
    if (name.find('\t') != std::string_view::npos)
        return NewCarProblem::Tab;
    if (name.find_first_of("\r\n") != std::string_view::npos)
        return NewCarProblem::LineBreak;
    return NewCarProblem::None;
}

int FirstRowNamed(const CarTable& cars, std::string_view name) {
    for (std::size_t i = 0; i < cars.size(); ++i) {
        if (cars[i][0] == name)
            return static_cast<int>(i);
    }
    return -1;
}

CarRow NewCar(const CarTable& cars, std::string_view name, NewCarStats stats, int copyFrom) {
    int source = -1;
    if (stats == NewCarStats::CopyOf && !cars.empty())
        source = copyFrom >= 0 && copyFrom < static_cast<int>(cars.size()) ? copyFrom : 0;
    CarRow row = source >= 0 ? cars[static_cast<std::size_t>(source)] : CarRow();
    row.Set(VehicleIdentifier, name);
    if (stats != NewCarStats::CopyOf)
        FillWithLimits(row, stats == NewCarStats::Highest);
    return row;
}

ImportRead ReadImportFile(const std::string& path) {
    HandlingFileRead read = ReadHandlingFile(path);
    ImportRead result;
    if (!read.error.empty())
        result.error = std::move(read.error);
    else if (read.file.Cars.empty())
        result.error = "Cannot read \"" + path + "\": the file holds no car line";
    else
        result.rows = std::move(read.file.Cars);
    return result;
}

HandlingDocument ExportDocument(const HandlingDocument& doc, const std::vector<std::string>& names) {
    const std::unordered_set<std::string_view> chosen(names.begin(), names.end());
    HandlingDocument out;
    out.BeforeComments = doc.BeforeComments;
    out.AfterComments = doc.AfterComments;
    for (const CarRow& car : doc.Cars) {
        if (chosen.contains(car[0]))
            out.Cars.push_back(car);
    }
    return out;
}

namespace {

std::string ExportedText(const HandlingDocument& exported) {
    std::string out;
    AppendCommentLines(out, exported.BeforeComments);
    for (const CarRow& car : exported.Cars)
        AppendCarLine(out, car);
    AppendCommentLines(out, exported.AfterComments);
    return out;
}

} // namespace

std::string ExportText(const HandlingDocument& doc, const std::vector<std::string>& names) {
    return ExportedText(ExportDocument(doc, names));
}

std::string ExportCars(const std::string& path, const HandlingDocument& doc,
                       const std::vector<std::string>& names, FileOperations& files) {
    const HandlingDocument exported = ExportDocument(doc, names);
    return ReplaceFileContents(path, ExportedText(exported), {.readsBackAs = &exported, .files = &files});
}

} // namespace kestrix
