#include "handling_file/handling_format.h"
#include "validation/error_check.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

using namespace kestrix;

namespace {

const NumberFormat kPlain{};

CarRow ValidCar(std::string name) {
    CarRow car;
    car.Set(0, std::move(name));
    for (int column = 1; column < kStatCount; ++column) {
        const StatDef& def = StatCatalogue::Instance()[column];
        car.Set(column, def.IsText ? "0" : std::to_string(def.Maximum));
    }
    return car;
}

std::vector<std::string> Rows(const CarTable& cars) {
    ErrorRegister errors;
    ErrorCheck(cars, errors, kPlain);
    std::vector<std::string> rows;
    for (const ErrorRecord& row : errors.Rows())
        rows.push_back(FirstCellText(row.ErrorNumber) + "|" + row.CarString + "|" + row.ExplanationString);
    return rows;
}

} // namespace

TEST(Numeric, AcceptsNumbersAndRejectsTheRest) {
    for (const char* number : {" 7 ", "1e3", "2.5E-2", ".5", "+5", "-0", "5.", "\t3\t", "1e+3"})
        EXPECT_TRUE(IsNumeric(number, kPlain)) << number;
    for (const char* other :
         {"", "  ", "12a", "abc", "inf", "nan", "0x10", "1.2.3", ".", "+", "e3", "1e", "1 2", "1,5", "--1"})
        EXPECT_FALSE(IsNumeric(other, kPlain)) << other;
}

