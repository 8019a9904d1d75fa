#pragma once

#include "document/change.h"
#include "model/car_change.h"
#include "model/stat_catalogue.h"

#include <utility>
#include <vector>

namespace kestrix::bench {

// Every number cell of every car multiplied by 1.1, as the car table's bulk edit makes it.
inline Change MultiplyAll(const CarTable& cars) {
    std::vector<CellEdit> edits;
    for (int row = 0; row < static_cast<int>(cars.size()); ++row)
        for (int column = 1; column < kStatCount; ++column)
            if (!StatCatalogue::Instance()[column].IsText)
                if (BulkResult result =
                        BulkValue(cars[static_cast<std::size_t>(row)][column], BulkOperation::Multiply, 1.1);
                    result.value)
                    edits.push_back({row, column, std::move(*result.value)});
    return ValuesChange(cars, edits, "Multiply by 1.1");
}

} // namespace kestrix::bench
