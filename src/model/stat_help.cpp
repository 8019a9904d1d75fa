#include "model/stat_help.h"

#include "model/stat_catalogue.h"

#include <array>

namespace kestrix {

namespace {

// One row per column, in catalogue order. Axes are those of the car: X across,
// Y from back to front, Z upwards.
constexpr std::array<StatHelp, kStatCount> kHelp{{
    {"The name that ties this line to its car in the game.", ""},
    {"How heavy the car is.", "kilograms"},
    {"The width of the car's body, for collisions.", "metres"},
    {"The length of the car's body, for collisions.", "metres"},
    {"The height of the car's body, for collisions.", "metres"},
    {"How far the centre of mass lies to the side.", "metres"},
    {"How far the centre of mass lies forward.", "metres"},
    {"How high the centre of mass lies.", "metres"},
    {"How deep the car sinks before it floats.", "percent of its height"},
    {"How well the tyres grip; 1 is ordinary grip.", "multiplier"},
    {"How much grip a wheel loses once it slides.", "fraction"},
    {"How grip is shared; 1 is all on the front wheels.", "fraction"},
    {"How many forward gears the gearbox has.", ""},
    {"The car's top speed on a flat road.", "kilometres per hour"},
    {"How fast the engine speeds the car up.", "metres per second squared"},
    {"Which wheels the engine drives: front, rear or all four.", ""},
    {"What the engine runs on: petrol, diesel or electricity.", ""},
    {"How fast the brakes slow the car.", "metres per second squared"},
    {"How braking is shared; 1 is all on the front wheels.", "fraction"},
    {"Whether anti-lock brakes keep the wheels turning.", ""},
    {"How far the front wheels turn to either side.", "degrees"},
    {"How stiff the springs are; higher is firmer.", ""},
    {"How quickly the springs stop bouncing; higher is sooner.", ""},
    {"How far the driver's seat sits from the middle line.", "metres"},
    {"How much harm a collision does; 1 is ordinary.", "multiplier"},
    {"What the car costs to buy.", "the game's money"},
    {"How far a wheel can rise above where it rests.", "metres"},
    {"How far a wheel can drop below where it rests.", "metres"},
    {"How spring force is shared; higher puts more on the front.", ""},
    {"Sixteen on-or-off properties, four to a hexadecimal digit.", ""},
    {"The shape of the headlights.", ""},
    {"The shape of the tail lights.", ""},
}};

} // namespace

const StatHelp& StatHelpOf(int column) {
    return kHelp.at(static_cast<std::size_t>(column));
}

std::string StatTip(int column) {
    const StatHelp& help = StatHelpOf(column);
    std::string tip(help.Meaning);
    if (!help.Unit.empty())
        tip += " Unit: " + std::string(help.Unit) + ".";
    return tip;
}

} // namespace kestrix
