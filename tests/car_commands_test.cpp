#include "document/car_commands.h"
#include "document/cars_in.h"

#include "model/car_change.h"
#include "sample_cars.h"
#include "scripted_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

using namespace kestrix;
using test::Table;

namespace {

// "NAME:v1" for each row, or the given columns of one row.
std::string Summary(const CarTable& cars) {
    std::string text;
    for (const CarRow& car : cars)
        text.append(car[0]).append(":").append(car[1]).append(" ");
    return text;
}
std::string Columns(const CarRow& car, std::initializer_list<int> columns) {
    std::string text;
    for (const int column : columns)
        text.append(car[column]).append(" ");
    return text;
}

} // namespace

TEST(Cars, NewCarsTheNamesTheyCannotTakeAndImportsReplacingTheMatchedCarsWholeOrAddingThemWithinTheLimit) {
    using enum NewCarProblem;
    CarTable cars = Table({"OLD 5"});
    // A name already taken is allowed.
    const std::pair<const char*, NewCarProblem> names[] = {
        {" A", Space}, {"MY CAR", Space}, {"A ", Space},          {"\tA B", Space},
        {"", Empty},   {"MY\tCAR", Tab},  {"MY\rCAR", LineBreak}, {"OLD", None}};
    for (const auto& [name, problem] : names)
        EXPECT_EQ(CheckNewCar(cars, name), problem) << name;

    cars.push_back(NewCar(cars, "LOW", NewCarStats::Lowest));
    cars.push_back(NewCar(cars, "HIGH", NewCarStats::Highest, 0));
    EXPECT_EQ(Columns(cars[1], {1, Abs, Flags}) + Columns(cars[2], {1, Abs, Flags}),
              "1 0 0000 50000 1 FFFF ");

    EXPECT_EQ(FirstRowNamed(Table({"a 1", "A 2"}), "A"), 1) << "a name is found by its exact bytes";

    CarTable full(static_cast<std::size_t>(kMaxCars));
    EXPECT_EQ(CheckNewCar(full, "NEW"), NewCarProblem::TooManyCars);

    // An import takes as many cars of a name as the name is chosen, from the first;
    // each replaces the car MatchCars pairs it with, whole, or is added at the end.
    HandlingDocument doc;
    doc.Cars = Table({"A 1 1 1", "B 2 2 2", "A 3 3 3"});
    const CarTable imported = Table({"B 9", "NEW 7", "A 8 8 8", "A 0", "NEW 6"});
    const CarsInResult in = ImportChange(doc, imported, {"A", "B", "NEW", "NEW", "GONE"});
    EXPECT_EQ(in.change.caption, "Import 4 Cars") << "GONE is not in the file";
    DoChange(doc, in.change);
    EXPECT_EQ(Summary(doc.Cars), "A:8 B:9 A:3 NEW:7 NEW:6 ");
    EXPECT_EQ(doc.Cars[1], imported[0]) << "a short line blanks the later values";
    UndoChange(doc, in.change);
    DoChange(doc, ImportChange(doc, imported, {"A", "A"}).change);
    EXPECT_EQ(Summary(doc.Cars), "A:8 B:2 A:0 ") << "where names repeat, every chosen car comes";

    doc.Cars.resize(static_cast<std::size_t>(kMaxCars) - 1);
    EXPECT_EQ(ImportChange(doc, imported, {"B", "NEW", "X"}).refusal, "") << "one new car fits";
}

using CarFiles = test::TempFolderTest;

TEST_F(CarFiles, ImportRefusesFilesWithoutCarLinesNamingThemAndExportWritesChosenCarsInTableOrder) {
    const std::string comments = Write("comments.cfg", "; only\r\n;-# comments\r\n");
    const ImportRead failed = ReadImportFile(comments);
    EXPECT_NE(failed.error.find("\"" + comments + "\": "), std::string::npos) << failed.error;
    EXPECT_TRUE(failed.rows.empty());

    HandlingDocument doc;
    doc.Author = "someone";
    doc.BeforeComments = ";before\r\r";
    doc.AfterComments = ";after\r";
    doc.Cars = Table({"B 1", "A 2", "C 3", "B 4"});
    const std::string blanks(30, ' ');
    const std::string text = ExportText(doc, {"A", "B"});
    EXPECT_EQ(text,
              ";before\r\nB 1 " + blanks + "\r\nA 2 " + blanks + "\r\nB 4 " + blanks + "\r\n;after\r\n");

    const std::string path = Write("export.cfg", text);
    test::ScriptedFiles full;
    full.bytesBeforeWriteFails = 0;
    EXPECT_NE(ExportCars(path, doc, {"C"}, full).find(path), std::string::npos);
    EXPECT_EQ(test::ReadFile(path), text) << "a failed export leaves the file it would replace";
}

TEST(CarChangeTest, KnowsTheValuesBeforeAndAfterAndBulkValuesArePlainDecimals) {
    HandlingDocument doc;
    // A car just past the end still in memory, so that a row one too far reads as a car.
    doc.Cars = Table({"ONE 1500", "TWO 1200", "GONE 1"});
    doc.Cars.pop_back();
    const Change change = ValuesChange(
        doc.Cars, {{0, 1, "1600"}, {1, 1, "1200"}, {1, 1, "1300"}, {0, 1, "1700"}, {2, 1, "9"}, {5, 1, "9"}},
        "Mass");
    EXPECT_EQ(change.cells, (std::vector<CellChange>{{0, 1, "1500", "1700"}, {1, 1, "1200", "1300"}}))
        << "the later of two edits of a cell counts; a row that does not exist is left out";
    EXPECT_TRUE(ValuesChange(doc.Cars, {{0, 1, "1500"}}, "Mass").Empty());

    // A bulk edit writes plain decimals without minus zero, and Set writes what was typed over anything.
    using enum BulkOperation;
    const std::tuple<const char*, BulkOperation, double, const char*> cases[] = {
        {"-3", Multiply, 0, "0"},   {"1", Multiply, 0.000001, "0.000001"},
        {"1e3", Add, 1, "1001"},    {"1", Multiply, 1e-7, "1e-7"},
        {"abc", Set, 1e23, "1e23"}, {"1", Multiply, 1e20, "100000000000000000000"}};
    for (const auto& [text, operation, operand, expected] : cases)
        EXPECT_EQ(BulkValue(text, operation, operand).value, expected) << text << " " << operand;
    EXPECT_EQ(BulkValue("abc", Set, 12.5, "12.50").value, "12.50");
    EXPECT_EQ(BulkValue("12kg", Add, 2).skip, BulkSkip::NotANumber);
}
