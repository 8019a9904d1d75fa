#pragma once

// Where each part of a chart goes in a picture of a given size, and the one
// drawing of it, made on any canvas: the screen's, or an SVG file's.

#include "platform/chart.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

struct Box {
    double left = 0, top = 0, width = 0, height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool Contains(double x, double y) const { return x >= left && x <= Right() && y >= top && y <= Bottom(); }
};

// The font of the chart's texts as the canvas draws them; text is 8-bit, as the cars' values.
struct ChartFont {
    std::string family = "sans-serif";
    double size = 12; // pixels
    double ascent = 11, descent = 3;
    std::function<double(std::string_view text, bool bold)> width;
    double Height() const { return ascent + descent; }
};

// A line across an axis: its place in the picture and what it reads.
struct AxisTick {
    double at = 0;
    std::string label;
};

// A tick's label: as many decimals as the step has, so that the labels of one axis line up.
std::string TickText(double value, double step);

// What the chart's colours and marks mean, at the foot of the chart.
struct LegendEntry {
    enum class Mark { Swatch, Dot, Dash };
    Mark mark = Mark::Swatch;
    Color color;
    std::string text;
    double x = 0; // where its mark begins
};

// Where the parts of a chart go in a picture of this size; made anew when the
// chart or the size changes. The chart itself is handed to the calls that read
// its points, so that the layout never outlives what it was made from.
class ChartLayout {
  public:
    ChartLayout(const Chart& chart, double width, double height, const ChartFont& font);

    double Width() const { return width_; }
    double Height() const { return height_; }
    const ChartFont& Font() const { return font_; }
    const Box& Plot() const { return plot_; }
    double TitleBaseline() const { return titleBaseline_; }
    double TitleXBaseline() const { return titleXBaseline_; }
    double TitleYBaseline() const { return titleYBaseline_; }
    double LegendBaseline() const { return legendBaseline_; }
    const std::vector<LegendEntry>& Legend() const { return legend_; }
    // The value axis (the counts of bars), and the horizontal one of a scatter.
    const std::vector<AxisTick>& TicksY() const { return ticksY_; }
    const std::vector<AxisTick>& TicksX() const { return ticksX_; }
    // The bars' labels, one at each bar's middle, upright when there are many.
    const std::vector<AxisTick>& BarLabels() const { return barLabels_; }
    bool UprightLabels() const { return upright_; }
    double LabelsTop() const { return labelsTop_; }

    // A scatter's value, and a bar's count, as a place in the picture.
    double PlaceX(double value) const { return plot_.left + (value - rangeX_.from) * scaleX_; }
    double PlaceY(double value) const { return plot_.Bottom() - (value - rangeY_.from) * scaleY_; }
    // The column of a bar, the bar itself, and the line between two bars (edge: the bar to its right).
    Box Column(int bar) const;
    Box BarPart(int bar, int fromCount, int toCount) const;
    double EdgeX(int edge) const { return plot_.left + edge * column_; }

    // The bar whose column is at the place; -1 for none.
    int BarAt(double x, double y) const;
    // The nearest point in reach of the place, the highlighted ones first; -1 for none.
    int PointAt(const Chart& chart, double x, double y) const;
    // Every point drawn on the pixel of the nearest one in reach: the cars one marker stands for.
    std::vector<int> PointsAt(const Chart& chart, double x, double y) const;
    // The points drawn on the pixel of this one, itself among them.
    std::vector<int> PointsWith(const Chart& chart, int point) const;
    // The keyboard's walk from place to place, left to right and bottom to top:
    // the first point of the next (step 1) or the previous (step -1) place; from -1
    // the first or the last. -1 past the end.
    int NextPoint(const Chart& chart, int from, int step) const;
    // Calls draw once for each place that has a point (only the highlighted ones, or every point).
    void EachPlace(const Chart& chart, bool highlighted,
                   const std::function<void(double x, double y)>& draw) const;

  private:
    // The pixel a point lies on, as column and row of the plot; counted from its bottom left.
    std::pair<int, int> Pixel(const ChartPoint& point) const;
    void PlaceBars(const Chart& chart);
    void PlaceScatter(const Chart& chart);
    void PlaceLegend(const Chart& chart);
    std::vector<AxisTick> Ticks(const AxisRange& range, bool vertical) const;

    double width_, height_;
    ChartFont font_;
    Box plot_;
    double titleBaseline_ = 0, titleXBaseline_ = 0, titleYBaseline_ = 0, legendBaseline_ = 0, labelsTop_ = 0;
    AxisRange rangeX_, rangeY_;
    double scaleX_ = 0, scaleY_ = 0, column_ = 0;
    std::vector<AxisTick> ticksX_, ticksY_, barLabels_;
    bool upright_ = false;
    std::vector<LegendEntry> legend_;
};

// What a chart is drawn on. Places are in pixels from the top left; text is 8-bit.
class ChartCanvas {
  public:
    struct Pen {
        Color color;
        double width = 1;
        bool dashed = false;
    };
    enum class Align { Left, Middle, Right };

    virtual void Rect(const Box& box, std::optional<Color> fill, std::optional<Pen> border,
                      double corner) = 0;
    virtual void Line(double x1, double y1, double x2, double y2, const Pen& pen) = 0;
    // Text on a baseline through (x, y), aligned there; upright text reads upwards.
    virtual void Text(std::string_view text, double x, double y, Align align, bool bold, Color color,
                      bool upright) = 0;
    virtual void Circle(double x, double y, double radius, std::optional<Color> fill, const Pen& border) = 0;
    // The scatter's points: one marker for each place that has a point, the highlighted over the others.
    virtual void Points(const Chart& chart, const ChartLayout& layout);

  protected:
    ~ChartCanvas() = default;
};

// The markers of the points, as the screen and a drawing show them.
struct PointMarker {
    Color color, border;
    double radius;
};
PointMarker PlainMarker();
PointMarker HighlightedMarker();

// Draws the chart; current is the bar or the point the keyboard is on (-1: none), outlined.
void DrawChart(const Chart& chart, const ChartLayout& layout, ChartCanvas& canvas, int current = -1);

// How far from a point the pointer may be and still point at it, in pixels.
inline constexpr double kPointReach = 6;

} // namespace kestrix::platform
