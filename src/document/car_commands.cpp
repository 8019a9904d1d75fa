#include "document/car_commands.h"

#include "files/file_read.h"
#include "handling_file/handling_format.h"
#include "model/number.h"
#include "model/stat_catalogue.h"
#include "model/stat_names.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>
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

// The first row of each name. The views point into rows that stay unchanged
// while the index is in use.
using NameIndex = std::unordered_map<std::string_view, int>;

NameIndex FirstRowsByName(const CarTable& rows) {
    NameIndex index;
    index.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        index.try_emplace(rows[i][0], static_cast<int>(i));
    return index;
}

std::string CountText(std::size_t count) {
    return std::to_string(count);
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

CarRow NewCar(const CarTable& cars, std::string_view name, NewCarStats stats, std::string_view copyFrom) {
    int source = -1;
    if (stats == NewCarStats::CopyOf && !cars.empty())
        source = std::max(FirstRowNamed(cars, copyFrom), 0);
    CarRow row = source >= 0 ? cars[static_cast<std::size_t>(source)] : CarRow();
    row.Set(VehicleIdentifier, name);
    if (stats != NewCarStats::CopyOf)
        FillWithLimits(row, stats == NewCarStats::Highest);
    return row;
}

namespace {

std::vector<std::string_view> Cells(std::string_view line) {
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    std::vector<std::string_view> cells;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return cells;
        start = tab + 1;
    }
}

// The n-th car (from 0) named name, as the n-th row of a name in a pasted block.
const CarRow* NthNamed(const CarTable& cars, std::string_view name, int nth) {
    for (const CarRow& car : cars)
        if (car[VehicleIdentifier] == name && nth-- == 0)
            return &car;
    return nullptr;
}

} // namespace

std::string NamedColumnsAsCarLines(std::string_view text, const CarTable& cars) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::vector<std::string_view> header = Cells(text.substr(0, end));
    if (header.size() < 2 || header.size() >= static_cast<std::size_t>(kStatCount) ||
        header[0] != "Vehicle Identifier")
        return {};
    std::vector<int> columns;
    for (std::size_t i = 1; i < header.size(); ++i) {
        const int column = StatNamed(header[i]).column;
        if (column <= VehicleIdentifier)
            return {};
        columns.push_back(column);
    }
    std::map<std::string, int, std::less<>> seen;
    std::string lines;
    for (std::string_view rest = text.substr(std::min(end + 1, text.size())); !rest.empty();) {
        const std::size_t next = std::min(rest.find('\n'), rest.size());
        const std::vector<std::string_view> cells = Cells(rest.substr(0, next));
        rest.remove_prefix(std::min(next + 1, rest.size()));
        if (cells.size() == 1 && cells[0].empty())
            continue;
        const auto blank = [](std::string_view cell) { return cell.empty() || cell.find(' ') != cell.npos; };
        if (cells.size() != header.size() || std::any_of(cells.begin(), cells.end(), blank))
            return {};
        const CarRow* same = NthNamed(cars, cells[0], seen[std::string(cells[0])]++);
        CarRow car = same ? *same : NewCar(cars, cells[0], NewCarStats::Lowest);
        for (std::size_t i = 0; i < columns.size(); ++i)
            car.Set(columns[i], cells[i + 1]);
        for (int column = 0; column < kStatCount; ++column)
            lines.append(car[column]).append(column + 1 < kStatCount ? "\t" : "\n");
    }
    return lines;
}

// Read once; the reader's verdict on the whole file, then its lines as pasted ones.
CarPaste ReadCarPasteFile(const std::string& path, const CarTable& cars) {
    FileRead read = ReadFileBytes(path);
    if (!read.error.empty())
        return CarPaste{{}, {}, std::move(read.error)};
    if (const ParseResult parsed = ParseHandlingText(read.bytes); !parsed.error.empty())
        return CarPaste{{}, {}, FileFailure("Cannot read", path, parsed.error)};
    return ReadCarPaste(read.bytes, cars);
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

MergeResult MergeCars(const CarTable& cars, const CarTable& imported, const std::vector<std::string>& names) {
    MergeResult result;
    const NameIndex sources = FirstRowsByName(imported);
    NameIndex targets = FirstRowsByName(cars);

    // Each target row once, with the imported row it takes.
    std::vector<std::pair<int, int>> plan;
    plan.reserve(names.size());
    std::unordered_set<int> planned;
    int nextRow = static_cast<int>(cars.size());
    for (const std::string& name : names) {
        const auto source = sources.find(name);
        if (source == sources.end())
            continue;
        // A new name is keyed by the caller's text: the appended row does not exist yet.
        const auto [target, added] = targets.try_emplace(name, nextRow);
        if (added)
            result.appendedRows.push_back(nextRow++);
        if (planned.insert(target->second).second)
            plan.emplace_back(target->second, source->second);
    }
    const std::size_t total = cars.size() + result.appendedRows.size();
    if (total > static_cast<std::size_t>(kMaxCars)) {
        result.appendedRows.clear();
        result.error = "Cannot import these cars: the file would hold " + CountText(total) +
                       " cars, and it can hold at most " + CountText(static_cast<std::size_t>(kMaxCars));
        return result;
    }

    std::sort(plan.begin(), plan.end());
    std::vector<CellEdit> edits;
    for (const auto& [target, source] : plan) {
        const CarRow& car = imported[static_cast<std::size_t>(source)];
        if (target >= static_cast<int>(cars.size())) {
            result.change.added.push_back({target, car});
            continue;
        }
        for (int column = 0; column < kStatCount; ++column)
            edits.push_back({target, column, std::string(car[column])});
    }
    result.change.kind = Change::Kind::Import;
    result.change.cells = ValuesChange(cars, edits, {}).cells;
    result.change.caption =
        plan.size() == 1
            ? "Import Car '" + std::string(imported[static_cast<std::size_t>(plan[0].second)][0]) + "'"
            : "Import " + CountText(plan.size()) + " Cars";
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
