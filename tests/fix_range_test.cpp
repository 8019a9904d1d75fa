#include "captured_output.h"
#include "document/file_session.h"
#include "files/file_read.h"
#include "handling_file/handling_format.h"
#include "model/stat_catalogue.h"
#include "sample_cars.h"
#include "temp_folder.h"
#include "validation/range_fix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <tuple>

using namespace kestrix;

namespace {

// Values that pass, fail by a little or a lot, have decimals where the game
// reads whole numbers, or are no number at all.
const std::vector<std::string> kValues{"0",   "1",     "3",      "7",     "0.3",  "2.5",  "-0.4",  "400",
                                       "1e3", "1e999", "-1e999", "60000", "0.05", "16OO", "",      "1,5",
                                       "r",   "R",     "e",      "x",     "abcd", "XYZ!", "12345", "-12.50"};

CarTable RandomCars(std::mt19937& random) {
    CarTable cars(random() % 6);
    for (std::size_t row = 0; row < cars.size(); ++row)
        for (int column = 0; column < kStatCount; ++column)
            cars[row].Set(column, column == 0 && random() % 4 ? "CAR" + std::to_string(row)
                                                              : kValues[random() % kValues.size()]);
    return cars;
}

using Finding = std::tuple<int, int, std::string>;

std::vector<Finding> Left(const std::vector<RangeFix>& fixes, const CarTable& cars,
                          const NumberFormat& format, CheckRules rules) {
    std::vector<Finding> left;
    for (const RangeFix& fix : fixes)
        if (!fix.Fixable())
            left.emplace_back(fix.row, fix.column, FindingMessage(fix, cars, format, rules));
    return left;
}

} // namespace

TEST(RangeFix, AfterEveryRepairOnlyTheFindingsWithoutOneAreLeftAndRepairsKeepTheValuesStyle) {
    std::mt19937 random(27);
    const NumberFormat formats[] = {{}, {",", "."}};
    for (int i = 0; i < 3000; ++i) {
        CarTable cars = RandomCars(random);
        const NumberFormat& format = formats[i % 2];
        const CheckRules rules = i % 3 ? CheckRules::Strict : CheckRules::Standard;
        const std::vector<RangeFix> fixes = RangeFixes(cars, format, rules);
        const std::vector<Finding> left = Left(fixes, cars, format, rules);
        ErrorRegister errors;
        ErrorCheck(cars, errors, format, rules);
        ASSERT_EQ(fixes.size(), errors.Rows().size()) << "every row of the error list, and no other";
        for (std::size_t f = 0; f < fixes.size(); ++f) {
            ASSERT_EQ(FindingMessage(fixes[f], cars, format, rules), errors.Rows()[f].ExplanationString);
            const StatDef& def = StatCatalogue::Instance()[fixes[f].column];
            if (fixes[f].Fixable() && !def.IsText && !ReadsWholeNumber(fixes[f].column)) {
                const double fixed = *PlainNumber(fixes[f].fixed);
                ASSERT_TRUE(fixed == def.Minimum || fixed == def.Maximum) << fixes[f].fixed;
            }
        }
        for (const CellEdit& edit : FixEdits(fixes, std::vector<bool>(fixes.size(), true)))
            cars[static_cast<std::size_t>(edit.row)].Set(edit.column, edit.value);
        const std::vector<RangeFix> after = RangeFixes(cars, format, rules);
        ASSERT_EQ(Left(after, cars, format, rules), left) << "try " << i;
        ASSERT_EQ(after.size(), left.size()) << "try " << i;
    }

    CarRow car;
    SplitCarLine("RAVEN 0.30 2 4 1.5 0 0 0 80 0.30 0.8 0.5 6.5 400.0 20 r e 8 0.5 7 30 2 0.1 0.2 1 20000 0.2 "
                 "-0.2 0.5 XYZ! 2.6 -2",
                 car);
    std::vector<std::string> found;
    for (const RangeFix& fix : RangeFixes({car}, {}, CheckRules::Strict))
        found.push_back(std::to_string(fix.column) + " " + fix.fixed + (fix.strict ? " strict" : ""));
    EXPECT_EQ(found, (std::vector<std::string>{"1 1.00", "9 0.50", "12 5", "13 300.0", "12 5 strict",
                                               "15 R strict", "16 E strict", "19 1 strict", "29  strict",
                                               "30 3 strict", "31 0 strict"}));
}

