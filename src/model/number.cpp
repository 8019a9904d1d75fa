#include "model/number.h"

#include "model/blanks.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kestrix {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view text, std::size_t i) {
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i;
}

std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i;
}

bool SeparatorAt(std::string_view text, std::size_t i, std::string_view separator) {
    return !separator.empty() && text.substr(i).starts_with(separator);
}

// The end of an exponent that starts at i, or i when there is none.
std::size_t ExponentEnd(std::string_view text, std::size_t i) {
    if (i >= text.size() || (text[i] != 'e' && text[i] != 'E'))
        return i;
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-'))
        ++j;
    const std::size_t digitsEnd = SkipDigits(text, j);
    return digitsEnd > j ? digitsEnd : i;
}

// A number beyond a double reads as infinity when it is large and as zero
// when it is small; where its first significant digit stands, moved by its
// exponent, tells which. number: as ReadNumberAt takes it, not all zeros.
double OutOfRangeValue(std::string_view number) {
    const std::size_t e = std::min(number.find_first_of("eE"), number.size());
    const std::string_view digits = number.substr(0, e);
    const std::size_t point = std::min(digits.find('.'), digits.size());
    const std::size_t first = digits.find_first_not_of("0.");
    long long place =
        first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
    if (e < number.size()) {
        std::string_view power = number.substr(e + 1);
        const bool negative = power.starts_with('-');
        if (negative || power.starts_with('+'))
            power.remove_prefix(1);
        constexpr long long kFarBeyond = 1'000'000'000; // any exponent past this decides alone
        long long exponent = 0;
        for (const char digit : power)
            exponent = std::min(exponent * 10 + (digit - '0'), kFarBeyond);
        place += negative ? -exponent : exponent;
    }
    return place > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

} // namespace

std::optional<NumberRead> ReadNumberAt(std::string_view text, std::size_t at) {
    if (at > text.size())
        return std::nullopt;
    std::size_t end = SkipDigits(text, at);
    const bool integerDigits = end > at;
    if (end < text.size() && text[end] == '.')
        end = SkipDigits(text, end + 1);
    if (!integerDigits && end <= at + 1)
        return std::nullopt;
    end = ExponentEnd(text, end);

    const std::string_view number = text.substr(at, end - at);
    NumberRead read{0, end, true};
    if (number_detail::ShortDecimalValue(number, read.value))
        return read;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), read.value);
    if (result.ec == std::errc::result_out_of_range) {
        read.value = OutOfRangeValue(number);
        read.inRange = false;
    }
    return read;
}

NumberFormat NumberFormat::FromCurrentLocale() {
    NumberFormat format;
    if (const std::lconv* conventions = std::localeconv()) {
        if (conventions->decimal_point && *conventions->decimal_point)
            format.decimal = conventions->decimal_point;
        if (conventions->thousands_sep)
            format.grouping = conventions->thousands_sep;
    }
    if (format.grouping == format.decimal)
        format.grouping.clear();
    return format;
}

