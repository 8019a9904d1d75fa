#include "model/car_change.h"

#include "model/number.h"

#include <cmath>
#include <map>
#include <utility>

namespace kestrix {

CarChange ChangeOf(const CarTable& cars, const std::vector<CellEdit>& edits) {
    std::map<std::pair<int, int>, const CellEdit*> last;
    std::vector<std::pair<int, int>> order;
    for (const CellEdit& edit : edits) {
        if (edit.row < 0 || edit.row >= static_cast<int>(cars.size()) || edit.column < 0 ||
            edit.column >= kStatCount)
            continue;
        const std::pair<int, int> cell{edit.row, edit.column};
        if (last.emplace(cell, &edit).second)
            order.push_back(cell);
        else
            last[cell] = &edit;
    }
    CarChange change;
    for (const std::pair<int, int>& cell : order) {
        const CellEdit& edit = *last[cell];
        const std::string_view before = cars[static_cast<std::size_t>(edit.row)][edit.column];
        if (before != edit.value)
            change.cells.push_back({edit.row, edit.column, std::string(before), edit.value});
    }
    return change;
}

BulkResult BulkValue(std::string_view value, BulkOperation operation, double operand,
                     std::string_view typed) {
    if (operation == BulkOperation::Set)
        return {typed.empty() ? PlainDecimal(operand) : std::string(typed), BulkSkip::None};
    const std::optional<double> number = PlainNumber(value);
    if (!number)
        return {std::nullopt, BulkSkip::NotANumber};
    const double result = operation == BulkOperation::Add ? *number + operand : *number * operand;
    if (!std::isfinite(result))
        return {std::nullopt, BulkSkip::TooLarge};
    return {ComputedDecimal(result, value), BulkSkip::None};
}

} // namespace kestrix
