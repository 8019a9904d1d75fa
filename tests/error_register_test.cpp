// The error rows of a car share its name, so that a huge name read from a
// file is kept once instead of once per failing value.
#include "handling_file/handling_format.h"
#include "validation/error_check.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(ErrorRegisterMemory, RowsOfOneCarShareOneCopyOfItsName) {
    const std::string name(1 << 20, 'N');
    const ParseResult parsed = ParseHandlingText(name + " x x\r\nSECOND x\r\n");
    ASSERT_EQ(parsed.error, "");
    ErrorRegister errors;
    ErrorCheck(parsed.file.Cars, errors, NumberFormat{});
    const std::vector<ErrorRecord>& rows = errors.Rows();
    ASSERT_GT(rows.size(), 40u);
    const std::string& first = rows[0].CarString;
    EXPECT_EQ(first, name);
    std::size_t second = 1;
    for (; second < rows.size() && rows[second].CarString.size() == name.size(); ++second)
        EXPECT_EQ(&rows[second].CarString.str(), &first) << "row " << second;
    ASSERT_LT(second, rows.size());
    EXPECT_EQ(rows[second].CarString, "SECOND");
    EXPECT_EQ("car " + rows[second].CarString, "car SECOND") << "still reads as text";

    // Rows added one by one share a name too while it stays the same.
    ErrorRegister added;
    added.AddError(1, name, "one");
    added.AddError(2, name, "two");
    added.AddError(3, "OTHER", "three");
    EXPECT_EQ(&added.Rows()[0].CarString.str(), &added.Rows()[1].CarString.str());
    EXPECT_EQ(added.Rows()[2].CarString, "OTHER");
}

// Splicing a car's rows keeps the register as a whole check leaves it, up to
// the last of its 32767 rows; past that it checks everything anew.
TEST(ErrorRegisterSplice, AtTheCapASpliceThatWouldOverflowChecksEverything) {
    // 1023 empty cars of 32 rows each, then a car of a name alone: 31 rows, 32767 in all.
    CarTable cars = ParseHandlingText(std::string(1023, '\n') + "X\r\n").file.Cars;
    const int last = static_cast<int>(cars.size()) - 1;
    ErrorRegister errors;
    ErrorCheck(cars, errors, NumberFormat{});
    ASSERT_EQ(errors.Rows().size(), 32767u);
    const auto expectWhole = [&](const char* step) {
        ErrorRegister whole;
        ErrorCheck(cars, whole, NumberFormat{});
        ASSERT_EQ(errors.Rows().size(), whole.Rows().size()) << step;
        EXPECT_EQ(errors.LeftOut(), whole.LeftOut()) << step;
        for (std::size_t i = 0; i < whole.Rows().size(); ++i)
            ASSERT_TRUE(errors.Rows()[i].ErrorNumber == whole.Rows()[i].ErrorNumber &&
                        errors.Rows()[i].CarString == whole.Rows()[i].CarString &&
                        errors.Rows()[i].ExplanationString == whole.Rows()[i].ExplanationString)
                << step << ", row " << i;
    };

    cars[0].Set(1, "1500");
    EXPECT_EQ(RecheckCars(cars, {0}, errors, NumberFormat{}), (RowSplice{0, 32, 31}));
    cars[last].Set(1, "1500");
    EXPECT_EQ(RecheckCars(cars, {last}, errors, NumberFormat{}), (RowSplice{32735, 31, 30}));
    expectWhole("two rows fewer");
    cars[0].Set(1, "");
    cars[last].Set(1, "");
    EXPECT_EQ(RecheckCars(cars, {last, 0, last}, errors, NumberFormat{}), (RowSplice{0, 32765, 32767}));
    expectWhole("full again");
    cars[last].Set(0, "");
    EXPECT_EQ(RecheckCars(cars, {last}, errors, NumberFormat{}), (RowSplice{0, 32767, 32767}));
    EXPECT_EQ(errors.LeftOut(), 1);
    expectWhole("one row over");
    cars[last].Set(0, "X");
    EXPECT_EQ(RecheckCars(cars, {last}, errors, NumberFormat{}), (RowSplice{0, 32767, 32767}))
        << "rows left out are not known by car";
    expectWhole("back under");

    // A register not filled car by car from these cars is filled anew.
    ErrorRegister added;
    added.AddError(1, "Y", "made up");
    EXPECT_EQ(RecheckCars(cars, {0}, added, NumberFormat{}), (RowSplice{0, 1, 32767}));
    cars.pop_back();
    EXPECT_EQ(RecheckCars(cars, {0}, errors, NumberFormat{}).first, 0) << "a car went";
}