bool IsNumeric(std::string_view text, const NumberFormat& format) {
    // The files write fractions with ".", so "." is a decimal point under every
    // locale. Where the locale also groups digits with ".", it is taken as the
    // decimal point alone, the way the number is compared: "1.500" is 1.5 and
    // "1.500.000" is no number.
    const std::string_view grouping = format.grouping == "." ? std::string_view() : format.grouping;
    std::size_t i = SkipBlanks(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    bool sawDigit = false;
    while (i < text.size()) {
        if (IsDigit(text[i])) {
            sawDigit = true;
            ++i;
        } else if (sawDigit && SeparatorAt(text, i, grouping) && i + grouping.size() < text.size() &&
                   IsDigit(text[i + grouping.size()])) {
            i += grouping.size();
        } else {
            break;
        }
    }
    const std::size_t decimalSize = SeparatorAt(text, i, format.decimal) ? format.decimal.size()
                                    : SeparatorAt(text, i, ".")          ? 1
                                                                         : 0;
    if (decimalSize > 0) {
        const std::size_t fractionStart = i + decimalSize;
        i = SkipDigits(text, fractionStart);
        sawDigit = sawDigit || i > fractionStart;
    }
    if (!sawDigit)
        return false;
    i = SkipBlanks(text, ExponentEnd(text, i));
    return i == text.size();
}

double LeadingNumber(std::string_view text) {
    std::size_t start = SkipBlanks(text, 0);
    bool negative = false;
    if (start < text.size() && (text[start] == '+' || text[start] == '-')) {
        negative = text[start] == '-';
        ++start;
    }
    const std::optional<NumberRead> read = ReadNumberAt(text, start);
    if (!read)
        return 0;
    return negative ? -read->value : read->value;
}

std::optional<double> PlainNumber(std::string_view text) {
    double value = 0;
    if (number_detail::PlainDecimalValue(text, true, value)) // most values, quickly
        return value;
    const bool hasSign = text.starts_with('+') || text.starts_with('-');
    const std::optional<NumberRead> read = ReadNumberAt(text, hasSign ? 1 : 0);
    if (!read || read->end != text.size() || !read->inRange)
        return std::nullopt;
    return text.starts_with('-') ? -read->value : read->value;
}

std::optional<int> StoredWholeNumber(std::string_view stored, int count) {
    const std::optional<double> value = PlainNumber(stored);
    if (!value)
        return std::nullopt;
    // Rounded first, then judged: -0.4 rounds to zero.
    const double rounded = std::nearbyint(*value);
    if (rounded < 0 || rounded > count - 1)
        return std::nullopt;
    return static_cast<int>(rounded);
}

std::string PlainDecimal(double value) {
    if (value == 0)
        value = 0; // no "-0"
    // The shortest digits that read back as the value, placed by hand: the
    // library's fixed form of 1e23 would spell out the double's binary value.
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const std::size_t e = text.find('e');
    std::string digits;
    for (const char c : text.substr(0, e))
        if (c >= '0' && c <= '9')
            digits += c;
    int exponent = 0;
    std::string_view power = text.substr(e + 1);
    if (power.front() == '+')
        power.remove_prefix(1);
    std::from_chars(power.data(), power.data() + power.size(), exponent);
    const int count = static_cast<int>(digits.size());
    std::string out = value < 0 ? "-" : "";
    // Plain digits as far as people read them; beyond that a power of ten, as "1e23".
    constexpr int kPlainDigits = 21;
    if (exponent >= kPlainDigits || exponent < -6) {
        out += digits.substr(0, 1);
        if (count > 1)
            out.append(".").append(digits.substr(1));
        return out + "e" + std::to_string(exponent);
    }
    if (exponent < 0)
        return out + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    if (exponent + 1 >= count)
        return out + digits + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
    const std::size_t point = static_cast<std::size_t>(exponent + 1);
    return out + digits.substr(0, point) + "." + digits.substr(point);
}

namespace {

// The digits after the point of a plain decimal ("240.0" shows one); none
// for a text written otherwise ("1e3", "heavy").
std::size_t DecimalsShown(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || text.find_first_not_of("+-0123456789.") != std::string_view::npos)
        return 0;
    return text.size() - point - 1;
}

} // namespace

std::string ComputedDecimal(double value, std::string_view replaced) {
    constexpr int kDigitsKept = 15; // drops the noise of 264.00000000000003, keeps every typed digit
    return WithDecimalsOf(PlainDecimal(RoundedToDigits(value, kDigitsKept)), replaced);
}

std::string WithDecimalsOf(std::string text, std::string_view replaced) {
    const std::size_t wanted = DecimalsShown(replaced);
    const std::size_t shown = DecimalsShown(text);
    if (text.find('e') != std::string::npos || shown >= wanted)
        return text;
    if (shown == 0)
        text += '.';
    return text.append(wanted - shown, '0');
}

double RoundedToDigits(double value, int significantDigits) {
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significantDigits);
    double rounded = value;
    std::from_chars(buffer, written.ptr, rounded);
    return rounded;
}

bool SameNumber(std::string_view a, std::string_view b) {
    constexpr int kSpreadsheetDigits = 15;
    const std::optional<double> first = PlainNumber(a);
    const std::optional<double> second = PlainNumber(b);
    return first && second &&
           RoundedToDigits(*first, kSpreadsheetDigits) == RoundedToDigits(*second, kSpreadsheetDigits);
}

} // namespace kestrix
