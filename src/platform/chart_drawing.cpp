#include "platform/chart_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kestrix::platform {

namespace {

constexpr double kPad = 14;  // inside the chart's edge
constexpr double kGap = 6;   // between a text and what it names
constexpr double kTick = 4;  // a tick's length outside the plot
constexpr double kBar = 0.9; // of a bar's column
constexpr double kCorner = 6;

constexpr Color kPanel{255, 255, 255};
constexpr Color kPanelEdge{215, 215, 215};
constexpr Color kGrid{228, 228, 228};
constexpr Color kAxis{150, 150, 150};
constexpr Color kLabel{80, 80, 80};
constexpr Color kTitle{40, 40, 40};
constexpr Color kCurrent{20, 20, 20};
constexpr Color kPlain{70, 120, 180};
constexpr Color kMarked{200, 80, 60};
constexpr Color kHighlighted{240, 170, 20};
constexpr Color kLimit{133, 53, 40};

// The colour's border: each channel at percent / 100 of the colour's.
Color Darker(Color color, int percent) {
    const auto part = [percent](std::uint8_t channel) {
        return static_cast<std::uint8_t>(channel * 100 / percent);
    };
    return {part(color.red), part(color.green), part(color.blue)};
}

double Widest(const std::vector<AxisTick>& ticks, const ChartFont& font) {
    double widest = 0;
    for (const AxisTick& tick : ticks)
        widest = std::max(widest, font.width(tick.label, false));
    return widest;
}

} // namespace

std::string TickText(double value, double step) {
    int decimals = 0;
    for (double scaled = step; decimals < 12; ++decimals, scaled *= 10)
        if (std::abs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled))
            break;
    char text[64];
    if (std::abs(value) >= 1e15) // a value no car should have: its digits would not fit
        std::snprintf(text, sizeof text, "%g", value);
    else
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string shown = text;
    if (shown.front() == '-' && shown.find_first_not_of("-0.") == std::string::npos)
        shown.erase(0, 1); // a zero a rounding left below nought
    return shown;
}

PointMarker PlainMarker() {
    return {kPlain, Darker(kPlain, 140), 3.5};
}

PointMarker HighlightedMarker() {
    return {kHighlighted, Darker(kHighlighted, 140), 5.5};
}

// The layout.

ChartLayout::ChartLayout(const Chart& chart, double width, double height, const ChartFont& font)
    : width_(std::max(width, 1.0)), height_(std::max(height, 1.0)), font_(font) {
    titleBaseline_ = kPad + font_.ascent;
    legendBaseline_ = height_ - kPad - font_.descent;
    titleXBaseline_ = legendBaseline_ - font_.Height() - kGap * 2;
    titleYBaseline_ = kPad + font_.ascent;
    // Room above the plot for half the top tick's label.
    plot_.top = kPad + font_.Height() + kGap + font_.Height() / 2;
    if (chart.Shows() == Chart::Kind::Bars)
        PlaceBars(chart);
    else
        PlaceScatter(chart);
    PlaceLegend(chart);
}

std::vector<AxisTick> ChartLayout::Ticks(const AxisRange& range, bool vertical) const {
    std::vector<AxisTick> ticks;
    const long steps = std::lround((range.to - range.from) / range.step);
    for (long i = 0; i <= steps; ++i) {
        const double value = range.from + static_cast<double>(i) * range.step;
        ticks.push_back({vertical ? PlaceY(value) : PlaceX(value), TickText(value, range.step)});
    }
    return ticks;
}

void ChartLayout::PlaceBars(const Chart& chart) {
    int most = 1;
    for (const ChartBar& bar : chart.Bars())
        most = std::max(most, bar.count);
    rangeY_ = RoundAxis(0, most);
    ticksY_ = Ticks(rangeY_, true); // labels only, placed again below
    plot_.left = kPad + font_.Height() + kGap + Widest(ticksY_, font_) + kTick + 3;
    plot_.width = std::max(1.0, width_ - kPad * 2 - plot_.left);
    const int count = std::max<int>(1, static_cast<int>(chart.Bars().size()));
    column_ = plot_.width / count;
    double widest = 0;
    for (const ChartBar& bar : chart.Bars())
        widest = std::max(widest, font_.width(bar.label, false));
    // Upright when a label would run into its neighbour.
    upright_ = widest > column_ - kGap;
    const double labels = upright_ ? widest : font_.Height();
    const double bottom = titleXBaseline_ - font_.ascent - kGap - labels - kTick - 2;
    plot_.height = std::max(1.0, bottom - plot_.top);
    labelsTop_ = plot_.Bottom() + kTick + 2;
    scaleY_ = plot_.height / (rangeY_.to - rangeY_.from);
    ticksY_ = Ticks(rangeY_, true);
    for (std::size_t bar = 0; bar < chart.Bars().size(); ++bar)
        barLabels_.push_back({EdgeX(static_cast<int>(bar)) + column_ / 2, chart.Bars()[bar].label});
}

