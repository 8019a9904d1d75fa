#include "model/car_change.h"

#include "model/number.h"

#include <cmath>
#include <utility>

namespace kestrix {

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
