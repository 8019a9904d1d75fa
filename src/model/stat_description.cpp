#include "model/stat_description.h"

#include "model/number.h"

namespace kestrix {

const std::array<std::string_view, kFlagCount> kFlagNames{
    "1G_BOOST",        "2G_BOOST",    "REV_BONNET",  "HANGING_BOOT",   "NO_DOORS",     "IS_VAN",
    "IS_BUS",          "IS_LOW",      "DBL_EXHAUST", "TAILGATE_BOOT",  "NOSWING_BOOT", "NONPLAYER_STABILISER",
    "NEUTRALHANDLING", "HAS_NO_ROOF", "IS_BIG",      "HALOGEN_LIGHTS",
};

namespace {

constexpr auto kChoiceList = StatControlKind::ChoiceList;
constexpr auto kCheckBox = StatControlKind::CheckBox;
constexpr auto kFlagList = StatControlKind::Flags;

// One row per column, in the file's order: name, text or number, longest
// length, lowest and highest value; meaning and unit; page, row and label;
// control, stored form and choices. Axes are those of the car: X across, Y
// from back to front, Z upwards.
constinit const std::array<StatDescription, kStatCount> kStats{{
    {{"Vehicle Identifier", true, 14, 0, 0},
     {"The name that ties this line to its car in the game.", ""},
     {0, 0, "Vehicle Identifier :"}},
    {{"Mass", false, 0, 1, 50000}, {"How heavy the car is.", "kilograms"}, {1, 0, "Mass :"}},
    {{"Dimensions (X)", false, 0, 0, 20},
     {"The width of the car's body, for collisions.", "metres"},
     {1, 1, "Dimensions x/y/z :"}},
    {{"Dimensions (Y)", false, 0, 0, 20},
     {"The length of the car's body, for collisions.", "metres"},
     {1, 1, "Dimensions x/y/z :"}},
    {{"Dimensions (Z)", false, 0, 0, 20},
     {"The height of the car's body, for collisions.", "metres"},
     {1, 1, "Dimensions x/y/z :"}},
    {{"Centre Of Mass (X)", false, 0, -10, 10},
     {"How far the centre of mass lies to the side.", "metres"},
     {1, 2, "Centre Of Mass x/y/z"}},
    {{"Centre Of Mass (Y)", false, 0, -10, 10},
     {"How far the centre of mass lies forward.", "metres"},
     {1, 2, "Centre Of Mass x/y/z"}},
    {{"Centre Of Mass (Z)", false, 0, -10, 10},
     {"How high the centre of mass lies.", "metres"},
     {1, 2, "Centre Of Mass x/y/z"}},
    {{"Submerged (%)", false, 0, 10, 120},
     {"How deep the car sinks before it floats.", "percent of its height"},
     {1, 3, "Submerged %"}},
    {{"Traction Multiplier", false, 0, 0.5, 2},
     {"How well the tyres grip; 1 is ordinary grip.", "multiplier"},
     {2, 0, "Traction Multiplier :"}},
    {{"Traction Loss", false, 0, 0, 1},
     {"How much grip a wheel loses once it slides.", "fraction"},
     {2, 1, "Traction Loss :"}},
    {{"Traction Bias", false, 0, 0, 1},
     {"How grip is shared; 1 is all on the front wheels.", "fraction"},
     {2, 2, "Traction Bias :"}},
    {{"Number Of Gears", false, 0, 1, 5},
     {"How many forward gears the gearbox has.", ""},
     {3, 0, "Number of Gears :"}},
    {{"Max Velocity", false, 0, 5, 300},
     {"The car's top speed on a flat road.", "kilometres per hour"},
     {3, 1, "Maximum Velocity :"}},
    {{"Engine Acceleration", false, 0, 0.1, 50},
     {"How fast the engine speeds the car up.", "metres per second squared"},
     {3, 2, "Engine Acceleration :"}},
    {{"Drive Type", true, 0, 0, 0},
     {"Which wheels the engine drives: front, rear or all four.", ""},
     {3, 3, "Drive Type :"},
     kChoiceList,
     StoredForm::FirstLetter,
     kDriveChoices},
    {{"Engine Type", true, 0, 0, 0},
     {"What the engine runs on: petrol, diesel or electricity.", ""},
     {3, 4, "Engine Type :"},
     kChoiceList,
     StoredForm::FirstLetter,
     kEngineChoices},
    {{"Brake Deceleration", false, 0, 0.1, 20},
     {"How fast the brakes slow the car.", "metres per second squared"},
     {4, 0, "Brake Deceleration :"}},
    {{"Brake Bias", false, 0, 0, 1},
     {"How braking is shared; 1 is all on the front wheels.", "fraction"},
     {4, 1, "Brake Bias :"}},
    {{"ABS", true, 0, 0, 0},
     {"Whether anti-lock brakes keep the wheels turning.", ""},
     {4, 3, "ABS Brakes"},
     kCheckBox,
     StoredForm::Position},
    {{"Steering Lock", false, 0, 10, 40},
     {"How far the front wheels turn to either side.", "degrees"},
     {4, 2, "Steering Lock :"}},
    {{"Suspension Force Level", false, 0, 0, 10},
     {"How stiff the springs are; higher is firmer.", ""},
     {5, 0, "Force Level :"}},
    {{"Suspension Damping Level", false, 0, 0, 10},
     {"How quickly the springs stop bouncing; higher is sooner.", ""},
     {5, 1, "Damping Level :"}},
    {{"Seat Offset Distance", false, 0, 0, 10},
     {"How far the driver's seat sits from the middle line.", "metres"},
     {0, 1, "Seat Offset Distance :"}},
    {{"Collision Damage Multiplier", false, 0, 0.2, 5},
     {"How much harm a collision does; 1 is ordinary.", "multiplier"},
     {0, 2, "Collision Damage Multipllier :"}},
    {{"Monetary Value", false, 0, 1, 150000},
     {"What the car costs to buy.", "the game's money"},
     {0, 3, "Monetary Value :"}},
    {{"Suspension Upper Limit", false, 0, -2, 2},
     {"How far a wheel can rise above where it rests.", "metres"},
     {5, 2, "Upper Limit :"}},
    {{"Suspension Lower Limit", false, 0, -2, 2},
     {"How far a wheel can drop below where it rests.", "metres"},
     {5, 3, "Lower Limit :"}},
    {{"Front-Rear Suspension Bias", false, 0, -2, 2},
     {"How spring force is shared; higher puts more on the front.", ""},
     {5, 4, "Front / Rear Bias :"}},
    {{"Flags", true, 4, 0, 0},
     {"Sixteen on-or-off properties, four to a hexadecimal digit.", ""},
     {7, 0, "Flags :"},
     kFlagList,
     StoredForm::FlagDigits,
     kFlagNames},
    {{"Front Lights", true, 0, 0, 0},
     {"The shape of the headlights.", ""},
     {6, 0, "Front Lights :"},
     kChoiceList,
     StoredForm::Position,
     kLightChoices},
    {{"Rear Lights", true, 0, 0, 0},
     {"The shape of the tail lights.", ""},
     {6, 1, "Rear Lights :"},
     kChoiceList,
     StoredForm::Position,
     kLightChoices},
}};

} // namespace

const StatDescription& DescriptionOf(int column) {
    return kStats.at(static_cast<std::size_t>(column));
}

int EntryCount(const StatDescription& stat) {
    return stat.control == StatControlKind::CheckBox ? 2 : static_cast<int>(stat.choices.size());
}

int EntryOf(const StatDescription& stat, std::string_view stored) {
    if (stat.stored == StoredForm::FirstLetter) {
        for (int entry = 0; entry < EntryCount(stat); ++entry)
            if (stored == StoredEntry(stat, entry))
                return entry;
        return -1;
    }
    return StoredWholeNumber(stored, EntryCount(stat)).value_or(-1);
}

std::string StoredEntry(const StatDescription& stat, int entry) {
    if (stat.stored == StoredForm::FirstLetter)
        return std::string(stat.choices[static_cast<std::size_t>(entry)].substr(0, 1));
    return std::to_string(entry);
}

} // namespace kestrix
