#include "model/stat_help.h"

#include "model/stat_description.h"

namespace kestrix {

const StatHelp& StatHelpOf(int column) {
    return DescriptionOf(column).help;
}

std::string StatTip(int column) {
    const StatHelp& help = StatHelpOf(column);
    std::string tip(help.Meaning);
    if (!help.Unit.empty())
        tip += " Unit: " + std::string(help.Unit) + ".";
    return tip;
}

} // namespace kestrix
