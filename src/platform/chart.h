#pragma once

// A chart of the cars' values: bars (a histogram or counts) or a scatter of
// points. It holds what is drawn; the window decides what that is.

#include "platform/controls.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kestrix::platform {

struct ChartBar {
    std::string label;
    int count = 0;
    // How many of the counted cars are highlighted.
    int highlighted = 0;
    // A bar drawn apart: values outside the allowed range, or unknown ones.
    bool marked = false;
    friend bool operator==(const ChartBar&, const ChartBar&) = default;
};

// The smallest step of 1, 2, 2.5 or 5 times a power of ten that is at least this (positive).
double RoundStep(double atLeast);

// An axis from a round number to a round number, with a round step between its ticks.
struct AxisRange {
    double from = 0;
    double to = 1;
    double step = 1;
    friend bool operator==(const AxisRange&, const AxisRange&) = default;
};
// The axis that spans low to high in five to ten steps; it starts below zero only when low does.
AxisRange RoundAxis(double low, double high);

// A line across the bars at the left edge of bar `edge` (the bar count: the right edge of the last).
struct ChartLimit {
    int edge = 0;
    std::string label;
    friend bool operator==(const ChartLimit&, const ChartLimit&) = default;
};

struct ChartPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

class Chart : public Control {
  public:
    enum class Kind { Bars, Scatter };
    using Control::Control;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }

    Kind Shows() const { return kind_; }
    const std::string& Title() const { return title_; }
    // What assistive tools say of the chart: "Mass against Max Velocity, 66 cars".
    const std::string& Summary() const { return summary_; }
    const std::string& AxisTitleX() const { return axisX_; }
    const std::string& AxisTitleY() const { return axisY_; }
    const std::vector<ChartBar>& Bars() const { return bars_; }
    const std::vector<ChartLimit>& Limits() const { return limits_; }
    const std::vector<ChartPoint>& Points() const { return points_; }
    // The points drawn over the others, rising.
    const std::vector<int>& Highlighted() const { return highlighted_; }
    // The axes of a scatter: round numbers around the points as they are now.
    const AxisRange& RangeX() const { return rangeX_; }
    const AxisRange& RangeY() const { return rangeY_; }
    // The points the last UpdatePoints changed; a view redraws only these.
    const std::vector<int>& ChangedPoints() const { return changed_; }

    void SetTitles(std::string title, std::string summary, std::string axisX, std::string axisY);
    void SetBars(std::vector<ChartBar> bars, std::vector<ChartLimit> limits);
    void SetPoints(std::vector<ChartPoint> points, std::vector<int> highlighted);
    // Changes some points in place, the others as they are.
    void UpdatePoints(const std::vector<std::pair<int, ChartPoint>>& changes);
    void SetHighlighted(std::vector<int> highlighted);

    // What pointing at a place shows, and a click on it: the points drawn there, one or
    // several that coincide, or a bar.
    std::function<std::string(const std::vector<int>&)> PointText;
    std::function<void(const std::vector<int>&)> PointClick;
    std::function<std::string(int)> BarText;
    std::function<void(int)> BarClick;
    std::string UserPointsAt(const std::vector<int>& points) const;
    void UserClicksPoints(const std::vector<int>& points);
    std::string UserPointsAtBar(int bar) const;
    void UserClicksBar(int bar);

    // Writes the chart as a picture (".png" or ".svg" by the path's ending);
    // returns why it could not, empty when it could. Without a view there is nothing to draw.
    using ImageWriter = std::function<std::string(const std::string&)>;
    void SetImageWriter(ImageWriter writer) { writer_ = std::move(writer); }
    std::string SaveImage(const std::string& path) const;

  private:
    void FitRanges();
    bool Holds(const std::vector<int>& points) const;

    Kind kind_ = Kind::Bars;
    std::string title_, summary_, axisX_, axisY_;
    std::vector<ChartBar> bars_;
    std::vector<ChartLimit> limits_;
    std::vector<ChartPoint> points_;
    std::vector<int> highlighted_;
    std::vector<int> changed_;
    AxisRange rangeX_, rangeY_;
    ImageWriter writer_;
};

} // namespace kestrix::platform