TEST(Numeric, FollowsTheRegionalSeparatorsAndAPointIsADecimalPointUnderEveryLocale) {
    const NumberFormat english{".", ","};
    EXPECT_TRUE(IsNumeric("1,500", english));
    EXPECT_TRUE(IsNumeric("1,500.25", english));
    EXPECT_FALSE(IsNumeric("1,", english));
    EXPECT_FALSE(IsNumeric(",5", english));
    EXPECT_DOUBLE_EQ(LeadingNumber("1,500"), 1);

    const NumberFormat german{",", "."};
    EXPECT_DOUBLE_EQ(LeadingNumber("2,5"), 2);
    EXPECT_FALSE(IsNumeric("2,5,1", german));
    // Where "." also groups digits it is read as the decimal point, the way
    // the number is compared: "1.500" is 1.5, and "1.500.000" is no number.
    for (const char* number : {"1.500", "0.5", "2,5", "-0.75e1"})
        EXPECT_TRUE(IsNumeric(number, german)) << number;
    for (const char* other : {"1.500.000", "1.500,25", "1,5.3"})
        EXPECT_FALSE(IsNumeric(other, german)) << other;
    const NumberFormat french{",", " "};
    for (const char* number : {"0.5", "-0.25", ".5", "5.", "2,5", "1 500,5", "1 500.5", "2.5E-2", " 0.120 "})
        EXPECT_TRUE(IsNumeric(number, french)) << number;
    for (const char* other : {"1,5.3", "1.5,3", "1.5.", ".", ",", "1 500 .5", "1.500 000"})
        EXPECT_FALSE(IsNumeric(other, french)) << other;

    EXPECT_DOUBLE_EQ(LeadingNumber(" 7 "), 7);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.500"), 1.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("1e3"), 1000);
    EXPECT_DOUBLE_EQ(LeadingNumber("-2.5E-2x"), -0.025);
    EXPECT_DOUBLE_EQ(LeadingNumber("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("3e"), 3);
    EXPECT_EQ(LeadingNumber("1e999"), HUGE_VAL);
    EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0);
}

// The check judges a value in one pass where it can; that must decide and
// read exactly as the numeric test followed by the reading of the number.
TEST(Numeric, JudgingInOnePassAgreesWithTestingThenReading) {
    const std::vector<NumberFormat> formats{kPlain,     {",", "."},   {".", ","},
                                            {",", " "}, {".,", ".x"}, {".5", ".1"}};
    const std::string alphabet = "0123456789.,+-eE \tx";
    std::mt19937 random(7);
    std::vector<std::string> texts = {
        "", ".", "-", "+.5", "-.5", "5.", "1.500", "1e999", "9" + std::string(400, '9')};
    for (const char* digits :
         {"0000000000000001", "123456789012345", "1234567890123456", "12345678901234.5", "123456789012345.6"})
        texts.push_back(digits);
    for (int i = 0; i < 200000; ++i) {
        std::string text(std::uniform_int_distribution<std::size_t>(0, 18)(random), ' ');
        for (char& c : text)
            c = alphabet[random() % (random() % 2 ? 11 : alphabet.size())];
        texts.push_back(text);
    }
    for (const NumberFormat& format : formats) {
        for (const std::string& text : texts) {
            const std::optional<double> judged = NumericValue(text, format);
            ASSERT_EQ(judged.has_value(), IsNumeric(text, format)) << "\"" << text << "\" " << format.decimal;
            if (judged) {
                ASSERT_EQ(std::bit_cast<std::uint64_t>(*judged),
                          std::bit_cast<std::uint64_t>(LeadingNumber(text)))
                    << "\"" << text << "\"";
            }
        }
    }
}

TEST(Numeric, TheSampleFileUnderARealCommaLocale) {
    const char* const previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const char* found = nullptr;
    for (const char* name : {"fr_FR.UTF-8", "fr_FR.utf8", "de_DE.UTF-8", "de_DE.utf8", "fr_FR", "de_DE"})
        if ((found = std::setlocale(LC_NUMERIC, name)))
            break;
    if (!found)
        GTEST_SKIP() << "no locale with a decimal comma is installed here";
    const NumberFormat local = NumberFormat::FromCurrentLocale();
    std::setlocale(LC_NUMERIC, saved.c_str());
    ASSERT_EQ(local.decimal, ",");

    std::ifstream in(KESTRIX_EXAMPLES "/Handling.cfg", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const ParseResult parsed = ParseHandlingText(text);
    ASSERT_EQ(parsed.error, "");
    const auto messages = [&](const NumberFormat& format) {
        ErrorRegister errors;
        ErrorCheck(parsed.file.Cars, errors, format);
        std::vector<std::string> texts;
        for (const ErrorRecord& row : errors.Rows())
            texts.push_back(row.ExplanationString);
        return texts;
    };
    const std::vector<std::string> underPoint = messages(kPlain);
    ASSERT_FALSE(underPoint.empty());
    EXPECT_EQ(messages(local), underPoint) << "the sample's fractions are no errors under a decimal comma";
}

TEST(Validation, BoundsAreInclusiveAtBothEnds) {
    CarRow atMinimum = ValidCar("LOWEST");
    for (int column = 1; column < kStatCount; ++column) {
        const StatDef& def = StatCatalogue::Instance()[column];
        if (!def.IsText)
            atMinimum.Set(column, (std::ostringstream() << def.Minimum).str());
    }
    EXPECT_EQ(atMinimum[9], "0.5");
    EXPECT_EQ(Rows({atMinimum, ValidCar("HIGHEST")}), std::vector<std::string>{});

    CarRow outside = ValidCar("CAR");
    outside.Set(12, "0");
    outside.Set(13, "300.0001");
    outside.Set(9, "0.3");
    outside.Set(17, "0.1");
    outside.Set(5, "-10.5");
    outside.Set(25, "200000");
    EXPECT_EQ(Rows({outside}),
              (std::vector<std::string>{"#5|CAR|-10.5 is smaller than minimum value -10.",
                                        "#9|CAR|0.3 is smaller than minimum value 0.5.",
                                        "#12|CAR|0 is smaller than minimum value 1.",
                                        "#13|CAR|300.0001 is larger than maximum value 300.",
                                        "#25|CAR|200000 is larger than maximum value 150000."}));
}

TEST(Validation, RowsComeCarByCarAndColumnByColumn) {
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
    EXPECT_EQ(rows[3], "#0||The text field is empty");
    EXPECT_EQ(rows[4], "#1|| is not a valid number.");
    EXPECT_EQ(rows.back(), "#31||The text field is empty");
    EXPECT_EQ(Rows(cars), rows) << "two runs give the same rows";
    EXPECT_TRUE(Rows({}).empty());
    EXPECT_EQ(StatFromFirstCell(rows.back().substr(0, 3)), 31);
}

TEST(Validation, RegisterKeepsAtMost32767Rows) {
    CarTable cars(1100); // 32 findings each: 35200 in all
    ErrorRegister errors;
    ErrorCheck(cars, errors, kPlain);
    EXPECT_EQ(errors.Rows().size(), 32767u);
    EXPECT_EQ(errors.LeftOut(), 1100 * 32 - 32767);
    ErrorCheck({ValidCar("OK")}, errors, kPlain);
    EXPECT_EQ(errors.Rows().size(), 0u);
    EXPECT_EQ(errors.LeftOut(), 0);
}
