#pragma once

#include "platform/chart_drawing.h"

#include <string>

namespace kestrix::platform {

// The chart as an SVG drawing (UTF-8 text), drawn as the layout places it: what
// the screen shows, with one circle for each place that has a point.
std::string ChartSvg(const Chart& chart, const ChartLayout& layout);

} // namespace kestrix::platform
