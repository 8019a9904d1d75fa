#include "model/car_change.h"
#include "model/number.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>

using namespace kestrix;

namespace {

// The last two are separators no locale has, beginning with the decimal point.
const std::vector<NumberFormat> kFormats{{}, {",", "."}, {".", ","}, {",", " "}, {".,", ".x"}, {".5", ".1"}};

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace

// What the program writes reads back as the same number under every rule:
// typed, sorted, stored under any separators, and met inside a longer text.
TEST(Numbers, WhatIsWrittenReadsBackUnderEveryRuleAndAComputedValueKeepsTheStyleOfTheValueItReplaces) {
    std::mt19937_64 random(18);
    for (int i = 0; i < 20000; ++i) {
        double number = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), i % 120 - 60);
        if (i % 2) {
            const std::uint64_t bits = random();
            std::memcpy(&number, &bits, sizeof number);
        }
        if (!std::isfinite(number))
            continue;
        const std::string text = PlainDecimal(number);
        const double expected = number == 0 ? 0 : number; // no "-0" is written
        ASSERT_EQ(text.find_first_of("+ "), std::string::npos) << text;
        ASSERT_EQ(PlainNumber(text), expected) << text;
        for (const NumberFormat& format : kFormats)
            ASSERT_EQ(NumericValue(text, format), expected) << text << " with " << format.decimal;
        const std::string inside = "=*" + text.substr(number < 0 ? 1 : 0) + "%";
        const std::optional<NumberRead> read = ReadNumberAt(inside, 2);
        ASSERT_TRUE(read && read->end == inside.size() - 1 && read->value == std::abs(expected)) << inside;
    }

    // A computed value reads back as the result a person computes, shows at
    // least the decimals of the value it replaces, and beyond them only those it needs.
    const auto decimals = [](std::string_view text) {
        const std::size_t point = text.find('.');
        return point == std::string_view::npos ? std::size_t{0} : text.size() - point - 1;
    };
    std::mt19937 computed(26);
    for (int i = 0; i < 20000; ++i) {
        const int places = static_cast<int>(computed() % 5);
        const double scale = std::pow(10.0, places);
        const double before = static_cast<double>(static_cast<int>(computed() % 200000) - 50000) / scale;
        std::string replaced = PlainDecimal(before);
        if (decimals(replaced) < static_cast<std::size_t>(places)) // "240.0", written as the file may hold it
            replaced += (replaced.find('.') == std::string::npos ? "." : "") +
                        std::string(static_cast<std::size_t>(places) - decimals(replaced), '0');
        const double operand = static_cast<double>(computed() % 4001) / 1000;
        const double result = i % 2 ? before * operand : before + operand;
        const std::string written = ComputedDecimal(result, replaced);
        ASSERT_EQ(PlainNumber(written), RoundedToDigits(result, 15)) << replaced << " -> " << written;
        ASSERT_GE(decimals(written), decimals(replaced)) << replaced << " -> " << written;
        const bool needless = decimals(written) > decimals(replaced) && written.back() == '0';
        ASSERT_FALSE(needless) << replaced << " -> " << written;
    }
}

TEST(Numbers, EverySpellingSortsAsItsValueAndASpreadsheetsIsTheSameNumberButAChangedDigit) {
    std::mt19937 random(5);
    const auto spelled = [&random](long thousandths) {
        const std::string digits = std::to_string(std::labs(thousandths));
        const std::string sign = thousandths < 0 ? "-" : random() % 2 ? "+" : "";
        if (random() % 2)
            return sign + digits + "e-3";
        const std::string padded = std::string(4 - std::min<std::size_t>(digits.size(), 4), '0') + digits;
        return sign + "0" + padded.substr(0, padded.size() - 3) + "." + padded.substr(padded.size() - 3) +
               "0";
    };
    std::uniform_int_distribution<long> thousandths(-2'000'000, 2'000'000);
    for (int i = 0; i < 20000; ++i) {
        const long a = thousandths(random), b = i % 3 ? thousandths(random) : a;
        const std::string x = spelled(a), y = spelled(b);
        const std::optional<double> keyX = PlainNumber(x), keyY = PlainNumber(y);
        ASSERT_TRUE(keyX && keyY) << x << " " << y;
        ASSERT_EQ(*keyX < *keyY, a < b) << x << " " << y;
        ASSERT_EQ(*keyX == *keyY, a == b) << x << " " << y;
        ASSERT_EQ(PlainNumber(BulkValue(x, BulkOperation::Add, 0).value.value_or("")), *keyX) << x;
    }

    // A spreadsheet gives a stored number back in its own spelling and to 15
    // significant digits: that is never a difference, and a change of one of
    // those digits always is.
    random.seed(15);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int i = 0; i < 20000; ++i) {
        std::string digits(static_cast<std::size_t>(1 + pick(15)), '0');
        for (char& digit : digits)
            digit = static_cast<char>('0' + pick(10));
        digits[0] = static_cast<char>('1' + pick(9));
        const int point = pick(static_cast<int>(digits.size()) + 1); // digits before the point
        const int shift = pick(9) - 4; // leading zeros, or trailing zeros after the point
        std::string plain = digits;
        if (shift > 0)
            plain.insert(0, std::string(static_cast<std::size_t>(shift), '0'));
        plain.insert(static_cast<std::size_t>(std::max(point, 0) + std::max(shift, 0)), ".");
        if (shift < 0)
            plain.append(static_cast<std::size_t>(-shift), '0');
        const std::string sign = pick(2) ? "-" : "";
        const std::string stored = sign + plain;
        // The same number as a spreadsheet may write it.
        const int exponent = point - 1;
        const std::string spellings[] = {
            sign + "00" + plain + "000",
            (sign.empty() ? "+" : sign) + plain,
            sign + digits.substr(0, 1) + "." + digits.substr(1) + (pick(2) ? "E" : "e") +
                (exponent >= 0 && pick(2) ? "+" : "") + std::to_string(exponent),
            sign + digits + "e" + std::to_string(exponent - static_cast<int>(digits.size()) + 1),
        };
        for (const std::string& spelling : spellings)
            ASSERT_TRUE(SameNumber(stored, spelling)) << stored << " as " << spelling;
        std::string changed = stored;
        const std::size_t at =
            changed.find(digits[0]) + static_cast<std::size_t>(pick(static_cast<int>(digits.size())));
        const std::size_t digit = changed[at] == '.' ? at + 1 : at;
        changed[digit] = static_cast<char>('0' + (changed[digit] - '0' + 1 + pick(9)) % 10);
        ASSERT_FALSE(SameNumber(stored, changed)) << stored << " to " << changed;
    }
    EXPECT_TRUE(SameNumber("0.12345678901234567", "0.123456789012346"))
        << "what a spreadsheet keeps of a longer number";
    EXPECT_FALSE(SameNumber("1,5", "1.5")) << "a comma is no decimal point here";
    EXPECT_FALSE(SameNumber("heavy", "heavy")) << "a text is no number";
}

