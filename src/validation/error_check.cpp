#include "validation/error_check.h"

#include "model/stat_catalogue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace kestrix {

std::string EmptyTextMessage() {
    return "The text field is empty";
}

std::string TooLongMessage(std::string_view value, int maxLength) {
    return std::string(value) + " is longer than maximum length " + PlainDecimal(maxLength) + ".";
}

std::string NotANumberMessage(std::string_view value) {
    return std::string(value) + " is not a valid number.";
}

std::string BelowMinimumMessage(std::string_view value, double minimum) {
    return std::string(value) + " is smaller than minimum value " + PlainDecimal(minimum) + ".";
}

std::string AboveMaximumMessage(std::string_view value, std::int32_t maximum) {
    return std::string(value) + " is larger than maximum value " + PlainDecimal(maximum) + ".";
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
    return std::string(value) + " is not one of the values 0 to " + PlainDecimal(count - 1) + ".";
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
    errors.AddError(static_cast<std::int16_t>(column), car.Get(),
                    errors.KeepsMessages() ? makeMessage() : std::string());
}

void CheckValue(const StatDef& def, int column, std::string_view value, CarNameOnce& car,
                ErrorRegister& errors, const NumericValueReader& numbers) {
    if (def.IsText) {
        if (value.empty())
            Record(errors, column, car, [] { return EmptyTextMessage(); });
        else if (def.MaxLength >= 1 && value.size() > static_cast<std::size_t>(def.MaxLength))
            Record(errors, column, car, [&] { return TooLongMessage(value, def.MaxLength); });
        return;
    }
    const std::optional<double> number = numbers(value);
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

using Judge = std::optional<std::string> (*)(const StatDescription& stat, std::string_view value,
                                             const NumberFormat& format);

// A drive or engine type: one of the letters its choices store.
std::optional<std::string> JudgeLetter(const StatDescription& stat, std::string_view value,
                                       std::string_view what) {
    if (value.empty() || EntryOf(stat, value) >= 0)
        return std::nullopt;
    std::string letters;
    for (int entry = 0; entry < EntryCount(stat); ++entry)
        letters += StoredEntry(stat, entry);
    return UnknownLetterMessage(value, what, letters);
}

std::optional<std::string> JudgeFlags(const StatDescription&, std::string_view value, const NumberFormat&) {
    // Only the first four digits are read; a longer value has its own row already.
    const std::string_view digits = value.substr(0, 4);
    if (digits.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos)
        return std::nullopt;
    return NotHexadecimalMessage(value);
}

std::optional<std::string> JudgeWhole(const StatDescription&, std::string_view value,
                                      const NumberFormat& format) {
    if (!Fraction(value, format))
        return std::nullopt;
    return NotWholeMessage(value);
}

// ABS and the lights are text to the catalogue, so nothing else judges them:
// the number of one of the entries their list offers.
std::optional<std::string> JudgeChoice(const StatDescription& stat, std::string_view value,
                                       const NumberFormat& format) {
    if (value.empty())
        return std::nullopt;
    const int count = EntryCount(stat);
    const std::optional<double> number = NumericValue(value, format);
    if (!number)
        return NotAChoiceMessage(value, count);
    if (*number != std::trunc(*number))
        return NotWholeMessage(value);
    if (*number < 0 || *number > count - 1)
        return NotAChoiceMessage(value, count);
    return std::nullopt;
}

struct StrictRule {
    int column;
    Judge judge;
};

constexpr StrictRule kStrictRules[] = {
    {NumberOfGears, JudgeWhole},
    {DriveType, [](const StatDescription& stat, std::string_view value,
                   const NumberFormat&) { return JudgeLetter(stat, value, "a drive type"); }},
    {EngineType, [](const StatDescription& stat, std::string_view value,
                    const NumberFormat&) { return JudgeLetter(stat, value, "an engine type"); }},
    {Abs, JudgeChoice},
    {Flags, JudgeFlags},
    {FrontLights, JudgeChoice},
    {RearLights, JudgeChoice},
};

void StrictCheck(const CarValues& car, CarNameOnce& name, ErrorRegister& errors, const NumberFormat& format) {
    for (const StrictRule& rule : kStrictRules) {
        if (std::optional<std::string> message =
                rule.judge(DescriptionOf(rule.column), car[static_cast<std::size_t>(rule.column)], format))
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

bool ReadsWholeNumber(int column) {
    return std::any_of(std::begin(kStrictRules), std::end(kStrictRules), [column](const StrictRule& rule) {
        return rule.column == column && (rule.judge == JudgeWhole || rule.judge == JudgeChoice);
    });
}

void CheckCar(const CarValues& car, ErrorRegister& errors, const NumberFormat& format, CheckRules rules) {
    const StatCatalogue& catalogue = StatCatalogue::Instance();
    const NumericValueReader numbers(format);
    CarNameOnce name(car[0]);
    for (int column = 0; column < kStatCount; ++column)
        CheckValue(catalogue[column], column, car[static_cast<std::size_t>(column)], name, errors, numbers);
    if (rules == CheckRules::Strict)
        StrictCheck(car, name, errors, format);
}

std::string ValueMessage(int column, std::string_view value, const NumberFormat& format) {
    ErrorRegister errors;
    CarNameOnce name({});
    CheckValue(StatCatalogue::Instance()[column], column, value, name, errors, NumericValueReader(format));
    return errors.Rows().empty() ? std::string() : errors.Rows().front().ExplanationString;
}

void StrictCheckCar(const CarValues& car, ErrorRegister& errors, const NumberFormat& format) {
    CarNameOnce name(car[0]);
    StrictCheck(car, name, errors, format);
}

int ErrorRegister::CarOfRow(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return -1;
    const auto end = std::upper_bound(carEnds_.begin(), carEnds_.end(), row);
    return end == carEnds_.end() ? -1 : static_cast<int>(end - carEnds_.begin());
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
