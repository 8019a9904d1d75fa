#pragma once

// What a number is, for every reader of the program, and how the program
// writes one. Each use has its own rule:
// - a stored value, as the check judges it: NumericValue, under the user's
//   separators;
// - typed input (a bulk edit's operand, a relative change) and the car
//   table's sort and filter: PlainNumber;
// - a stored whole number (a light, the ABS box): StoredWholeNumber;
// - a number the program writes: PlainDecimal;
// - a pasted number met with the stored one: SameNumber.
// ReadNumberAt is the piece they share, for a reader that meets a number
// inside a longer text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

// A number met in a text.
struct NumberRead {
    double value = 0;
    std::size_t end = 0; // just past its last character
    // False when it lies beyond a double either way; value is then infinity or zero.
    bool inRange = true;
};

// The number that starts at `at`: digits with at most one "." among them (one
// digit at least), then an exponent ("e3", "E-2") where digits follow its "e".
// No sign and no blank: those are the reader's. Nothing when no number starts there.
std::optional<NumberRead> ReadNumberAt(std::string_view text, std::size_t at);

// The separators a number may use in the user's regional settings.
struct NumberFormat {
    std::string decimal = ".";
    std::string grouping; // empty: no grouping separator
    static NumberFormat FromCurrentLocale();
};

// Stored value. Numeric: the whole text, blanks around it allowed, reads as a
// number under the given settings; "." is always a decimal point besides the
// locale's own.
bool IsNumeric(std::string_view text, const NumberFormat& format);
// The number at the start of the text after blanks and a sign, always with "."
// as the decimal point, so "1,500" is 1 under any settings; 0 when none starts there.
double LeadingNumber(std::string_view text);
// The two together, as the check judges a value: the LeadingNumber of a text
// that IsNumeric accepts, nothing for any other text. Inline, below.
std::optional<double> NumericValue(std::string_view text, const NumberFormat& format);
// NumericValue under one format, for a reader of many values.
class NumericValueReader {
  public:
    explicit NumericValueReader(const NumberFormat& format);
    std::optional<double> operator()(std::string_view text) const;

  private:
    const NumberFormat& format_;
    bool pointIsDecimal_;
};

// Typed input and the car table's sort key: the whole text is one "+" or "-"
// at most, then a number with "." as the decimal point, within a double's
// range. No blank, and no "inf", which the check calls no number and a bulk
// edit could not write back. So the table sorts a value as a number exactly
// when a bulk edit can add to it ("+5" is 5).
std::optional<double> PlainNumber(std::string_view text);

// Stored whole number: a PlainNumber rounded to the nearest whole number
// (halves to the even one) that lies within [0, count), so "3.4" still shows
// a choice; nothing otherwise. Stored values never hold blanks.
std::optional<int> StoredWholeNumber(std::string_view stored, int count);

// A number as the program writes it for people and into values: no leading
// blank or "+", "-" for negatives, no point for whole numbers and the shortest
// digits that read back as the same value ("1", "50000", "-10", "0.5"); from
// 21 digits before the point, or 7 zeros after it, a power of ten ("1e23", "1e-7").
std::string PlainDecimal(double value);
// A value the program computes over another (a bulk edit, a relative
// input) as a person would write it: rounded to 15 significant digits, so
// that no binary noise shows, with the decimals it needs and at least as many
// as the value it replaces shows ("240.0" x 1.1 is "264.0", "0.27" + 0.03 is
// "0.30"). A power of ten stays as PlainDecimal writes it.
std::string ComputedDecimal(double value, std::string_view replaced);
// A number PlainDecimal wrote, with at least the decimals replaced shows: the
// last step of ComputedDecimal, for a caller that has the number written already.
std::string WithDecimalsOf(std::string written, std::string_view replaced);
// The value rounded to so many significant decimal digits, which drops the
// binary noise of arithmetic (1.1 x 1500 at 15 digits is 1650).
double RoundedToDigits(double value, int significantDigits);
// Two spellings of one number as a spreadsheet keeps it: both PlainNumbers,
// equal to 15 significant digits ("1870.0" and "1870", "0.60" and "6e-1").
// A spreadsheet gives a number back in its own spelling and no more digits.
bool SameNumber(std::string_view a, std::string_view b);

// NumericValueReader is inline for speed alone: the check asks it of every value of
// a file, nearly every one a short plain decimal, read here in one pass.
namespace number_detail {

// number: digits with at most one "." among them, 1 to 15 digits; false for
// any other text. Digits over a power of ten, both exact in a double, give
// the correctly rounded value with a single division.
inline bool ShortDecimalValue(std::string_view number, double& value) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr std::size_t kMaxDigits = 15;
    constexpr std::size_t kNoPoint = std::string_view::npos;
    if (number.size() > kMaxDigits + 1)
        return false;
    std::uint64_t digits = 0; // 16 digits at most: no overflow
    std::size_t point = kNoPoint;
    for (std::size_t i = 0; i < number.size(); ++i) {
        const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(number[i])) - unsigned{'0'};
        if (digit <= 9)
            digits = digits * 10 + digit;
        else if (number[i] == '.' && point == kNoPoint)
            point = i;
        else
            return false;
    }
    if (point == kNoPoint) {
        if (number.empty() || number.size() > kMaxDigits)
            return false;
        value = static_cast<double>(digits);
        return true;
    }
    if (number.size() == 1)
        return false;
    value = static_cast<double>(digits) / kPowersOfTen[number.size() - point - 1];
    return true;
}

// Whether "." is only ever the decimal point under these separators, as it
// is unless one of them is another text that begins with ".".
inline bool PointIsOnlyDecimal(const NumberFormat& format) {
    const auto beginsWithPoint = [](std::string_view separator) {
        return separator.size() > 1 && separator.front() == '.';
    };
    return !beginsWithPoint(format.decimal) && !beginsWithPoint(format.grouping);
}

// A sign at most, then a ShortDecimalValue: numeric under any separators that
// leave "." the decimal point, and read as its digits give it.
inline bool PlainDecimalValue(std::string_view text, bool pointIsDecimal, double& value) {
    std::string_view digits = text;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative || (!text.empty() && text[0] == '+'))
        digits.remove_prefix(1);
    if (!ShortDecimalValue(digits, value))
        return false;
    if (!pointIsDecimal && digits.find('.') != std::string_view::npos)
        return false;
    if (negative)
        value = -value;
    return true;
}

} // namespace number_detail

inline NumericValueReader::NumericValueReader(const NumberFormat& format)
    : format_(format), pointIsDecimal_(number_detail::PointIsOnlyDecimal(format)) {}

inline std::optional<double> NumericValueReader::operator()(std::string_view text) const {
    double value = 0;
    if (number_detail::PlainDecimalValue(text, pointIsDecimal_, value))
        return value;
    if (!IsNumeric(text, format_))
        return std::nullopt;
    return LeadingNumber(text);
}

inline std::optional<double> NumericValue(std::string_view text, const NumberFormat& format) {
    return NumericValueReader(format)(text);
}

} // namespace kestrix
