#include "platform/chart_drawing.h"
#include "platform/chart_svg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace kestrix::platform;

namespace {

// Seven pixels a character, as a plain font would measure.
ChartFont PlainFont() {
    ChartFont font;
    font.width = [](std::string_view text, bool bold) {
        return static_cast<double>(text.size()) * (bold ? 8 : 7);
    };
    return font;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

// Each bar stands on the plot's floor inside the plot, its height in step with
// the value axis, and is the bar found under its middle; the gap between bars is none;
// the axis reads from 0 to a round number that the tallest bar reaches.
TEST(ChartDrawingTest, BarsStandOnTheirTicksAndTheWalkMeetsEveryPlaceOnceAndEachIsFoundWhereItIsDrawn) {
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        std::vector<ChartBar> bars(1 + random() % 30);
        for (ChartBar& bar : bars) {
            bar.count = static_cast<int>(random() % 500);
            bar.highlighted = bar.count ? static_cast<int>(random() % static_cast<unsigned>(bar.count)) : 0;
            bar.label = std::string(1 + random() % 14, 'x');
        }
        Chart chart("chart");
        chart.SetBars(bars, {});
        const ChartLayout layout(chart, 300 + random() % 900, 250 + random() % 600, PlainFont());
        const Box& plot = layout.Plot();
        ASSERT_GT(plot.width, 0);
        const std::vector<AxisTick>& ticks = layout.TicksY();
        EXPECT_EQ(ticks.front().label, "0");
        EXPECT_DOUBLE_EQ(ticks.front().at, plot.Bottom());
        EXPECT_DOUBLE_EQ(ticks.back().at, plot.top);
        const double top = std::stod(ticks.back().label);
        for (int i = 0; i < static_cast<int>(bars.size()); ++i) {
            const ChartBar& bar = bars[static_cast<std::size_t>(i)];
            const Box whole = layout.BarPart(i, 0, bar.count);
            EXPECT_DOUBLE_EQ(whole.Bottom(), plot.Bottom());
            EXPECT_GE(whole.top, plot.top - 1e-9);
            EXPECT_NEAR(whole.height, plot.height * bar.count / top, 1e-6);
            EXPECT_DOUBLE_EQ(layout.BarPart(i, bar.count - bar.highlighted, bar.count).Bottom(),
                             layout.BarPart(i, 0, bar.count - bar.highlighted).top);
            EXPECT_EQ(layout.BarAt(whole.left + whole.width / 2, plot.top + 1), i);
            EXPECT_EQ(layout.BarAt(layout.EdgeX(i) + layout.Column(i).width * 0.02, plot.top + 1), -1)
                << "between two bars";
            EXPECT_EQ(layout.BarAt(whole.left + whole.width / 2, plot.Bottom() + 2), -1) << "below the plot";
        }
    }

    // The keyboard's walk from the first place to the last meets every point once,
    // each place with the points drawn on it, from left to right; the walk back
    // meets them in the reverse order; the pointer finds the points of a place on it.
    std::uniform_real_distribution<double> value(-50, 4000);
    std::vector<ChartPoint> points;
    for (int i = 0; i < 400; ++i)
        points.push_back(i % 7 == 3 ? points.back() : ChartPoint{value(random), value(random) / 100});
    Chart chart("chart");
    chart.SetPoints(points, {5, 40});
    const ChartLayout layout(chart, 640, 480, PlainFont());
    std::vector<int> walked;
    std::vector<std::vector<int>> places;
    for (int point = layout.NextPoint(chart, -1, 1); point >= 0; point = layout.NextPoint(chart, point, 1)) {
        places.push_back(layout.PointsWith(chart, point));
        EXPECT_EQ(places.back().front(), point) << "a place is told from its first point";
        walked.insert(walked.end(), places.back().begin(), places.back().end());
        const ChartPoint& at = chart.Points()[static_cast<std::size_t>(point)];
        EXPECT_TRUE(layout.Plot().Contains(layout.PlaceX(at.x), layout.PlaceY(at.y)));
        const std::vector<int> found = layout.PointsAt(chart, layout.PlaceX(at.x), layout.PlaceY(at.y));
        EXPECT_TRUE(found == places.back() ||
                    std::count(chart.Highlighted().begin(), chart.Highlighted().end(), found.front()))
            << "the pointer on a place finds its points, or a highlighted one drawn over them";
        if (places.size() > 1) {
            const ChartPoint& before =
                chart.Points()[static_cast<std::size_t>(places[places.size() - 2].front())];
            EXPECT_LE(layout.PlaceX(before.x), layout.PlaceX(at.x) + 1);
        }
    }
    std::sort(walked.begin(), walked.end());
    std::vector<int> every(points.size());
    std::iota(every.begin(), every.end(), 0);
    EXPECT_EQ(walked, every);
    EXPECT_LT(places.size(), points.size()) << "the copies share their places";
    std::vector<std::vector<int>> back;
    for (int point = layout.NextPoint(chart, -1, -1); point >= 0; point = layout.NextPoint(chart, point, -1))
        back.insert(back.begin(), layout.PointsWith(chart, point));
    EXPECT_EQ(back, places);
    std::size_t drawn = 0;
    layout.EachPlace(chart, false, [&drawn](double, double) { ++drawn; });
    EXPECT_EQ(drawn, places.size()) << "one marker a place";
    EXPECT_EQ(layout.PointsAt(chart, layout.Plot().left - 30, layout.Plot().top - 30), std::vector<int>());
}

TEST(ChartDrawingTest, TheDrawingHoldsACircleAPlaceAndItsTextAsXmlAndTicksReadRoundNumbers) {
    Chart chart("chart");
    chart.SetTitles("Caf\xE9 & <cars>\x01", "\"quoted\"", "X", "Y");
    chart.SetPoints({{1, 1}, {2, 2}, {2, 2}, {3, 5}}, {3});
    const ChartLayout layout(chart, 400, 300, PlainFont());
    const std::string drawing = ChartSvg(chart, layout);
    EXPECT_NE(drawing.find("<title>Caf\xC3\xA9 &amp; &lt;cars&gt;</title>\n<desc>&quot;quoted&quot;</desc>"),
              std::string::npos);
    EXPECT_EQ(Count(drawing, "<circle"), 3 + 1 + 2) << "three places, one highlighted, two in the legend";
    EXPECT_EQ(drawing.substr(drawing.size() - 7), "</svg>\n");

    chart.SetBars({{"low", 3, 1, true}, {"mid", 0, 0, false}, {"high", 7, 0, false}}, {{1, "Minimum 1"}});
    const std::string bars = ChartSvg(chart, ChartLayout(chart, 400, 300, PlainFont()));
    EXPECT_EQ(Count(bars, "fill=\"#c8503c\""), 1 + 1) << "the marked bar's part, and its legend";
    EXPECT_EQ(Count(bars, "stroke-dasharray"), 2) << "the limit, and its legend";

    EXPECT_EQ(TickText(5, 2.5), "5.0");
    EXPECT_EQ(TickText(-0.0000001, 0.25), "0.00");
    EXPECT_EQ(TickText(12000, 2000), "12000");
    EXPECT_EQ(TickText(0.3, 0.1), "0.3");
}
