#include "document/car_commands.h"
#include "handling_file/handling_format.h"
#include "sample_cars.h"
#include "validation/error_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <clocale>

using namespace kestrix;

namespace {

// A car that passes every check, strict or not: every value at its highest.
CarRow ValidCar(std::string_view name) {
    return NewCar({}, name, NewCarStats::Highest);
}

std::vector<std::string> Rows(const CarTable& cars, const NumberFormat& format = {},
                              CheckRules rules = CheckRules::Standard) {
    ErrorRegister errors;
    ErrorCheck(cars, errors, format, rules);
    return test::ErrorLines(errors.Rows());
}

} // namespace

TEST(Validation, ADecimalCommaIsTakenUnderARealCommaLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* const names[] = {"fr_FR.UTF-8", "fr_FR.utf8", "de_DE.UTF-8", "de_DE.utf8", "fr_FR", "de_DE"};
    if (std::ranges::none_of(names, [](const char* name) { return std::setlocale(LC_NUMERIC, name); }))
        GTEST_SKIP() << "no locale with a decimal comma is installed here";
    const NumberFormat local = NumberFormat::FromCurrentLocale();
    std::setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_EQ(local.decimal, ",");
    CarRow car = ValidCar("CAR");
    car.Set(9, "0,5");
    // A number under the locale, though its value ends at the comma, as the game reads it.
    EXPECT_EQ(Rows({car}, local), std::vector<std::string>{"#9|CAR|0,5 is smaller than minimum value 0.5."});
}

TEST(Validation, BoundsAreInclusiveRowsComeCarByCarAndColumnByColumnAndStrictChoicesTakeTheirListsEntries) {
    const CarRow lowest = NewCar({}, "LOWEST", NewCarStats::Lowest);
    EXPECT_EQ(Rows({lowest, ValidCar("HIGHEST")}, {}, CheckRules::Strict), std::vector<std::string>{});

    // Just past a bound, where it is negative or has decimals.
    CarRow outside = ValidCar("CAR");
    outside.Set(5, "-10.5");
    outside.Set(13, "300.0001");
    EXPECT_EQ(Rows({outside}),
              (std::vector<std::string>{"#5|CAR|-10.5 is smaller than minimum value -10.",
                                        "#13|CAR|300.0001 is larger than maximum value 300."}));

    CarTable cars{ValidCar("FIRST"), ValidCar("ABCDEFGHIJKLMNO"), CarRow{}};
    cars[0].Set(29, "0000F");
    cars[0].Set(3, "abc");
    cars[1].Set(15, std::string(100, 'x'));
    cars[1].Set(29, "FFFF");
    const std::vector<std::string> rows = Rows(cars);
    ASSERT_EQ(rows.size(), 2u + 1u + 25u + 7u);
    EXPECT_EQ(rows[0], "#3|FIRST|abc is not a valid number.");
    EXPECT_EQ(rows[1], "#29|FIRST|0000F is longer than maximum length 4.");
    EXPECT_EQ(rows[2], "#0|ABCDEFGHIJKLMNO|ABCDEFGHIJKLMNO is longer than maximum length 14.");
    EXPECT_EQ(rows[4], "#1|| is not a valid number.") << "an empty number is no number";

    // Under strict checks a choice holds what one of the entries of its list
    // stores: a letter in the other case, or the number past the last entry, is reported.
    for (const int column : {DriveType, EngineType, Abs, FrontLights, RearLights}) {
        const StatDescription& stat = DescriptionOf(column);
        const auto strictRows = [column](const std::string& value) {
            CarRow car = ValidCar("CAR");
            car.Set(column, value);
            return Rows({car}, {}, CheckRules::Strict).size();
        };
        std::vector<std::string> refused = {"-1", std::to_string(EntryCount(stat))};
        for (int entry = 0; entry < EntryCount(stat); ++entry) {
            const std::string stored = StoredEntry(stat, entry);
            EXPECT_EQ(strictRows(stored), 0u) << stat.def.StatName << " " << stored;
            if (std::isupper(stored[0]))
                refused.push_back(std::string(1, static_cast<char>(std::tolower(stored[0]))));
        }
        for (const std::string& value : refused)
            EXPECT_EQ(strictRows(value), 1u) << stat.def.StatName << " " << value;
    }
}

// The error rows of a car share its name, so that a huge name read from a
// file is kept once instead of once per failing value.
TEST(ErrorRegister, RowsOfOneCarShareOneCopyOfItsNameAndAtTheCapASpliceThatWouldOverflowChecksEverything) {
    const std::string name(1 << 20, 'N');
    const ParseResult parsed = ParseHandlingText(name + " x x\r\nSECOND x\r\n");
    ErrorRegister checked, added;
    ErrorCheck(parsed.file.Cars, checked, {});
    added.AddError(1, name, "one"); // rows added one by one share a name too while it stays the same
    added.AddError(2, name, "two");
    added.AddError(3, "OTHER", "three");
    for (const ErrorRegister* rows : {&checked, &added}) {
        const std::string& first = rows->Rows()[0].CarString;
        ASSERT_EQ(first, name);
        std::size_t second = 1;
        for (; second < rows->Rows().size() && rows->Rows()[second].CarString.size() == name.size(); ++second)
            EXPECT_EQ(&rows->Rows()[second].CarString.str(), &first) << "row " << second;
        EXPECT_EQ("car " + rows->Rows().at(second).CarString, rows == &checked ? "car SECOND" : "car OTHER");
    }

    // Splicing a car's rows keeps the register as a whole check leaves it, up to
    // the last of its 32767 rows; past that it checks everything anew.
    // 1023 empty cars of 32 rows each, then a car of a name alone: 31 rows, 32767 in all.
    CarTable cars = ParseHandlingText(std::string(1023, '\n') + "X\r\n").file.Cars;
    const int last = static_cast<int>(cars.size()) - 1;
    ErrorRegister errors;
    ErrorCheck(cars, errors, {});
    const auto recheck = [&](std::vector<int> changed, const char* step) {
        const RowSplice splice = RecheckCars(cars, std::move(changed), errors, {});
        ErrorRegister whole;
        ErrorCheck(cars, whole, {});
        EXPECT_EQ(errors.LeftOut(), whole.LeftOut()) << step;
        EXPECT_TRUE(test::ErrorLines(errors.Rows()) == test::ErrorLines(whole.Rows())) << step;
        return splice;
    };

    cars[0].Set(1, "1500");
    EXPECT_EQ(recheck({0}, "first car"), (RowSplice{0, 32, 31}));
    cars[last].Set(1, "1500");
    EXPECT_EQ(recheck({last}, "two rows fewer"), (RowSplice{32735, 31, 30}));
    cars[0].Set(1, "");
    cars[last].Set(1, "");
    EXPECT_EQ(recheck({last, 0, last}, "full again"), (RowSplice{0, 32765, 32767}));
    cars[last].Set(0, "");
    EXPECT_EQ(recheck({last}, "one row over"), (RowSplice{0, 32767, 32767}));
    EXPECT_EQ(errors.LeftOut(), 1);
    cars[last].Set(0, "X");
    EXPECT_EQ(recheck({last}, "back under"), (RowSplice{0, 32767, 32767}))
        << "rows left out are not known by car";

    // A register not filled car by car from these cars is filled anew.
    ErrorRegister madeUp;
    madeUp.AddError(1, "Y", "made up");
    EXPECT_EQ(RecheckCars(cars, {0}, madeUp, {}), (RowSplice{0, 1, 32767}));
    cars.pop_back();
    EXPECT_EQ(RecheckCars(cars, {0}, errors, {}).first, 0) << "a car went";
}
