#pragma once

#include "model/stat_help.h"

#include <array>
#include <cstdint>
#include <span>
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

// The choice lists in the order the editor offers them.
inline constexpr std::array<std::string_view, 3> kDriveChoices{"Front", "Rear", "4-Wheel"};
inline constexpr std::array<std::string_view, 3> kEngineChoices{"Petrol", "Diesel", "Electric"};
inline constexpr std::array<std::string_view, 4> kLightChoices{"Long", "Small", "Big", "Tall"};
extern const std::array<std::string_view, kFlagCount> kFlagNames;

// How a stat is edited: typed into a field, chosen from a list, ticked in a
// box, or one tick per flag.
enum class StatControlKind { Field, ChoiceList, CheckBox, Flags };

// What the file holds for a choice: the text as typed, the first letter of
// the choice, the choice's position (a box: 0 unticked, 1 ticked), or the
// flags' hexadecimal digits.
enum class StoredForm { AsTyped, FirstLetter, Position, FlagDigits };

// Where the main window shows a stat: its page, its row there (top to
// bottom; stats on one row share its label) and the row's label, which a
// check box carries itself.
struct StatPlace {
    int page = 0;
    int row = 0;
    std::string_view label;
};

// Everything the editor knows of a stat, in one place: its definition and
// help, where the main window shows it, how it is edited and what is stored.
struct StatDescription {
    StatDef def;
    StatHelp help;
    StatPlace place;
    StatControlKind control = StatControlKind::Field;
    StoredForm stored = StoredForm::AsTyped;
    // The entries of a choice list, or the name of each flag.
    std::span<const std::string_view> choices = {};
};

// The pages of the main window, in tab order.
inline constexpr std::array<std::string_view, 8> kStatPageNames{
    "General", "Size", "Traction", "Transmission", "Braking", "Suspension", "Lights", "Flags"};

// The description of a column, 0 to 31.
const StatDescription& DescriptionOf(int column);

// A choice list or check box: how many entries it offers, the entry a stored
// value shows (-1 for none) and the value an entry stores. Drive and engine
// types store the first letter of the choice, and only that letter shows it;
// lights and ABS store the entry's number, shown as a StoredWholeNumber.
int EntryCount(const StatDescription& stat);
int EntryOf(const StatDescription& stat, std::string_view stored);
std::string StoredEntry(const StatDescription& stat, int entry);

} // namespace kestrix
