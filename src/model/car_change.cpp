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

bool IsRelativeInput(std::string_view text) {
    return text.starts_with('=');
}

std::optional<std::string> RelativeValue(std::string_view input, std::string_view committed) {
    if (!IsRelativeInput(input) || input.size() < 3)
        return std::nullopt;
    const char operation = input[1];
    std::string_view operand = input.substr(2);
    const bool share = operand.ends_with('%');
    if (share)
        operand.remove_suffix(1);
    const std::optional<double> number = PlainNumber(operand);
    if (!number)
        return std::nullopt;
    const double amount = share ? *number / 100 : *number;
    switch (operation) {
    case '*':
        return BulkValue(committed, BulkOperation::Multiply, amount).value;
    case '/':
        if (amount == 0)
            return std::nullopt;
        return BulkValue(committed, BulkOperation::Multiply, 1 / amount).value;
    case '+':
    case '-': {
        const double sign = operation == '+' ? 1 : -1;
        if (share)
            return BulkValue(committed, BulkOperation::Multiply, 1 + sign * amount).value;
        return BulkValue(committed, BulkOperation::Add, sign * amount).value;
    }
    default:
        return std::nullopt;
    }
}

std::optional<std::string> TypedValue(std::string_view input, std::string_view replaced) {
    if (!IsRelativeInput(input))
        return std::string(input);
    return RelativeValue(input, replaced);
}

} // namespace kestrix
