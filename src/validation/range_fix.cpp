#include "validation/range_fix.h"

#include "model/number.h"
#include "model/stat_description.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrix {

namespace {

// The limits of every stat as the program writes them, worked out once: a
// file can hold 819,175 values to bring to them.
const std::array<std::array<std::string, 2>, kStatCount>& WrittenLimits() {
    static const auto kLimits = [] {
        std::array<std::array<std::string, 2>, kStatCount> limits;
        for (int column = 0; column < kStatCount; ++column) {
            const StatDef& def = StatCatalogue::Instance()[column];
            limits[static_cast<std::size_t>(column)] = {PlainDecimal(def.Minimum),
                                                        PlainDecimal(static_cast<double>(def.Maximum))};
        }
        return limits;
    }();
    return kLimits;
}

// A number within the stat's limits, the nearest to the value; nothing when
// the value is no number, or within them and whole where it must be.
std::string NumberRepair(int column, std::string_view value, const NumberFormat& format) {
    const std::optional<double> number = NumericValue(value, format);
    if (!number)
        return {};
    const StatDef& def = StatCatalogue::Instance()[column];
    const double highest = static_cast<double>(def.Maximum);
    if (ReadsWholeNumber(column)) {
        const double whole = std::clamp(std::nearbyint(*number), std::ceil(def.Minimum), std::floor(highest));
        return whole == *number ? std::string() : PlainDecimal(whole);
    }
    if (*number >= def.Minimum && *number <= highest)
        return {};
    const std::array<std::string, 2>& limits = WrittenLimits()[static_cast<std::size_t>(column)];
    return WithDecimalsOf(limits[*number > highest ? 1 : 0], value);
}

// The entry of a list the game reads as a number, as the list shows a value
// with decimals (rounded), within its entries.
std::string EntryRepair(const StatDescription& stat, std::string_view value, const NumberFormat& format) {
    const std::optional<double> number = NumericValue(value, format);
    if (!number)
        return {};
    const double last = static_cast<double>(EntryCount(stat) - 1);
    const std::string entry =
        StoredEntry(stat, static_cast<int>(std::clamp(std::nearbyint(*number), 0.0, last)));
    return entry == value ? std::string() : entry;
}

// A drive or engine letter written in the other case.
std::string LetterRepair(const StatDescription& stat, std::string_view value) {
    std::string upper(value);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper != value && EntryOf(stat, upper) >= 0 ? upper : std::string();
}

std::string Repair(int column, std::string_view value, const NumberFormat& format) {
    const StatDescription& stat = DescriptionOf(column);
    if (!stat.def.IsText)
        return NumberRepair(column, value, format);
    switch (stat.stored) {
    case StoredForm::FirstLetter:
        return LetterRepair(stat, value);
    case StoredForm::Position:
        return EntryRepair(stat, value, format);
    default:
        return {}; // a name or flags: only the user knows what they should be
    }
}

} // namespace

namespace {

// The findings of one car, standard first: gives where the strict ones begin.
std::size_t CheckOneCar(const CarRow& car, CarValues& values, ErrorRegister& findings,
                        const NumberFormat& format, CheckRules rules) {
    findings.Clear();
    for (int column = 0; column < kStatCount; ++column)
        values[static_cast<std::size_t>(column)] = car[column];
    CheckCar(values, findings, format);
    const std::size_t standard = findings.Rows().size();
    if (rules == CheckRules::Strict)
        StrictCheckCar(values, findings, format);
    return standard;
}

} // namespace

std::vector<RangeFix> RangeFixes(const CarTable& cars, const NumberFormat& format, CheckRules rules) {
    std::vector<RangeFix> fixes;
    fixes.reserve(cars.size());
    ErrorRegister findings;
    findings.KeepMessages(false);
    CarValues values;
    for (std::size_t row = 0; row < cars.size(); ++row) {
        const std::size_t standard = CheckOneCar(cars[row], values, findings, format, rules);
        for (std::size_t i = 0; i < findings.Rows().size(); ++i) {
            const std::int16_t column = findings.Rows()[i].ErrorNumber;
            fixes.push_back({static_cast<int>(row), column, static_cast<std::uint8_t>(i), i >= standard,
                             Repair(column, values[static_cast<std::size_t>(column)], format)});
        }
    }
    return fixes;
}

std::string FindingMessage(const RangeFix& fix, const CarTable& cars, const NumberFormat& format,
                           CheckRules rules) {
    ErrorRegister findings;
    CarValues values;
    CheckOneCar(cars.at(static_cast<std::size_t>(fix.row)), values, findings, format, rules);
    return fix.finding < findings.Rows().size() ? findings.Rows()[fix.finding].ExplanationString
                                                : std::string();
}

std::vector<CellEdit> FixEdits(const std::vector<RangeFix>& fixes, const std::vector<bool>& chosen) {
    std::vector<CellEdit> edits;
    for (std::size_t i = 0; i < fixes.size() && i < chosen.size(); ++i)
        if (chosen[i] && fixes[i].Fixable())
            edits.push_back({fixes[i].row, fixes[i].column, fixes[i].fixed});
    return edits;
}

std::string FixCaption(std::size_t values) {
    return "Fix " + std::to_string(values) + (values == 1 ? " Value" : " Values");
}

} // namespace kestrix
