#include "document/cars_in.h"

#include "compare/car_match.h"
#include "document/car_commands.h"
#include "files/file_read.h"
#include "handling_file/handling_format.h"
#include "model/stat_names.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace kestrix {

std::string CarLimitRefusal(std::size_t cars, std::string_view file) {
    if (cars <= static_cast<std::size_t>(kMaxCars))
        return {};
    return std::string(file) + " would hold " + std::to_string(cars) + " cars, and a file can hold at most " +
           std::to_string(kMaxCars);
}

std::vector<int> AllColumns() {
    std::vector<int> columns(kStatCount);
    std::iota(columns.begin(), columns.end(), 0);
    return columns;
}

CarsInResult CarsInChange(const HandlingDocument& doc, const CarsIn& in) {
    const CarTable& cars = doc.Cars;
    const auto added = static_cast<std::size_t>(
        std::count_if(in.cars.begin(), in.cars.end(), [](const CarIn& car) { return car.row < 0; }));
    const std::size_t kept = cars.size() - in.removed.size();
    if (std::string refusal = CarLimitRefusal(kept + added); !refusal.empty())
        return {{}, std::move(refusal)};
    Change change = TextsChange(doc, in.texts, in.caption);
    for (const CarIn& car : in.cars) {
        if (car.row < 0)
            continue;
        const CarRow& now = cars[static_cast<std::size_t>(car.row)];
        for (const int column : car.columns)
            if (car.car[column] != now[column])
                change.cells.push_back(
                    {car.row, column, std::string(now[column]), std::string(car.car[column])});
    }
    for (const int row : in.removed)
        change.removed.push_back({row, cars[static_cast<std::size_t>(row)]});
    for (const CarIn& car : in.cars)
        if (car.row < 0)
            change.added.push_back({static_cast<int>(kept + change.added.size()), car.car});
    change.kind = change.ChangesRows() ? Change::Kind::Import : Change::Kind::Values;
    return {std::move(change), {}};
}

CarsInResult ImportChange(const HandlingDocument& doc, const CarTable& imported,
                          const std::vector<std::string>& names) {
    std::unordered_map<std::string_view, std::vector<int>> rowsOf;
    for (std::size_t row = 0; row < imported.size(); ++row)
        rowsOf[imported[row][VehicleIdentifier]].push_back(static_cast<int>(row));
    std::unordered_map<std::string_view, std::size_t> taken;
    CarTable coming;
    for (const std::string& name : names) {
        const auto rows = rowsOf.find(name);
        if (rows == rowsOf.end())
            continue; // a name the import does not hold is passed over
        if (std::size_t& next = taken[rows->first]; next < rows->second.size())
            coming.push_back(imported[static_cast<std::size_t>(rows->second[next++])]);
    }
    const std::vector<int> matches = MatchCars(coming, doc.Cars);
    CarsIn in;
    in.caption = coming.size() == 1 ? "Import Car '" + std::string(coming[0][VehicleIdentifier]) + "'"
                                    : "Import " + std::to_string(coming.size()) + " Cars";
    for (std::size_t i = 0; i < coming.size(); ++i)
        in.cars.push_back({coming[i], matches[i], AllColumns()});
    return CarsInChange(doc, in);
}

CarsInResult MergedChange(const HandlingDocument& doc, const CarTable& ours, const HandlingDocument& merged,
                          const std::vector<int>& oursRows, const std::vector<int>& savedRows) {
    if (std::string refusal = CarLimitRefusal(merged.Cars.size()); !refusal.empty())
        return {{}, std::move(refusal)};
    const std::vector<int> oursInDocument = MatchCars(ours, doc.Cars);
    std::vector<int> origins;
    origins.reserve(oursRows.size());
    for (const int row : oursRows)
        origins.push_back(row >= 0 ? oursInDocument[static_cast<std::size_t>(row)] : -1);
    return {ReplacementChange(doc, merged, origins, savedRows, "Resolve Merge"), {}};
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

// The stats a header line names after "Vehicle Identifier"; empty when it is no such line.
std::vector<int> NamedColumns(std::string_view line) {
    const std::vector<std::string_view> header = Cells(line);
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
    return columns;
}

// The names and the named stats of the cars, the others empty: what rows under a header can be matched by.
CarTable OnlyColumns(const CarTable& cars, const std::vector<int>& columns) {
    CarTable shown(cars.size());
    for (std::size_t row = 0; row < cars.size(); ++row) {
        shown[row].Set(VehicleIdentifier, cars[row][VehicleIdentifier]);
        for (const int column : columns)
            shown[row].Set(column, cars[row][column]);
    }
    return shown;
}

} // namespace

CarPaste NamedColumnsPaste(std::string_view text, const CarTable& cars) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::vector<int> columns = NamedColumns(text.substr(0, end));
    if (columns.empty())
        return {};
    CarPaste paste;
    CarTable named;
    std::size_t number = 1;
    for (std::string_view rest = text.substr(std::min(end + 1, text.size())); !rest.empty();) {
        const std::size_t next = std::min(rest.find('\n'), rest.size());
        const std::vector<std::string_view> cells = Cells(rest.substr(0, next));
        rest.remove_prefix(std::min(next + 1, rest.size()));
        ++number;
        if (cells.size() == 1 && cells[0].empty())
            continue;
        const auto blank = [](std::string_view cell) { return cell.empty() || cell.find(' ') != cell.npos; };
        if (cells.size() != columns.size() + 1 || std::any_of(cells.begin(), cells.end(), blank))
            return {};
        CarRow& row = named.emplace_back();
        row.Set(VehicleIdentifier, cells[0]);
        for (std::size_t i = 0; i < columns.size(); ++i)
            row.Set(columns[i], cells[i + 1]);
        PastedLine& line = paste.lines.emplace_back();
        line.line = number;
        line.car = static_cast<int>(paste.cars.size());
        paste.cars.push_back(row);
    }
    const std::vector<int> matches = MatchCars(named, OnlyColumns(cars, columns));
    for (std::size_t i = 0; i < named.size(); ++i) {
        CarRow& car = paste.cars[i];
        car = matches[i] >= 0 ? cars[static_cast<std::size_t>(matches[i])]
                              : NewCar(cars, named[i][VehicleIdentifier], NewCarStats::Lowest);
        for (const int column : columns)
            car.Set(column, named[i][column]);
    }
    MeetDocument(paste, matches, cars);
    return paste;
}

CarPaste ReadPastedRows(std::string_view text, const CarTable& cars) {
    CarPaste named = NamedColumnsPaste(text, cars);
    return named.lines.empty() ? ReadCarPaste(WithoutRowHeaders(text), cars) : named;
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

} // namespace kestrix
