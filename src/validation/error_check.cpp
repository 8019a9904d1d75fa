#include "validation/error_check.h"

#include "model/blanks.h"
#include "model/stat_catalogue.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <locale.h>

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

std::string FormatNumber(long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Most values are short plain decimals: digits over a power of ten, both exact
// in a double, give the correctly rounded value with a single division.
// number: digits with at most one "." among them, 1 to 15 digits; false for
// any other text.
bool ShortDecimalValue(std::string_view number, double& value) {
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
bool PointIsOnlyDecimal(const NumberFormat& format) {
    const auto beginsWithPoint = [](std::string_view separator) {
        return separator.size() > 1 && separator.front() == '.';
    };
    return !beginsWithPoint(format.decimal) && !beginsWithPoint(format.grouping);
}

// Nearly every value of a file is a plain decimal: a sign at most, then
// digits with at most one "." among them. Such a text is numeric under any
// separators that leave "." the decimal point (pointIsDecimal, see
// PointIsOnlyDecimal), and reads as the number its digits give, so it is
// judged and read in one pass. False for any other text.
bool PlainDecimalValue(std::string_view text, bool pointIsDecimal, double& value) {
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

// NumericValue, with PointIsOnlyDecimal(format) worked out once for many values.
std::optional<double> NumericValue(std::string_view text, const NumberFormat& format, bool pointIsDecimal) {
    double value = 0;
    if (PlainDecimalValue(text, pointIsDecimal, value))
        return value;
    if (!IsNumeric(text, format))
        return std::nullopt;
    return LeadingNumber(text);
}

// Too large or too small for a double: the C reader gives infinity or zero.
double OutOfRangeValue(std::string_view number) {
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string text(number);
    return ::strtod_l(text.c_str(), nullptr, cLocale);
}

} // namespace

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
    std::size_t end = SkipDigits(text, start);
    const bool integerDigits = end > start;
    if (end < text.size() && text[end] == '.')
        end = SkipDigits(text, end + 1);
    if (!integerDigits && end <= start + 1)
        return 0;
    end = ExponentEnd(text, end);

    double value = 0;
    if (ShortDecimalValue(text.substr(start, end - start), value))
        return negative ? -value : value;
    const auto result = std::from_chars(text.data() + start, text.data() + end, value);
    if (result.ec == std::errc::result_out_of_range)
        value = OutOfRangeValue(text.substr(start, end - start));
    return negative ? -value : value;
}

std::optional<double> NumericValue(std::string_view text, const NumberFormat& format) {
    return NumericValue(text, format, PointIsOnlyDecimal(format));
}

std::string EmptyTextMessage() {
    return "The text field is empty";
}

std::string TooLongMessage(std::string_view value, int maxLength) {
    return std::string(value) + " is longer than maximum length " + FormatNumber(long{maxLength}) + ".";
}

std::string NotANumberMessage(std::string_view value) {
    return std::string(value) + " is not a valid number.";
}

std::string BelowMinimumMessage(std::string_view value, double minimum) {
    return std::string(value) + " is smaller than minimum value " + PlainDecimal(minimum) + ".";
}

std::string AboveMaximumMessage(std::string_view value, std::int32_t maximum) {
    return std::string(value) + " is larger than maximum value " + FormatNumber(long{maximum}) + ".";
}

std::string UnknownLetterMessage(std::string_view value, std::string_view what, std::string_view letters) {
    std::string message = std::string(value) + " is not " + std::string(what) + "; the game reads ";
    for (std::size_t i = 0; i < letters.size(); ++i)
        message.append(i == 0 ? "" : i + 1 == letters.size() ? " or " : ", ").push_back(letters[i]);
    return message + ".";
}

std::string NotHexadecimalMessage(std::string_view value) {
    return std::string(value) + " has a flag digit that is not hexadecimal (0 to 9, A to F).";
}

std::string NotWholeMessage(std::string_view value) {
    return std::string(value) + " is not a whole number.";
}

std::string NotAChoiceMessage(std::string_view value, int count) {
    return std::string(value) + " is not one of the values 0 to " + FormatNumber(long{count - 1}) + ".";
}

std::string FirstCellText(std::int16_t errorNumber) {
    char buffer[8] = {'#'};
    const auto result = std::to_chars(buffer + 1, buffer + sizeof buffer, errorNumber);
    return std::string(buffer, result.ptr);
}

int StatFromFirstCell(std::string_view cell) {
    if (cell.empty())
        return 0;
    cell.remove_prefix(1);
    int stat = 0;
    std::from_chars(cell.data(), cell.data() + cell.size(), stat);
    return stat;
}

const std::string& SharedText::Empty() {
    static const std::string empty;
    return empty;
}

void ErrorRegister::Clear() {
    rows_.clear();
    carEnds_.clear();
    leftOut_ = 0;
}

void ErrorRegister::AddError(const std::int16_t& errorNumber, const std::string& carString,
                             const std::string& explanationString) {
    if (IsFull()) {
        CountLeftOut();
        return;
    }
    // Rows of one car come in a row: the name is kept once for all of them.
    if (rows_.empty() || rows_.back().CarString.str() != carString)
        rows_.push_back(ErrorRecord{errorNumber, SharedText(carString), explanationString});
    else
        rows_.push_back(ErrorRecord{errorNumber, rows_.back().CarString, explanationString});
}

void ErrorRegister::AddError(std::int16_t errorNumber, const SharedText& carString,
                             std::string explanationString) {
    if (IsFull()) {
        CountLeftOut();
        return;
    }
    rows_.push_back(ErrorRecord{errorNumber, carString, std::move(explanationString)});
}

namespace {

// The car's name, copied once at its first finding and shared by all its rows.
class CarNameOnce {
  public:
    explicit CarNameOnce(std::string_view name) : name_(name) {}
    const SharedText& Get() {
        if (!copied_) {
            text_ = SharedText(std::string(name_));
            copied_ = true;
        }
        return text_;
    }

  private:
    std::string_view name_;
    SharedText text_;
    bool copied_ = false;
};

// Records one finding; the message is built only when there is room for it.
template <typename MakeMessage>
void Record(ErrorRegister& errors, int column, CarNameOnce& car, MakeMessage&& makeMessage) {
    if (errors.IsFull()) {
        errors.CountLeftOut();
        return;
    }
    errors.AddError(static_cast<std::int16_t>(column), car.Get(), makeMessage());
}

void CheckValue(const StatDef& def, int column, std::string_view value, CarNameOnce& car,
                ErrorRegister& errors, const NumberFormat& format, bool pointIsDecimal) {
    if (def.IsText) {
        if (value.empty())
            Record(errors, column, car, [] { return EmptyTextMessage(); });
        else if (def.MaxLength >= 1 && value.size() > static_cast<std::size_t>(def.MaxLength))
            Record(errors, column, car, [&] { return TooLongMessage(value, def.MaxLength); });
        return;
    }
    const std::optional<double> number = NumericValue(value, format, pointIsDecimal);
    if (!number) {
        Record(errors, column, car, [&] { return NotANumberMessage(value); });
        return;
    }
    if (*number < def.Minimum)
        Record(errors, column, car, [&] { return BelowMinimumMessage(value, def.Minimum); });
    if (*number > static_cast<double>(def.Maximum))
        Record(errors, column, car, [&] { return AboveMaximumMessage(value, def.Maximum); });
}

// A whole number the game reads, or nothing; the seed's rows already name a
// value that is no number at all.
std::optional<double> Fraction(std::string_view value, const NumberFormat& format) {
    const std::optional<double> number = NumericValue(value, format);
    if (!number || *number == std::trunc(*number))
        return std::nullopt;
    return number;
}

std::optional<std::string> JudgeLetter(std::string_view value, std::string_view what,
                                       std::string_view letters) {
    if (value.empty() || (value.size() == 1 && letters.find(value[0]) != std::string_view::npos))
        return std::nullopt;
    return UnknownLetterMessage(value, what, letters);
}

std::optional<std::string> JudgeFlags(std::string_view value, const NumberFormat&) {
    // Only the first four digits are read; a longer value has its own row already.
    const std::string_view digits = value.substr(0, 4);
    if (digits.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos)
        return std::nullopt;
    return NotHexadecimalMessage(value);
}

std::optional<std::string> JudgeWhole(std::string_view value, const NumberFormat& format) {
    if (!Fraction(value, format))
        return std::nullopt;
    return NotWholeMessage(value);
}

// ABS and the lights are text to the catalogue, so nothing else judges them.
template <int Count>
std::optional<std::string> JudgeChoice(std::string_view value, const NumberFormat& format) {
    if (value.empty())
        return std::nullopt;
    const std::optional<double> number = NumericValue(value, format);
    if (!number)
        return NotAChoiceMessage(value, Count);
    if (*number != std::trunc(*number))
        return NotWholeMessage(value);
    if (*number < 0 || *number > Count - 1)
        return NotAChoiceMessage(value, Count);
    return std::nullopt;
}

struct StrictRule {
    int column;
    std::optional<std::string> (*judge)(std::string_view value, const NumberFormat& format);
};

constexpr StrictRule kStrictRules[] = {
    {NumberOfGears, JudgeWhole},
    {DriveType,
     [](std::string_view value, const NumberFormat&) { return JudgeLetter(value, "a drive type", "FR4"); }},
    {EngineType,
     [](std::string_view value, const NumberFormat&) { return JudgeLetter(value, "an engine type", "PDE"); }},
    {Abs, JudgeChoice<2>},
    {Flags, JudgeFlags},
    {FrontLights, JudgeChoice<4>},
    {RearLights, JudgeChoice<4>},
};

void StrictCheck(const CarValues& car, CarNameOnce& name, ErrorRegister& errors, const NumberFormat& format) {
    for (const StrictRule& rule : kStrictRules) {
        if (std::optional<std::string> message =
                rule.judge(car[static_cast<std::size_t>(rule.column)], format))
            Record(errors, rule.column, name, [&] { return std::move(*message); });
    }
}

// The values of a table's car, as the check takes them from a line.
const CarValues& ValuesOf(const CarRow& car, CarValues& values) {
    for (int column = 0; column < kStatCount; ++column)
        values[static_cast<std::size_t>(column)] = car[column];
    return values;
}

} // namespace

void CheckCar(const CarValues& car, ErrorRegister& errors, const NumberFormat& format, CheckRules rules) {
    const StatCatalogue& catalogue = StatCatalogue::Instance();
    const bool pointIsDecimal = PointIsOnlyDecimal(format);
    CarNameOnce name(car[0]);
    for (int column = 0; column < kStatCount; ++column)
        CheckValue(catalogue[column], column, car[static_cast<std::size_t>(column)], name, errors, format,
                   pointIsDecimal);
    if (rules == CheckRules::Strict)
        StrictCheck(car, name, errors, format);
}

void StrictCheckCar(const CarValues& car, ErrorRegister& errors, const NumberFormat& format) {
    CarNameOnce name(car[0]);
    StrictCheck(car, name, errors, format);
}

void ErrorCheck(const CarTable& cars, ErrorRegister& errors, const NumberFormat& format, CheckRules rules) {
    errors.Clear();
    CarValues values;
    for (const CarRow& car : cars) {
        CheckCar(ValuesOf(car, values), errors, format, rules);
        errors.EndCar();
    }
}

CarCheck::CarCheck(ErrorRegister& errors, const NumberFormat& format, CheckRules rules)
    : errors_(errors), format_(format), rules_(rules) {
    errors_.Clear();
}

void CarCheck::Take(const CarValues& values, int) {
    CheckCar(values, errors_, format_, rules_);
    errors_.EndCar();
}

RowSplice RecheckCars(const CarTable& cars, std::vector<int> changed, ErrorRegister& errors,
                      const NumberFormat& format, CheckRules rules) {
    std::vector<ErrorRecord>& rows = errors.rows_;
    std::vector<int>& ends = errors.carEnds_;
    const int before = static_cast<int>(rows.size());
    const auto checkAll = [&] {
        ErrorCheck(cars, errors, format, rules);
        return RowSplice{0, before, static_cast<int>(rows.size())};
    };
    const bool filledFromThese =
        ends.size() == cars.size() && (ends.empty() ? before == 0 : ends.back() == before);
    // Rows left out are not known by car, so they cannot be made good one car at a time.
    if (!filledFromThese || errors.LeftOut() > 0)
        return checkAll();
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    if (changed.empty())
        return RowSplice{};
    if (changed.front() < 0 || changed.back() >= static_cast<int>(cars.size()))
        return checkAll();

    // The rows from the first changed car to the last: the changed cars judged
    // again, the cars between them as they were.
    const auto carBegin = [&ends](int car) { return car == 0 ? 0 : ends[static_cast<std::size_t>(car - 1)]; };
    const int first = carBegin(changed.front());
    const int last = ends[static_cast<std::size_t>(changed.back())];
    std::vector<ErrorRecord> span;
    std::vector<int> spanEnds; // per car of the span, where its rows end within it
    ErrorRegister judged;      // empty, so one car's rows always fit
    auto next = changed.begin();
    for (int car = changed.front(); car <= changed.back(); ++car) {
        if (car == *next) {
            judged.Clear();
            CarValues values;
            CheckCar(ValuesOf(cars[static_cast<std::size_t>(car)], values), judged, format, rules);
            std::move(judged.rows_.begin(), judged.rows_.end(), std::back_inserter(span));
            ++next;
        } else {
            std::copy(rows.begin() + carBegin(car), rows.begin() + ends[static_cast<std::size_t>(car)],
                      std::back_inserter(span));
        }
        spanEnds.push_back(static_cast<int>(span.size()));
    }
    const int removed = last - first;
    const int added = static_cast<int>(span.size());
    if (before - removed + added > ErrorRegister::kMaxRows)
        return checkAll();

    // Rows after the span move only when it changes in length.
    const int common = std::min(removed, added);
    std::move(span.begin(), span.begin() + common, rows.begin() + first);
    if (removed > common)
        rows.erase(rows.begin() + first + common, rows.begin() + last);
    else
        rows.insert(rows.begin() + first + common, std::make_move_iterator(span.begin() + common),
                    std::make_move_iterator(span.end()));
    for (std::size_t i = 0; i < spanEnds.size(); ++i)
        ends[static_cast<std::size_t>(changed.front()) + i] = first + spanEnds[i];
    for (std::size_t car = static_cast<std::size_t>(changed.back()) + 1; car < ends.size(); ++car)
        ends[car] += added - removed;
    return RowSplice{first, removed, added};
}

} // namespace kestrix
