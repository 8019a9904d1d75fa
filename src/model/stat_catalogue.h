#pragma once

#include "model/stat_description.h"

#include <array>
#include <string>
#include <string_view>

namespace kestrix {

// The definition of every column, as the descriptions give it.
class StatCatalogue {
  public:
    static const StatCatalogue& Instance();
    const StatDef& operator[](int column) const { return defs_.at(static_cast<std::size_t>(column)); }
    static constexpr int size() { return kStatCount; }

  private:
    StatCatalogue();
    std::array<StatDef, kStatCount> defs_{};
};

// Flags: four hexadecimal digits, one per group of four flags.
// Reading takes the first four characters, fills up with "0", and leaves a
// group unticked when its character is not a hexadecimal digit.
using FlagTicks = std::array<bool, kFlagCount>;
FlagTicks DecodeFlags(std::string_view stored);
std::string EncodeFlags(const FlagTicks& ticks);
// The Flags value after the user set these ticks: the stored text itself while
// the ticks are those it shows, so that only a changed tick writes four digits.
std::string FlagsAfterTicks(std::string_view stored, const FlagTicks& ticks);
// What the flag list says under itself when the stored value is not exactly
// four hexadecimal digits, and so is not shown as it is; empty when it is.
std::string FlagsStoredNote(std::string_view stored);

} // namespace kestrix
