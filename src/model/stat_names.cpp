#include "model/stat_names.h"

#include "model/stat_catalogue.h"

#include <array>
#include <charconv>

namespace kestrix {

namespace {

// Letters and digits only, folded: "Max Velocity" and "maxvelocity" are one name.
std::string NameKey(std::string_view name) {
    std::string key;
    for (const char c : name) {
        if (c >= 'A' && c <= 'Z')
            key += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            key += c;
    }
    return key;
}

} // namespace

NamedColumn ColumnNamed(std::string_view name, std::span<const std::string_view> names) {
    const int count = static_cast<int>(names.size());
    if (name.starts_with('#')) {
        int column = -1;
        const auto [end, error] = std::from_chars(name.data() + 1, name.data() + name.size(), column);
        if (error == std::errc() && end == name.data() + name.size() && column >= 0 && column < count)
            return {column, {}};
        return {-1, "there is no stat " + std::string(name)};
    }
    const std::string key = NameKey(name);
    int found = -1;
    int starts = 0;
    for (int column = 0; column < count && !key.empty(); ++column) {
        const std::string whole = NameKey(names[static_cast<std::size_t>(column)]);
        if (whole == key)
            return {column, {}};
        if (whole.starts_with(key)) {
            found = column;
            ++starts;
        }
    }
    if (starts == 1)
        return {found, {}};
    return {-1, starts > 1 ? "\"" + std::string(name) + "\" could be more than one stat"
                           : "no stat is called \"" + std::string(name) + "\""};
}

NamedColumn StatNamed(std::string_view name) {
    static const std::array<std::string_view, kStatCount> kNames = [] {
        std::array<std::string_view, kStatCount> names{};
        for (int column = 0; column < kStatCount; ++column)
            names[static_cast<std::size_t>(column)] = StatCatalogue::Instance()[column].StatName;
        return names;
    }();
    return ColumnNamed(name, kNames);
}

} // namespace kestrix
