#pragma once

#include <span>
#include <string>
#include <string_view>

namespace kestrix {

// A column named as a person writes it, in a filter or a formula: "#" and its
// number, or its name with letter case, blanks and punctuation aside ("Max
// Velocity", "maxvelocity"), or the start of a name when only one name
// starts so ("maxv"). column is -1 when the text names none, and problem says why.
struct NamedColumn {
    int column = -1;
    std::string problem;
};
NamedColumn ColumnNamed(std::string_view name, std::span<const std::string_view> names);
// The same over the names of the 32 stats.
NamedColumn StatNamed(std::string_view name);

} // namespace kestrix
