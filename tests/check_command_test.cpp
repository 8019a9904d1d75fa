// --check judges each car as the reader hands it over; the editor reads the
// whole file into a table and checks that. For any file and any separators
// both must print the same lines, the same refusal and the same status.
// Strict checks add findings and never change the standard ones.
#include "app/command_line.h"
#include "captured_output.h"
#include "files/file_read.h"
#include "sample_cars.h"
#include "temp_folder.h"
#include "validation/error_check.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;
using test::Printed;

namespace {

Printed FastCheck(const std::string& path, const NumberFormat& format,
                  CheckRules rules = CheckRules::Standard) {
    return test::Capture([&](std::FILE* out, std::FILE* err) {
        return CheckHandlingFile(path, format, Output(out), err, rules);
    });
}

// The whole file read first, then parsed into a table, checked and printed.
Printed PlainCheck(const std::string& path, const NumberFormat& format) {
    const FileRead read = ReadFileBytes(path);
    const ParseResult parsed = ParseHandlingText(read.bytes);
    if (!read.error.empty() || !parsed.error.empty())
        return {2, "",
                "kestrix: " +
                    (read.error.empty() ? "Cannot read \"" + path + "\": " + parsed.error : read.error) +
                    "\n"};
    ErrorRegister errors;
    ErrorCheck(parsed.file.Cars, errors, format);
    Printed printed{errors.Rows().empty() ? 0 : 1, "", ""};
    for (const ErrorRecord& row : errors.Rows())
        printed.out +=
            FirstCellText(row.ErrorNumber) + "\t" + row.CarString + "\t" + row.ExplanationString + "\n";
    if (errors.LeftOut() > 0)
        printed.err = "kestrix: " + std::to_string(errors.LeftOut()) +
                      " more errors were left out; the list holds 32767\n";
    return printed;
}

// The last two are separators no locale has, beginning with the decimal point.
const std::vector<NumberFormat> kFormats{{},           {",", "."},  {".", ","}, {",", "\xC2\xA0"},
                                         {".,", ".x"}, {".5", ".1"}};

// Bytes that make up handling files, and some that break them.
std::string RandomText(std::mt19937& random) {
    static const std::string kPieces[] = {
        "0",     "1",    "7",     "12",   "300",          "400",     "1500", "-",   "+",
        ".",     ",",    "e",     "E",    "e3",           " ",       " ",    "\t",  "\r\n",
        "\n",    "\r",   "\n\r",  ";",    "CAR",          "x",       "16OO", "0.3", "1,5",
        "1.500", "-0.2", "1e999", "\xFF", "\xEF\xBB\xBF", "\xC2\xA0"};
    static const std::string kRare[] = {";-# File Author : ", "0." + std::string(20, '0') + "1",
                                        std::string(1, '\0')};
    std::string text;
    const int pieces = std::uniform_int_distribution<int>(0, 400)(random);
    for (int i = 0; i < pieces; ++i) {
        if (random() % 10 == 0)
            text += test::CarLine("C" + std::to_string(i)) + "\r\n";
        else
            text +=
                random() % 8 ? kPieces[random() % std::size(kPieces)] : kRare[random() % std::size(kRare)];
    }
    return text;
}

using CheckCommand = test::TempFolderTest;

} // namespace

TEST_F(CheckCommand, PrintsWhatTheWholeFileCheckPrintsAndTheStrictRowsAfter) {
    const auto expectSame = [this](const std::string& name, std::string_view bytes) {
        const std::string path = Write(name, bytes);
        for (const NumberFormat& format : kFormats)
            ASSERT_EQ(FastCheck(path, format), PlainCheck(path, format))
                << name << " with \"" << format.decimal << "\" and \"" << format.grouping << "\"";
    };
    std::mt19937 random(14);
    for (int i = 0; i < 300; ++i)
        expectSame("random-" + std::to_string(i) + ".cfg", RandomText(random));

    // What the random files are too small or too regular to hold.
    const std::string car = test::CarLine("CAR", "0.3", "R P 1 2001 1 1", "400");
    expectSame("empty.cfg", "");
    expectSame("long-line.cfg", car + " \r\n" + std::string(300000, 'N') + " 1,5 2\r\n" + car);
    expectSame("33-values.cfg", car + "\r\n" + car + " 33\r\n" + car + "\r\n");

    // Every value wrong: far more findings than the list holds.
    std::string wrong;
    for (int i = 0; i < 1100; ++i)
        wrong += std::string(15, 'W') + " x\r\n";
    expectSame("wrong.cfg", wrong);

    const std::string largest = test::GeneratedHandlingText(kMaxCars);
    expectSame("largest.cfg", largest);
    expectSame("too-many.cfg", largest + car + "\r\n");

    for (const std::string& unreadable : {Path("missing.cfg"), folder.string(), std::string("/dev/zero")})
        EXPECT_EQ(FastCheck(unreadable, NumberFormat{}), PlainCheck(unreadable, NumberFormat{}))
            << unreadable;

    // --check --strict prints what --check prints, then the strict rows.
    const std::string path = Write("odd.cfg", test::CarLine("ODD", "16OO", "R P 1 20G1 7 1") + "\r\n" +
                                                  test::CarLine("SECOND", "x", "r P 1 2001 1 1") + "\r\n");
    const test::Printed standard = FastCheck(path, {}, CheckRules::Standard);
    const std::string strictRows =
        "#29\tODD\t20G1 has a flag digit that is not hexadecimal (0 to 9, A to F).\n"
        "#30\tODD\t7 is not one of the values 0 to 3.\n"
        "#15\tSECOND\tr is not a drive type; the game reads F, R or 4.\n";
    EXPECT_EQ(FastCheck(path, {}, CheckRules::Strict), (test::Printed{1, standard.out + strictRows, ""}));
    EXPECT_EQ(test::RunKestrix({"--check", "--strict", "--", path}), FastCheck(path, {}, CheckRules::Strict));
}
