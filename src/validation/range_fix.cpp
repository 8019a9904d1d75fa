#include "validation/range_fix.h"

#include "model/number.h"
#include "model/stat_description.h"

#include <algorithm>
#include <cmath>

namespace kestrix {

namespace {

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
    const double nearest = std::clamp(*number, def.Minimum, highest);
    return nearest == *number ? std::string() : ComputedDecimal(nearest, value);
}

// The entry of a list the game reads as a number, as the list shows a value
// with decimals (rounded), within its entries.
std::string EntryRepair(const StatDescription& stat, std::string_view value, const NumberFormat& format) {
    const std::optional<double> number = NumericValue(value, format);
    if (!number)
        return {};
    const double last = static_cast<double>(EntryCount(stat) - 1);
    const std::string entry = StoredEntry(stat, static_cast<int>(std::clamp(std::nearbyint(*number), 0.0, last)));
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

std::vector<RangeFix> RangeFixes(const CarTable& cars, const NumberFormat& format, CheckRules rules) {
    std::vector<RangeFix> fixes;
    ErrorRegister findings;
    CarValues values;
    for (std::size_t row = 0; row < cars.size(); ++row) {
        findings.Clear();
        for (int column = 0; column < kStatCount; ++column)
            values[static_cast<std::size_t>(column)] = cars[row][column];
        CheckCar(values, findings, format);
        const std::size_t standard = findings.Rows().size();
        if (rules == CheckRules::Strict)
            StrictCheckCar(values, findings, format);
        for (std::size_t i = 0; i < findings.Rows().size(); ++i) {
            const ErrorRecord& finding = findings.Rows()[i];
            const int column = finding.ErrorNumber;
            fixes.push_back({static_cast<int>(row), column,
                             Repair(column, values[static_cast<std::size_t>(column)], format),
                             finding.ExplanationString, i >= standard});
        }
    }
    return fixes;
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
