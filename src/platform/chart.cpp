#include "platform/chart.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrix::platform {

double RoundStep(double atLeast) {
    const double power = std::pow(10.0, std::floor(std::log10(atLeast)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (factor * power >= atLeast * (1 - 1e-12))
            return factor * power;
    return 10 * power;
}

AxisRange RoundAxis(double low, double high) {
    const bool fromZero = low >= 0;
    if (!(low < high)) { // one value: a step on either side of it, as for a value that size
        const double size = std::max(std::abs(low), 1.0);
        low -= size / 10;
        high += size / 10;
    }
    double step = RoundStep((high - low) / 10);
    // A low that is not negative keeps the axis from zero on, whatever the rounding.
    const auto from = [&] {
        const double rounded = std::floor(low / step) * step;
        return fromZero ? std::max(rounded, 0.0) : rounded;
    };
    while ((std::ceil(high / step) * step - from()) / step > 10 + 1e-9)
        step = RoundStep(step * 1.01);
    return {from(), std::ceil(high / step) * step, step};
}

void Chart::SetTitles(std::string title, std::string summary, std::string axisX, std::string axisY) {
    title_ = std::move(title);
    summary_ = std::move(summary);
    axisX_ = std::move(axisX);
    axisY_ = std::move(axisY);
    Notify(Aspect::Caption);
}

void Chart::SetBars(std::vector<ChartBar> bars, std::vector<ChartLimit> limits) {
    kind_ = Kind::Bars;
    bars_ = std::move(bars);
    limits_ = std::move(limits);
    points_.clear();
    highlighted_.clear();
    changed_.clear();
    Notify(Aspect::Rows);
}

void Chart::SetPoints(std::vector<ChartPoint> points, std::vector<int> highlighted) {
    kind_ = Kind::Scatter;
    points_ = std::move(points);
    highlighted_ = std::move(highlighted);
    bars_.clear();
    limits_.clear();
    changed_.clear();
    FitRanges();
    Notify(Aspect::Rows);
}

void Chart::UpdatePoints(const std::vector<std::pair<int, ChartPoint>>& changes) {
    changed_.clear();
    for (const auto& [index, point] : changes) {
        points_.at(static_cast<std::size_t>(index)) = point;
        changed_.push_back(index);
    }
    FitRanges();
    if (!changed_.empty())
        Notify(Aspect::Value);
}

// The axes grow and shrink with the points, a few milliseconds for every car.
void Chart::FitRanges() {
    double lowX = std::numeric_limits<double>::max(), highX = std::numeric_limits<double>::lowest();
    double lowY = lowX, highY = highX;
    for (const ChartPoint& point : points_) {
        lowX = std::min(lowX, point.x);
        highX = std::max(highX, point.x);
        lowY = std::min(lowY, point.y);
        highY = std::max(highY, point.y);
    }
    if (points_.empty())
        lowX = lowY = 0, highX = highY = 1;
    rangeX_ = RoundAxis(lowX, highX);
    rangeY_ = RoundAxis(lowY, highY);
}

void Chart::SetHighlighted(std::vector<int> highlighted) {
    if (highlighted == highlighted_)
        return;
    highlighted_ = std::move(highlighted);
    Notify(Aspect::Selection);
}

bool Chart::Holds(const std::vector<int>& points) const {
    return !points.empty() && std::all_of(points.begin(), points.end(), [this](int point) {
        return point >= 0 && point < static_cast<int>(points_.size());
    });
}

std::string Chart::UserPointsAt(const std::vector<int>& points) const {
    return PointText && Holds(points) ? PointText(points) : std::string();
}

void Chart::UserClicksPoints(const std::vector<int>& points) {
    if (PointClick && Holds(points))
        PointClick(points);
}

std::string Chart::UserPointsAtBar(int bar) const {
    return BarText && bar >= 0 && bar < static_cast<int>(bars_.size()) ? BarText(bar) : std::string();
}

void Chart::UserClicksBar(int bar) {
    if (BarClick && bar >= 0 && bar < static_cast<int>(bars_.size()))
        BarClick(bar);
}

std::string Chart::SaveImage(const std::string& path) const {
    return writer_ ? writer_(path) : std::string("The chart is not shown");
}

} // namespace kestrix::platform
