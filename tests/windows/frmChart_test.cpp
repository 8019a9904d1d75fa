#include "windows/frmChart.h"

#include "windows/editor_test.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

using namespace kestrix;
using platform::ChartBar;
using test::CarLine;
using test::Choose;

namespace {

// Choices: drive, engine, ABS, flags, front and rear lights.
const std::string kFile = CarLine("ZEBRA", "1500", "R P 1 2001 1 2", "200") + "\r\n" +
                          CarLine("APPLE", "0.5", "F D 0 zz01 7 3", "150") + "\r\n" +
                          CarLine("MANGO", "60000", "4 E 1 1 0 0", "abc") + "\r\n" +
                          CarLine("KIWI", "heavy", "X P 2 A 3 1", "250") + "\r\n" +
                          CarLine("PEAR", "50000", "r P 1 0000 1 1", "300") + "\r\n";

int Total(const std::vector<ChartBar>& bars, bool marked) {
    return std::accumulate(bars.begin(), bars.end(), 0, [marked](int sum, const ChartBar& bar) {
        return sum + (bar.marked == marked ? bar.count : 0);
    });
}

class ChartTest : public test::EditorOn<kFile> {
  protected:
    frmChart& Open() { return Beside<frmChart>(form.mnuChart); }
};

} // namespace

// A bin's filter keeps exactly the values that land in it, outside bins hold exactly the
// values beyond the limits, a larger value never lands in an earlier bin, and the edges are round.
TEST(BinningTest, EachBinsFilterKeepsItsValuesAndOnlyValuesBeyondTheLimitsLieInMarkedBins) {
    struct Values : platform::GridSource {
        std::vector<std::string> texts;
        int RowCount() const override { return static_cast<int>(texts.size()); }
        std::string_view Text(int row, int column) const override {
            return column == 0 ? std::string_view("car") : texts[static_cast<std::size_t>(row)];
        }
        std::string_view Error(int, int) const override { return {}; }
        bool RowHasError(int) const override { return false; }
        bool Changed(int, int) const override { return false; }
    };
    std::mt19937 random(22);
    for (int column = 0; column < kStatCount; ++column) {
        const StatDef& def = StatCatalogue::Instance()[column];
        if (def.IsText)
            continue;
        const double span = def.Maximum - def.Minimum;
        std::uniform_real_distribution<double> near(def.Minimum - span, def.Maximum + span);
        std::vector<double> values{def.Minimum, static_cast<double>(def.Maximum), def.Minimum - span * 40,
                                   def.Maximum + 1e12};
        for (int i = 0; i < 60; ++i)
            values.push_back(RoundedToDigits(near(random), 3));
        const Binning bins(def.Minimum, def.Maximum, values);
        EXPECT_LE(bins.Count(), 2 * Binning::kAbout + 2 * Binning::kMostOutside + 2);
        EXPECT_TRUE(bins.Label(0).starts_with("under ")) << "the far value is beyond the last bin of width";
        EXPECT_EQ(bins.Index(def.Minimum), bins.MinimumEdge());
        EXPECT_EQ(bins.Index(def.Maximum), bins.MaximumEdge() - 1);
        Values source;
        for (const double value : values)
            source.texts.push_back(PlainDecimal(value));
        platform::Grid grid("grid", PlainNumber, [&def](std::string_view name, std::string& problem) {
            problem = name == def.StatName ? "" : "no stat of that name";
            return problem.empty() ? 1 : -1;
        });
        std::vector<platform::GridColumn> columns(2);
        columns[1].header = def.StatName;
        grid.SetColumns(columns);
        grid.SetSource(&source);
        std::sort(values.begin(), values.end());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int bin = bins.Index(values[i]);
            ASSERT_GE(bin, i == 0 ? 0 : bins.Index(values[i - 1])) << def.StatName << " " << values[i];
            EXPECT_EQ(bins.Outside(bin), values[i] < def.Minimum || values[i] > def.Maximum)
                << def.StatName << " " << values[i];
        }
        for (int bin = 0; bin < bins.Count(); ++bin) {
            grid.SetFilter(bins.Filter(bin, def.StatName));
            ASSERT_EQ(grid.FilterProblem(), "") << bins.Filter(bin, def.StatName);
            const auto inBin = std::count_if(values.begin(), values.end(),
                                             [&](double value) { return bins.Index(value) == bin; });
            EXPECT_EQ(grid.RowCount(), inBin) << bins.Filter(bin, def.StatName);
        }
    }
    const Binning mass(1, 50000, {1500, 2200, 12000});
    EXPECT_EQ(mass.Label(0), "1000 to 2000") << "round bins across the values, not the allowed range";
    EXPECT_EQ(mass.Label(mass.Count() - 1), "12000 to 13000");
}