TEST(Numbers, TypedInputTakesOneSignStoredValuesFollowTheSeparatorsAndOnePassJudgingAgreesWithTestThenRead) {
    for (const auto& [text, number] : std::initializer_list<std::pair<const char*, double>>{
             {"+5", 5}, {"-0.5", -0.5}, {".5", 0.5}, {"5.", 5}, {"1e3", 1000}, {"1E-2", 0.01}, {"007", 7}})
        EXPECT_EQ(PlainNumber(text), number) << text;
    for (const char* refused : {"",    "+",    "-",   "++5",  "+-5", "-+5", " 5", "5 ",    "1,5",    "1.2.3",
                                "inf", "-inf", "nan", "0x10", "1e",  "e3",  ".",  "1e999", "1e-400", "5kg"})
        EXPECT_EQ(PlainNumber(refused), std::nullopt) << refused;
    EXPECT_EQ(ReadNumberAt("x+1", 1), std::nullopt) << "a sign is the reader's";

    // A light or the ABS box: rounded first, halves to the even number, then judged.
    for (const auto& [stored, number] : std::initializer_list<std::pair<const char*, int>>{
             {"3", 3}, {"2.5", 2}, {"3.4", 3}, {"-0.5", 0}, {"+3.49", 3}})
        EXPECT_EQ(StoredWholeNumber(stored, 4), number) << stored;
    EXPECT_FALSE(StoredWholeNumber("1.5", 2)) << "rounds to 2, past the box's two states";
    for (const char* bad : {"", "4", "-1", "3.5", "-0.6", "x", "nan", "inf", "1e300", "+-0.4"})
        EXPECT_FALSE(StoredWholeNumber(bad, 4)) << bad;

    // A stored value follows the regional separators; where "." also groups digits it is read as the
    // decimal point, the way the number is compared: "1.500" is 1.5, and "1.500.000" is no number.
    struct Case {
        NumberFormat format;
        std::vector<const char*> numbers, others;
    };
    for (const Case& c : std::vector<Case>{
             {{},
              {" 7 ", "1e3", "2.5E-2", "\t3\t", "1e+3"},
              {"", "  ", "12a", "abc", "inf", "nan", "0x10", "1.2.3", ".", "+", "e3", "1e", "1 2", "1,5",
               "--1"}},
             {{".", ","}, {"1,500", "1,500.25"}, {"1,", ",5"}},
             {{",", "."}, {"1.500", "0.5", "2,5", "-0.75e1"}, {"2,5,1", "1.500.000", "1.500,25", "1,5.3"}},
             {{",", " "},
              {"0.5", "-0.25", "2,5", "1 500,5", "1 500.5", " 0.120 "},
              {"1,5.3", "1.5,3", "1.5.", ",", "1 500 .5", "1.500 000"}}}) {
        for (const char* number : c.numbers)
            EXPECT_TRUE(IsNumeric(number, c.format)) << number << " with " << c.format.decimal;
        for (const char* other : c.others)
            EXPECT_FALSE(IsNumeric(other, c.format)) << other << " with " << c.format.decimal;
    }

    const std::string tiny = "0." + std::string(400, '0') + "1", huge = std::string(400, '9');
    const char* const leading[] = {" 7 ",        "1e3",           "-2.5E-2x", "3e",
                                   "1e999",      "-1e999",        "1e-999",   tiny.c_str(),
                                   huge.c_str(), "1e99999999999", "1,500",    "2,5"};
    const double numbers[] = {7, 1000, -0.025, 3, HUGE_VAL, -HUGE_VAL, 0, 0, HUGE_VAL, HUGE_VAL, 1, 2};
    for (std::size_t i = 0; i < std::size(leading); ++i)
        EXPECT_DOUBLE_EQ(LeadingNumber(leading[i]), numbers[i]) << leading[i];

    // The check judges a value in one pass where it can; that must decide and
    // read exactly as the numeric test followed by the reading of the number.
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
    for (const NumberFormat& format : kFormats) {
        for (const std::string& text : texts) {
            const std::optional<double> judged = NumericValue(text, format);
            ASSERT_EQ(judged.has_value(), IsNumeric(text, format)) << "\"" << text << "\" " << format.decimal;
            if (judged) {
                ASSERT_TRUE(SameBits(*judged, LeadingNumber(text))) << "\"" << text << "\"";
            }
        }
    }
}