void ChartLayout::PlaceScatter(const Chart& chart) {
    rangeX_ = chart.RangeX();
    rangeY_ = chart.RangeY();
    ticksY_ = Ticks(rangeY_, true);
    ticksX_ = Ticks(rangeX_, false);
    plot_.left = kPad + font_.Height() + kGap + Widest(ticksY_, font_) + kTick + 3;
    // Room on the right for half the last tick's label.
    const double right = width_ - kPad - std::max(kPad, font_.width(ticksX_.back().label, false) / 2);
    plot_.width = std::max(1.0, right - plot_.left);
    labelsTop_ = titleXBaseline_ - font_.ascent - kGap - font_.Height();
    plot_.height = std::max(1.0, labelsTop_ - kTick - 2 - plot_.top);
    scaleX_ = plot_.width / (rangeX_.to - rangeX_.from);
    scaleY_ = plot_.height / (rangeY_.to - rangeY_.from);
    ticksY_ = Ticks(rangeY_, true);
    ticksX_ = Ticks(rangeX_, false);
}

void ChartLayout::PlaceLegend(const Chart& chart) {
    using Mark = LegendEntry::Mark;
    if (chart.Shows() == Chart::Kind::Bars) {
        legend_ = {{Mark::Swatch, kPlain, "Cars"},
                   {Mark::Swatch, kMarked, "Outside the limits or unknown"},
                   {Mark::Swatch, kHighlighted, "Selected in the car table"}};
        for (const ChartLimit& limit : chart.Limits())
            legend_.push_back({Mark::Dash, kLimit, limit.label});
    } else {
        legend_ = {{Mark::Dot, kPlain, "Cars"}, {Mark::Dot, kHighlighted, "Selected in the car table"}};
    }
    const auto markWidth = [](Mark mark) { return mark == Mark::Dash ? 18.0 : 10.0; };
    double total = 0;
    for (const LegendEntry& entry : legend_)
        total += markWidth(entry.mark) + 5 + font_.width(entry.text, false) + 16;
    double x = std::max(kPad, (width_ - (total - 16)) / 2);
    for (LegendEntry& entry : legend_) {
        entry.x = x;
        x += markWidth(entry.mark) + 5 + font_.width(entry.text, false) + 16;
    }
}

Box ChartLayout::Column(int bar) const {
    return {EdgeX(bar), plot_.top, column_, plot_.height};
}

Box ChartLayout::BarPart(int bar, int fromCount, int toCount) const {
    const double top = PlaceY(toCount);
    return {EdgeX(bar) + column_ * (1 - kBar) / 2, top, column_ * kBar, PlaceY(fromCount) - top};
}

int ChartLayout::BarAt(double x, double y) const {
    if (barLabels_.empty() || !plot_.Contains(x, y))
        return -1;
    const int bar =
        std::clamp(static_cast<int>((x - plot_.left) / column_), 0, static_cast<int>(barLabels_.size()) - 1);
    return std::abs(x - (EdgeX(bar) + column_ / 2)) <= column_ * kBar / 2 ? bar : -1;
}

std::pair<int, int> ChartLayout::Pixel(const ChartPoint& point) const {
    return {static_cast<int>(PlaceX(point.x) - plot_.left),
            static_cast<int>(plot_.Bottom() - PlaceY(point.y))};
}

int ChartLayout::PointAt(const Chart& chart, double x, double y) const {
    int found = -1;
    double best = 0;
    const auto consider = [&](int index) {
        const ChartPoint& point = chart.Points()[static_cast<std::size_t>(index)];
        const double dx = PlaceX(point.x) - x, dy = PlaceY(point.y) - y;
        if (dx * dx + dy * dy <= best)
            found = index, best = dx * dx + dy * dy;
    };
    // The highlighted lie on top, and are larger.
    const double reach = HighlightedMarker().radius + 1;
    best = reach * reach;
    for (const int index : chart.Highlighted())
        consider(index);
    if (found >= 0)
        return found;
    best = kPointReach * kPointReach;
    for (int index = 0; index < static_cast<int>(chart.Points().size()); ++index)
        consider(index);
    return found;
}

std::vector<int> ChartLayout::PointsWith(const Chart& chart, int point) const {
    const std::pair<int, int> pixel = Pixel(chart.Points().at(static_cast<std::size_t>(point)));
    std::vector<int> points;
    for (int index = 0; index < static_cast<int>(chart.Points().size()); ++index)
        if (Pixel(chart.Points()[static_cast<std::size_t>(index)]) == pixel)
            points.push_back(index);
    return points;
}