TEST_F(ChartTest,
       DistributionsMarkTheBinsBeyondTheLimitsCountsGiveUnknownValuesABarAndScattersFollowTheTable) {
    frmChart& chart = Open();
    Choose(chart.cboKind, "Distribution of one stat");
    EXPECT_FALSE(chart.cboAgainst.Enabled());
    const auto& bars = chart.chtStats.Bars();
    // 1500 and the maximum 50000 inside; 0.5 below the minimum and 60000 above the maximum.
    EXPECT_EQ(std::tuple(Total(bars, false), bars.front().count, bars.back().count, bars.front().marked,
                         bars.back().marked),
              std::tuple(2, 1, 1, true, true));
    ASSERT_EQ(chart.chtStats.Limits().size(), 2u);
    const int minimum = chart.chtStats.Limits()[0].edge;
    EXPECT_EQ(chart.chtStats.Limits()[0].label + ", " + chart.chtStats.Limits()[1].label,
              "Minimum 1, Maximum 50000");
    EXPECT_TRUE(bars[static_cast<std::size_t>(minimum - 1)].marked &&
                !bars[static_cast<std::size_t>(minimum)].marked);
    EXPECT_EQ(chart.lblNote.Caption(), "1 car has no number for Mass");
    EXPECT_EQ(chart.chtStats.Summary(), "Mass, 4 cars");
    const auto empty =
        std::find_if(bars.begin(), bars.end(), [](const ChartBar& bar) { return bar.count == 0; });
    chart.chtStats.UserClicksBar(static_cast<int>(empty - bars.begin()));
    EXPECT_EQ(services.besideWindows.size(), 1u) << "an empty bar has no cars to show in the table";

    // Counts give the stored values no entry knows a bar of their own.
    Choose(chart.cboKind, "Counts of a choice stat");
    const auto counts = [&chart](std::string_view stat) {
        Choose(chart.cboStat, stat);
        std::vector<std::pair<std::string, int>> shown;
        for (const ChartBar& bar : chart.chtStats.Bars())
            shown.emplace_back(bar.label + (bar.marked ? "!" : ""), bar.count);
        return shown;
    };
    using Counts = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(counts("Drive Type"), (Counts{{"Front", 1}, {"Rear", 1}, {"4-Wheel", 1}, {"Unknown!", 2}}))
        << "\"X\" and \"r\" are no drive type the editor stores";
    EXPECT_EQ(chart.lblNote.Caption(), "2 cars with a Drive Type the editor does not know");
    EXPECT_EQ(counts("ABS"), (Counts{{"Off", 1}, {"On", 3}, {"Unknown!", 1}}));
    // Flags 2001, zz01, 1, A, 0000: the first group's digit holds flags 1 to 4.
    EXPECT_EQ(counts("Flag 2G_BOOST"), (Counts{{"Not set", 2}, {"Set", 2}, {"Unknown!", 1}}));
    EXPECT_EQ(counts("Flag HALOGEN_LIGHTS"), (Counts{{"Not set", 5}, {"Set", 0}}))
        << "a short value reads as ending in zeros, as the editor reads it";
    EXPECT_EQ(chart.lblNote.Caption(), "");

    chart.UserPressesEscape();

    // A click on a point shows its car; the car table's filter and selection focus the chart while the
    // chart follows the filter and the table is open.
    frmChart& scatter = Open();
    EXPECT_EQ(scatter.chtStats.Summary(), "Mass against Max Velocity, 3 cars");
    EXPECT_EQ(scatter.PointCars(), (std::vector<int>{0, 1, 4}));
    scatter.chkFilter.UserClicks();
    const std::string noNumbers = "1 car has no number for Mass; 1 car has no number for Max Velocity";
    EXPECT_EQ(scatter.lblNote.Caption(), noNumbers + ". The car table is closed: every car is shown.");

    frmCarTable& table = Table();
    EXPECT_EQ(scatter.lblNote.Caption(), noNumbers)
        << "the table opened: its cars, every one while it filters none";
    scatter.chtStats.UserClicksPoints({2}); // PEAR
    EXPECT_EQ(table.grdCars.SelectedRows(), (std::vector<int>{4}));
    table.txtFilter.UserTypes("Mass > 100");
    EXPECT_EQ(scatter.chtStats.Summary(), "Mass against Max Velocity, 2 cars") << "ZEBRA and PEAR";
    EXPECT_EQ(scatter.lblNote.Caption(), "1 car has no number for Max Velocity") << "MANGO";
    EXPECT_EQ(scatter.PointCars(), (std::vector<int>{0, 4}));

    Choose(scatter.cboKind, "Distribution of one stat");
    EXPECT_EQ(scatter.chtStats.Summary(), "Mass, 3 cars") << "ZEBRA, MANGO and PEAR";
    table.grdCars.UserSelects({{0, 0, 0, 3}}, {0, 0});
    EXPECT_EQ(std::accumulate(scatter.chtStats.Bars().begin(), scatter.chtStats.Bars().end(), 0,
                              [](int sum, const ChartBar& bar) { return sum + bar.highlighted; }),
              1);
    table.Unload();
    EXPECT_EQ(scatter.chtStats.Summary(), "Mass, 4 cars");
    scatter.UserPressesEscape();
    EXPECT_TRUE(scatter.IsClosed());
}

