#include "model/stat_catalogue.h"

#include "model/stat_description.h"

#include <charconv>
#include <cmath>

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

const std::array<std::string_view, kFlagCount> kFlagNames{
    "1G_BOOST",        "2G_BOOST",    "REV_BONNET",  "HANGING_BOOT",   "NO_DOORS",     "IS_VAN",
    "IS_BUS",          "IS_LOW",      "DBL_EXHAUST", "TAILGATE_BOOT",  "NOSWING_BOOT", "NONPLAYER_STABILISER",
    "NEUTRALHANDLING", "HAS_NO_ROOF", "IS_BIG",      "HALOGEN_LIGHTS",
};

StatCatalogue::StatCatalogue() {
    for (int column = 0; column < kStatCount; ++column)
        defs_[static_cast<std::size_t>(column)] = DescriptionOf(column).def;
}

const StatCatalogue& StatCatalogue::Instance() {
    static const StatCatalogue catalogue;
    return catalogue;
}

std::string LetterChoiceStored(std::string_view choice) {
    return std::string(choice.substr(0, 1));
}

int LetterChoicePosition(std::string_view stored, std::string_view firstLetters) {
    for (std::size_t i = 0; i < firstLetters.size(); ++i) {
        if (stored.size() == 1 && stored[0] == firstLetters[i])
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<int> StoredWholeNumber(std::string_view stored, int count) {
    while (!stored.empty() && stored.front() == ' ')
        stored.remove_prefix(1);
    while (!stored.empty() && stored.back() == ' ')
        stored.remove_suffix(1);
    if (stored.size() > 1 && stored.front() == '+' && stored[1] != '-')
        stored.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), value);
    if (error != std::errc() || end != stored.data() + stored.size() || !std::isfinite(value))
        return std::nullopt;
    // Rounded first (halves to the even number), then judged, so "3.4" still
    // shows a choice; -0.4 rounds to zero.
    const double rounded = std::nearbyint(value);
    if (rounded < 0 || rounded > count - 1)
        return std::nullopt;
    return static_cast<int>(rounded);
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

std::string PlainDecimal(double value) {
    if (value == 0)
        value = 0; // no "-0"
    // The shortest digits that read back as the value, placed by hand: the
    // library's fixed form of 1e23 would spell out the double's binary value.
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const std::size_t e = text.find('e');
    std::string digits;
    for (const char c : text.substr(0, e))
        if (c >= '0' && c <= '9')
            digits += c;
    int exponent = 0;
    std::string_view power = text.substr(e + 1);
    if (power.front() == '+')
        power.remove_prefix(1);
    std::from_chars(power.data(), power.data() + power.size(), exponent);
    const int count = static_cast<int>(digits.size());
    std::string out = value < 0 ? "-" : "";
    // Plain digits as far as people read them; beyond that a power of ten, as "1e23".
    constexpr int kPlainDigits = 21;
    if (exponent >= kPlainDigits || exponent < -6) {
        out += digits.substr(0, 1);
        if (count > 1)
            out.append(".").append(digits.substr(1));
        return out + "e" + std::to_string(exponent);
    }
    if (exponent < 0)
        return out + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    if (exponent + 1 >= count)
        return out + digits + std::string(static_cast<std::size_t>(exponent + 1 - count), '0');
    const std::size_t point = static_cast<std::size_t>(exponent + 1);
    return out + digits.substr(0, point) + "." + digits.substr(point);
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

} // namespace kestrix
