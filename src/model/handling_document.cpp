#include "model/handling_document.h"

namespace kestrix {

void CarRow::Set(int column, std::string_view value) {
    const std::size_t i = static_cast<std::size_t>(column);
    const std::uint32_t start = i == 0 ? 0 : ends_[i - 1];
    const std::uint32_t oldLength = ends_[i] - start;
    text_.replace(start, oldLength, value);
    const std::uint32_t newLength = static_cast<std::uint32_t>(value.size());
    for (std::size_t j = i; j < ends_.size(); ++j)
        ends_[j] = ends_[j] - oldLength + newLength;
}

void CarRow::Assign(const std::string_view* values, int count) {
    std::size_t total = 0;
    for (int i = 0; i < count; ++i)
        total += values[i].size();
    text_.clear();
    text_.reserve(total);
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        if (static_cast<int>(i) < count)
            text_.append(values[i]);
        ends_[i] = static_cast<std::uint32_t>(text_.size());
    }
}

std::string TitleText(std::string_view filePath, bool loaded, bool modified) {
    std::string title(kProgramTitle);
    if (!loaded)
        return title;
    title.append(" (").append(filePath).append(modified ? "*)" : ")");
    return title;
}

} // namespace kestrix