// Whatever changes, is undone or redone, the chart shows what a chart drawn
// afresh shows, and the cars selected in the table stand out; an edit of a
// point's value moves that point alone and tells the view no more.
TEST_F(ChartTest, TheChartFollowsEveryChangeOfTheDocumentAsIfDrawnAfresh) {
    frmCarTable& table = Table();
    frmChart& chart = Open();
    test::RecordingView view;
    chart.chtStats.AttachView(&view);
    const auto shown = [](const frmChart& c) {
        std::string texts = c.chtStats.Summary() + "|" + c.lblNote.Caption();
        for (const ChartBar& bar : c.chtStats.Bars())
            texts += "|" + bar.label + ":" + std::to_string(bar.count) + (bar.marked ? "!" : "");
        for (std::size_t point = 0; point < c.PointCars().size(); ++point)
            texts += "|" + c.chtStats.UserPointsAt({static_cast<int>(point)});
        return texts;
    };
    const auto expectAsDrawnAfresh = [&](const std::string& step) {
        frmChart fresh(doc, services, std::make_shared<CarFocus>());
        fresh.Form_Load();
        fresh.cboKind.UserPicks(chart.cboKind.ListIndex());
        fresh.cboStat.UserPicks(chart.cboStat.ListIndex());
        fresh.cboAgainst.UserPicks(chart.cboAgainst.ListIndex());
        EXPECT_EQ(chart.chtStats.Points(), fresh.chtStats.Points()) << step;
        EXPECT_EQ(chart.PointCars(), fresh.PointCars()) << step;
        EXPECT_EQ(shown(chart), shown(fresh)) << step;
        std::vector<int> selected, highlighted;
        for (const int row : table.grdCars.SelectedRows())
            selected.push_back(table.grdCars.SourceRow(row));
        for (std::size_t point = 0; point < chart.PointCars().size(); ++point)
            if (std::count(selected.begin(), selected.end(), chart.PointCars()[point]))
                highlighted.push_back(static_cast<int>(point));
        EXPECT_EQ(chart.chtStats.Highlighted(), highlighted) << step;
    };
    const std::vector<std::string> values{"1500", "0.5", "abc", "60000", "200", "-3", "250"};
    const int edited[] = {1, 13, 5}; // and the stats the chart shows are chosen from these
    std::mt19937 random(22);
    const auto any = [&random](std::size_t count) { return static_cast<int>(random() % count); };
    for (int step = 0; step < 150; ++step) {
        view.refreshed.clear();
        const int row = any(doc.Cars().size());
        std::string what = std::to_string(row);
        switch (any(8)) {
        case 0:
        case 1: {
            const int column = edited[any(3)];
            const std::string value = values[any(values.size())];
            const bool scatter = chart.cboKind.ListIndex() == frmChart::Scatter;
            const bool drawn = column == chart.cboStat.ItemData(chart.cboStat.ListIndex()) ||
                               (scatter && column == chart.cboAgainst.ItemData(chart.cboAgainst.ListIndex()));
            const auto point = std::find(chart.PointCars().begin(), chart.PointCars().end(), row);
            const bool moves = scatter && drawn && point != chart.PointCars().end() &&
                               NumericValue(value, {}) && Cell(row, column) != value;
            what = "edit " + what + "," + std::to_string(column) + " to " + value;
            table.grdCars.UserEdits(table.grdCars.ShownRow(row), column, value);
            if (moves) {
                EXPECT_EQ(view.refreshed, (std::vector<platform::Aspect>{platform::Aspect::Value})) << what;
                EXPECT_EQ(chart.chtStats.ChangedPoints(),
                          (std::vector<int>{static_cast<int>(point - chart.PointCars().begin())}))
                    << what;
            }
            EXPECT_TRUE(drawn || view.refreshed.empty()) << "a stat the chart does not show: " << what;
            break;
        }
        case 2:
            what = "undo or redo";
            (any(2) ? form.mnuUndo : form.mnuRedo).UserChooses();
            break;
        case 3:
            what = "select " + what;
            table.grdCars.UserSelects({{0, 0, table.grdCars.ShownRow(row), 2}}, {0, 0});
            break;
        case 4:
            if (doc.Cars().size() < 3)
                continue;
            what = "delete " + what;
            doc.Commit(DeleteCarChange(doc.Cars(), row));
            EXPECT_TRUE(view.Heard(platform::Aspect::Rows)) << what;
            break;
        case 5: // a point's name is read when it is pointed at
            what = "rename " + what;
            doc.Commit(RenameCarChange(doc.Cars(), row, "CAR" + std::to_string(step)));
            break;
        case 6:
            what = "add a copy of " + what;
            doc.Commit(AddCarChange(doc.Cars(), doc.Cars()[static_cast<std::size_t>(row)]));
            break;
        default:
            what = "kind";
            chart.cboKind.UserPicks(any(2));
            for (platform::DropDown* list : {&chart.cboStat, &chart.cboAgainst})
                for (int entry = 0, column = edited[any(3)]; entry < list->ListCount(); ++entry)
                    if (list->ItemData(entry) == column && list->Enabled())
                        list->UserPicks(entry);
            break;
        }
        expectAsDrawnAfresh(std::to_string(step) + ": " + what);
    }
    chart.chtStats.AttachView(nullptr);
}