std::vector<int> ChartLayout::PointsAt(const Chart& chart, double x, double y) const {
    const int nearest = PointAt(chart, x, y);
    return nearest < 0 ? std::vector<int>() : PointsWith(chart, nearest);
}

int ChartLayout::NextPoint(const Chart& chart, int from, int step) const {
    const auto& points = chart.Points();
    const bool hasFrom = from >= 0 && from < static_cast<int>(points.size());
    const std::pair<int, int> start =
        hasFrom ? Pixel(points[static_cast<std::size_t>(from)]) : std::pair(0, 0);
    const auto before = [step](const std::pair<int, int>& a, const std::pair<int, int>& b) {
        return step > 0 ? a < b : b < a;
    };
    int found = -1;
    std::pair<int, int> best;
    for (int index = 0; index < static_cast<int>(points.size()); ++index) {
        const std::pair<int, int> pixel = Pixel(points[static_cast<std::size_t>(index)]);
        if (hasFrom && !before(start, pixel))
            continue;
        if (found < 0 || before(pixel, best))
            found = index, best = pixel;
    }
    return found;
}

void ChartLayout::EachPlace(const Chart& chart, bool highlighted,
                            const std::function<void(double x, double y)>& draw) const {
    // Each pixel's marker is drawn once: a dense cloud has many cars on one pixel.
    const int columns = static_cast<int>(plot_.width) + 1, rows = static_cast<int>(plot_.height) + 1;
    std::vector<bool> drawn(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    const auto place = [&](const ChartPoint& point) {
        const auto [column, row] = Pixel(point);
        if (column < 0 || row < 0 || column >= columns || row >= rows)
            return;
        const std::size_t pixel = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                                  static_cast<std::size_t>(column);
        if (!drawn[pixel]) {
            drawn[pixel] = true;
            draw(PlaceX(point.x), PlaceY(point.y));
        }
    };
    if (highlighted)
        for (const int index : chart.Highlighted())
            place(chart.Points()[static_cast<std::size_t>(index)]);
    else
        for (const ChartPoint& point : chart.Points())
            place(point);
}

// The drawing.

void ChartCanvas::Points(const Chart& chart, const ChartLayout& layout) {
    const auto circles = [this](const PointMarker& marker) {
        return [this, marker](double x, double y) {
            Circle(x, y, marker.radius, marker.color, {marker.border});
        };
    };
    layout.EachPlace(chart, false, circles(PlainMarker()));
    layout.EachPlace(chart, true, circles(HighlightedMarker()));
}

namespace {

// The middle of a line of text on a baseline, from the baseline.
double Middle(const ChartFont& font) {
    return (font.ascent - font.descent) / 2;
}

void DrawGrid(const Chart& chart, const ChartLayout& layout, ChartCanvas& canvas) {
    const Box& plot = layout.Plot();
    for (const AxisTick& tick : layout.TicksY())
        canvas.Line(plot.left, tick.at, plot.Right(), tick.at, {kGrid});
    if (chart.Shows() == Chart::Kind::Scatter)
        for (const AxisTick& tick : layout.TicksX())
            canvas.Line(tick.at, plot.top, tick.at, plot.Bottom(), {kGrid});
    else
        for (int edge = 1; edge <= static_cast<int>(chart.Bars().size()); ++edge)
            canvas.Line(layout.EdgeX(edge), plot.top, layout.EdgeX(edge), plot.Bottom(), {kGrid});
}

void DrawBars(const Chart& chart, const ChartLayout& layout, ChartCanvas& canvas) {
    for (int index = 0; index < static_cast<int>(chart.Bars().size()); ++index) {
        const ChartBar& bar = chart.Bars()[static_cast<std::size_t>(index)];
        const int rest = bar.count - bar.highlighted;
        const Color color = bar.marked ? kMarked : kPlain;
        if (rest > 0)
            canvas.Rect(layout.BarPart(index, 0, rest), color, ChartCanvas::Pen{Darker(color, 130)}, 0);
        if (bar.highlighted > 0)
            canvas.Rect(layout.BarPart(index, rest, bar.count), kHighlighted,
                        ChartCanvas::Pen{Darker(kHighlighted, 130)}, 0);
    }
    const Box& plot = layout.Plot();
    for (const ChartLimit& limit : chart.Limits())
        canvas.Line(layout.EdgeX(limit.edge), plot.top, layout.EdgeX(limit.edge), plot.Bottom(),
                    {kLimit, 2, true});
}

void DrawAxes(const Chart& chart, const ChartLayout& layout, ChartCanvas& canvas) {
    using Align = ChartCanvas::Align;
    const Box& plot = layout.Plot();
    const ChartFont& font = layout.Font();
    canvas.Line(plot.left, plot.top, plot.left, plot.Bottom(), {kAxis});
    canvas.Line(plot.left, plot.Bottom(), plot.Right(), plot.Bottom(), {kAxis});
    for (const AxisTick& tick : layout.TicksY()) {
        canvas.Line(plot.left - kTick, tick.at, plot.left, tick.at, {kAxis});
        canvas.Text(tick.label, plot.left - kTick - 3, tick.at + Middle(font), Align::Right, false, kLabel,
                    false);
    }
    const double below = plot.Bottom() + kTick;
    for (const AxisTick& tick : layout.TicksX()) {
        canvas.Line(tick.at, plot.Bottom(), tick.at, below, {kAxis});
        canvas.Text(tick.label, tick.at, layout.LabelsTop() + font.ascent, Align::Middle, false, kLabel,
                    false);
    }
    if (chart.Shows() == Chart::Kind::Bars)
        for (int edge = 0; edge <= static_cast<int>(chart.Bars().size()); ++edge)
            canvas.Line(layout.EdgeX(edge), plot.Bottom(), layout.EdgeX(edge), below, {kAxis});
    for (const AxisTick& label : layout.BarLabels())
        if (layout.UprightLabels())
            canvas.Text(label.label, label.at + Middle(font), layout.LabelsTop(), Align::Right, false, kLabel,
                        true);
        else
            canvas.Text(label.label, label.at, layout.LabelsTop() + font.ascent, Align::Middle, false, kLabel,
                        false);
    canvas.Text(chart.AxisTitleX(), plot.left + plot.width / 2, layout.TitleXBaseline(), Align::Middle, true,
                kTitle, false);
    canvas.Text(chart.AxisTitleY(), layout.TitleYBaseline(), plot.top + plot.height / 2, Align::Middle, true,
                kTitle, true);
}

void DrawLegend(const ChartLayout& layout, ChartCanvas& canvas) {
    using Mark = LegendEntry::Mark;
    const double middle = layout.LegendBaseline() - Middle(layout.Font());
    for (const LegendEntry& entry : layout.Legend()) {
        double width = 10;
        if (entry.mark == Mark::Swatch)
            canvas.Rect({entry.x, middle - 5, 10, 10}, entry.color,
                        ChartCanvas::Pen{Darker(entry.color, 130)}, 0);
        else if (entry.mark == Mark::Dot)
            canvas.Circle(entry.x + 5, middle, 4.5, entry.color, {Darker(entry.color, 140)});
        else
            canvas.Line(entry.x, middle, entry.x + (width = 18), middle, {entry.color, 2, true});
        canvas.Text(entry.text, entry.x + width + 5, layout.LegendBaseline(), ChartCanvas::Align::Left, false,
                    kLabel, false);
    }
}

void DrawCurrent(const Chart& chart, const ChartLayout& layout, ChartCanvas& canvas, int current) {
    if (chart.Shows() == Chart::Kind::Bars && current < static_cast<int>(chart.Bars().size())) {
        const Box column = layout.Column(current);
        canvas.Rect({column.left + 1, column.top + 1, column.width - 2, column.height - 2}, std::nullopt,
                    ChartCanvas::Pen{kCurrent, 2, true}, 0);
    } else if (chart.Shows() == Chart::Kind::Scatter && current < static_cast<int>(chart.Points().size())) {
        const ChartPoint& point = chart.Points()[static_cast<std::size_t>(current)];
        canvas.Circle(layout.PlaceX(point.x), layout.PlaceY(point.y), HighlightedMarker().radius + 4,
                      std::nullopt, {kCurrent, 2});
    }
}

} // namespace

void DrawChart(const Chart& chart, const ChartLayout& layout, ChartCanvas& canvas, int current) {
    canvas.Rect({0.5, 0.5, layout.Width() - 1, layout.Height() - 1}, kPanel, ChartCanvas::Pen{kPanelEdge},
                kCorner);
    canvas.Text(chart.Title(), layout.Width() / 2, layout.TitleBaseline(), ChartCanvas::Align::Middle, false,
                kTitle, false);
    DrawGrid(chart, layout, canvas);
    DrawAxes(chart, layout, canvas); // under the points and bars that lie on them
    if (chart.Shows() == Chart::Kind::Bars)
        DrawBars(chart, layout, canvas);
    else
        canvas.Points(chart, layout);
    DrawLegend(layout, canvas);
    if (current >= 0)
        DrawCurrent(chart, layout, canvas, current);
}

} // namespace kestrix::platform
