// Strict checks add findings and never change the standard ones: --check
// --strict prints exactly what --check prints, then the strict rows; in the
// register each car's strict rows follow its own, and a commit that judges
// only the changed cars again leaves what a whole strict check leaves.
#include "app/command_line.h"
#include "captured_output.h"
#include "handling_file/handling_format.h"
#include "sample_cars.h"
#include "temp_folder.h"
#include "validation/error_check.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;

namespace {

test::Printed Check(const std::string& path, CheckRules rules) {
    return test::Capture([&](std::FILE* out, std::FILE* err) {
        return CheckHandlingFile(path, NumberFormat{}, out, err, rules);
    });
}

std::vector<std::string> Lines(const ErrorRegister& errors) {
    std::vector<std::string> lines;
    for (const ErrorRecord& row : errors.Rows())
        lines.push_back(FirstCellText(row.ErrorNumber) + "\t" + row.CarString + "\t" + row.ExplanationString);
    return lines;
}

// A car line whose drive, engine, ABS, flags, lights and gears are picked
// from values the game reads as meant and values it does not.
std::string RandomCarLine(std::mt19937& random, int i) {
    const auto pick = [&](std::vector<std::string> from) { return from[random() % from.size()]; };
    std::string line =
        test::CarLine("CAR" + std::to_string(i), "1500",
                      pick({"F", "R", "4", "r", "FR", "X"}) + " " + pick({"P", "D", "E", "p", "Q"}) + " " +
                          pick({"0", "1", "0.5", "2", "-1", "y", "1.0"}) + " " +
                          pick({"2001", "00Ff", "20G1", "2001x", "12345", "0", "z"}) + " " +
                          pick({"0", "3", "3.5", "4", "a"}) + " " + pick({"1", "2.0", "9"}));
    const std::string gears = pick({"5", "4.5", "1e0", "x", "0"});
    return line.replace(line.find(" 5 200 "), 3, " " + gears + " ");
}

} // namespace

class StrictCheck : public test::TempFolderTest {};

TEST_F(StrictCheck, NamesWhatTheGameWouldNotReadAsMeantAfterTheStandardRows) {
    std::string line = test::CarLine("ODD", "16OO", "X Q 0.5 20G1 7 2.0");
    line.replace(line.find(" 5 200 "), 3, " 4.5 ");
    const std::string path = Write("odd.cfg", test::CarLine("FINE") + "\r\n" + line + "\r\n");

    const test::Printed standard = Check(path, CheckRules::Standard);
    EXPECT_EQ(standard.out, "#1\tODD\t16OO is not a valid number.\n");
    const test::Printed strict = Check(path, CheckRules::Strict);
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.out, standard.out +
                              "#12\tODD\t4.5 is not a whole number.\n"
                              "#15\tODD\tX is not a drive type; the game reads F, R or 4.\n"
                              "#16\tODD\tQ is not an engine type; the game reads P, D or E.\n"
                              "#19\tODD\t0.5 is not a whole number.\n"
                              "#29\tODD\t20G1 has a flag digit that is not hexadecimal (0 to 9, A to F).\n"
                              "#30\tODD\t7 is not one of the values 0 to 3.\n");

    // A file clean to the standard check but not to the strict one.
    const std::string clean = Write("clean.cfg", test::CarLine("LOWER", "1500", "r P 1 2001 1 1") + "\r\n");
    EXPECT_EQ(Check(clean, CheckRules::Standard), (test::Printed{0, "", ""}));
    EXPECT_EQ(Check(clean, CheckRules::Strict),
              (test::Printed{1, "#15\tLOWER\tr is not a drive type; the game reads F, R or 4.\n", ""}));

    // The command line takes --strict after --check only, before "--".
    const auto run = [](std::vector<std::string> args) {
        return test::Capture(
            [&](std::FILE* out, std::FILE* err) { return *RunCommandLineMode(args, out, err); });
    };
    EXPECT_EQ(run({"--check", "--strict", "--", clean}).status, 1);
    EXPECT_EQ(run({"--check", clean}).status, 0);
    EXPECT_EQ(run({"--resave", "--strict", clean, Path("out.cfg")}).status, 2);
    EXPECT_EQ(run({"--check", "--keep-layout", clean}).status, 2);
}

TEST_F(StrictCheck, RandomFilesKeepTheStandardRowsAndEveryCommitMatchesAWholeCheck) {
    std::mt19937 random(17);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        CarTable cars;
        for (int i = static_cast<int>(random() % 8); i > 0; --i)
            text += RandomCarLine(random, i) + "\r\n";
        cars = ParseHandlingText(text).file.Cars;
        const std::string path = Write("random.cfg", text);
        const test::Printed standard = Check(path, CheckRules::Standard);
        const test::Printed strict = Check(path, CheckRules::Strict);
        ASSERT_TRUE(strict.out.starts_with(standard.out)) << text;

        // In the register, each car's strict rows follow its standard ones.
        ErrorRegister both;
        ErrorCheck(cars, both, NumberFormat{}, CheckRules::Strict);
        std::vector<std::string> expected;
        std::string standardRows, strictRows;
        for (const CarRow& car : cars) {
            ErrorRegister one, strictOnly;
            ErrorCheck({car}, one, NumberFormat{});
            CarValues values;
            for (int column = 0; column < kStatCount; ++column)
                values[static_cast<std::size_t>(column)] = car[column];
            StrictCheckCar(values, strictOnly, NumberFormat{});
            for (const std::string& row : Lines(one))
                standardRows += row + "\n";
            for (const std::string& row : Lines(strictOnly))
                strictRows += row + "\n";
            StrictCheckCar(values, one, NumberFormat{});
            const std::vector<std::string> rows = Lines(one);
            expected.insert(expected.end(), rows.begin(), rows.end());
        }
        ASSERT_EQ(Lines(both), expected);
        EXPECT_EQ(standard.out, standardRows);
        EXPECT_EQ(strict.out, standardRows + strictRows) << "the standard rows, then the strict ones";

        // Edits judged car by car end as a whole strict check.
        for (int edit = 0; edit < 5 && !cars.empty(); ++edit) {
            const std::size_t car = random() % cars.size();
            const CarRow fresh = ParseHandlingText(RandomCarLine(random, 99)).file.Cars[0];
            for (const int column : {12, 15, 16, 19, 29, 30, 31})
                cars[car].Set(column, fresh[column]);
            RecheckCars(cars, {static_cast<int>(car)}, both, NumberFormat{}, CheckRules::Strict);
            ErrorRegister whole;
            ErrorCheck(cars, whole, NumberFormat{}, CheckRules::Strict);
            ASSERT_EQ(Lines(both), Lines(whole));
        }
    }
}
