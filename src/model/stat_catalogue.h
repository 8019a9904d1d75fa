#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

inline constexpr int kStatCount = 32;
inline constexpr int kFlagCount = 16;

struct StatDef {
    std::string_view StatName;
    bool IsText = false;
    std::int16_t MaxLength = 0;
    double Minimum = 0;
    std::int32_t Maximum = 0;
};

// The columns of a car line, by position.
enum Stat : int {
    VehicleIdentifier = 0,
    NumberOfGears = 12,
    DriveType = 15,
    EngineType = 16,
    Abs = 19,
    Flags = 29,
    FrontLights = 30,
    RearLights = 31,
};

class StatCatalogue {
  public:
    static const StatCatalogue& Instance();
    const StatDef& operator[](int column) const { return defs_.at(static_cast<std::size_t>(column)); }
    static constexpr int size() { return kStatCount; }

  private:
    StatCatalogue();
    std::array<StatDef, kStatCount> defs_{};
};

// The choice lists in the order the editor offers them.
inline constexpr std::array<std::string_view, 3> kDriveChoices{"Front", "Rear", "4-Wheel"};
inline constexpr std::array<std::string_view, 3> kEngineChoices{"Petrol", "Diesel", "Electric"};
inline constexpr std::array<std::string_view, 4> kLightChoices{"Long", "Small", "Big", "Tall"};
extern const std::array<std::string_view, kFlagCount> kFlagNames;

// Drive and engine types are stored as the first letter of the choice;
// anything else shows no choice (-1).
std::string LetterChoiceStored(std::string_view choice);
int LetterChoicePosition(std::string_view stored, std::string_view firstLetters);

// Lights and ABS are stored as a small whole number. The stored number is
// rounded to the nearest whole number (halves to the even one) and then must
// lie within [0, count); otherwise, or for a text that is no number, there is
// no value.
std::optional<int> StoredWholeNumber(std::string_view stored, int count);

// Flags: four hexadecimal digits, one per group of four flags.
// Reading takes the first four characters, fills up with "0", and leaves a
// group unticked when its character is not a hexadecimal digit.
using FlagTicks = std::array<bool, kFlagCount>;
FlagTicks DecodeFlags(std::string_view stored);
std::string EncodeFlags(const FlagTicks& ticks);

// A number as the program writes it for people and into new cars: no leading
// blank or "+", "-" for negatives, no point for whole numbers and the shortest
// digits that read back as the same value ("1", "50000", "-10", "0.5"); from
// 21 digits before the point, or 7 zeros after it, a power of ten ("1e23", "1e-7").
std::string PlainDecimal(double value);

} // namespace kestrix
