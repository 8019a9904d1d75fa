#include "model/stat_catalogue.h"

#include <algorithm>

namespace kestrix {

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

StatCatalogue::StatCatalogue() {
    for (int column = 0; column < kStatCount; ++column)
        defs_[static_cast<std::size_t>(column)] = DescriptionOf(column).def;
}

const StatCatalogue& StatCatalogue::Instance() {
    static const StatCatalogue catalogue;
    return catalogue;
}

FlagTicks DecodeFlags(std::string_view stored) {
    std::string digits(stored.substr(0, 4));
    digits.resize(4, '0');
    FlagTicks ticks{};
    for (int group = 0; group < 4; ++group) {
        const int value = HexDigitValue(digits[static_cast<std::size_t>(group)]);
        for (int bit = 0; bit < 4 && value >= 0; ++bit)
            ticks[static_cast<std::size_t>(group * 4 + bit)] = (value >> bit) & 1;
    }
    return ticks;
}

std::string EncodeFlags(const FlagTicks& ticks) {
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string stored;
    for (int group = 0; group < 4; ++group) {
        int value = 0;
        for (int bit = 0; bit < 4; ++bit)
            value |= ticks[static_cast<std::size_t>(group * 4 + bit)] ? (1 << bit) : 0;
        stored += kHex[static_cast<std::size_t>(value)];
    }
    return stored;
}

std::string FlagsAfterTicks(std::string_view stored, const FlagTicks& ticks) {
    return DecodeFlags(stored) == ticks ? std::string(stored) : EncodeFlags(ticks);
}

std::string FlagsStoredNote(std::string_view stored) {
    const bool hexadecimal =
        std::all_of(stored.begin(), stored.end(), [](char c) { return HexDigitValue(c) >= 0; });
    if (stored.size() == 4 && hexadecimal)
        return {};
    const std::string storedAs =
        stored.empty() ? "Stored empty" : "Stored as \"" + std::string(stored) + "\"";
    return storedAs + ", shown as " + EncodeFlags(DecodeFlags(stored)) +
           ". Ticking a flag writes four characters.";
}

} // namespace kestrix