class FixRangeCommand : public test::TempFolderTest {};

// The sample's two values out of range are fixed, in the file or beside it;
// the value that is no number is left and named, so the exit status is 1.
TEST_F(FixRangeCommand, WritesTheRepairsIntoTheFilesLinesSaysWhichItLeftAndWritesWhatTheEditorWrites) {
    const std::string sample = ReadFileBytes(KESTRIX_EXAMPLES "/Handling.cfg").bytes;
    const std::string in = Write("Handling.cfg", sample);
    const std::string out = Path("Fixed.cfg");
    const test::Printed printed = test::RunKestrix({"--fix-range", "-o", out, in});
    EXPECT_EQ(printed.status, 1);
    EXPECT_EQ(printed.out, "JUNIPER\t#9 Traction Multiplier\t0.3\t0.5\n"
                           "ZEPHYR_RACER\t#13 Max Velocity\t400\t300\n");
    EXPECT_EQ(ReadFileBytes(in).bytes, sample);

    EXPECT_EQ(test::RunKestrix({"--fix-range", "--", in}).status, 1);
    EXPECT_EQ(ReadFileBytes(in).bytes, ReadFileBytes(out).bytes) << "FILE itself, without -o";
    EXPECT_EQ(ReadFileBytes(in + ".bak").bytes, sample) << "the file it replaced is kept";

    const std::string clean = Write("Clean.cfg", test::CarLine("DOVE", "1500", "r P 1 2001 1 1") + "\r\n");
    EXPECT_EQ(test::RunKestrix({"--fix-range", clean}), (test::Printed{0, "", ""}));
    EXPECT_FALSE(std::filesystem::exists(clean + ".bak")) << "a file with nothing to fix is not written";
    EXPECT_EQ(test::RunKestrix({"--fix-range", "--strict", clean}).out, "DOVE\t#15 Drive Type\tr\tR\n");

    const test::Printed unwritable = test::RunKestrix({"--fix-range", "-o", Path("no/such/folder.cfg"), in});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_EQ(unwritable.out, "") << "nothing is said fixed that was not written";

    // The command writes what the editor's Fix window, every repair ticked, and a
    // save keeping the layout write: the same step, by the same applier, into the
    // file's own lines, whatever their blanks, line ends and comments.
    std::mt19937 random(31);
    const char* const blanks[] = {" ", "\t", "   ", " \t "};
    for (int i = 0; i < 60; ++i) {
        std::string text = i == 0 ? sample : "; mod\n";
        for (const CarRow& car : i == 0 ? CarTable() : RandomCars(random)) {
            for (int column = 0; column < kStatCount; ++column)
                text += std::string(car[column]) + blanks[random() % 4];
            text += random() % 2 ? "\r\n" : "\n";
        }
        const std::string in = Write("In.cfg", text);
        const test::Printed printed = test::RunKestrix({"--fix-range", "-o", Path("Command.cfg"), in});
        Document doc;
        FileSession session(doc);
        ASSERT_TRUE(session.Read(in, false).Done());
        const std::vector<RangeFix> fixes = RangeFixes(doc.Cars(), doc.Numbers(), CheckRules::Standard);
        doc.Commit(RangeFixChange(doc.Cars(), fixes, std::vector<bool>(fixes.size(), true)));
        const bool saved = session.Save(Path("Editor.cfg"), {.keepLayout = true, .keepBackup = false}).Done();
        EXPECT_EQ(printed.status == 2, !saved) << text;
        EXPECT_EQ(ReadFileBytes(Path("Command.cfg")).bytes, ReadFileBytes(Path("Editor.cfg")).bytes) << text;
        std::filesystem::remove(Path("Command.cfg"));
        std::filesystem::remove(Path("Editor.cfg"));
    }
}
