#include "platform/qt/chart_view.h"
#include "qt_frames.h"
#include "windows/editor_test.h"
#include "windows/frmChart.h"

#include <QAbstractSeries>
#include <QHelpEvent>
#include <QLabel>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace kestrix;

namespace {

const std::string kFile = test::CarLine("VERANDA", "1500", "R P 1 0 1 1", "200") + "\r\n" +
                          test::CarLine("ASHCROFT", "900", "R P 1 0 1 1", "120") + "\r\n" +
                          test::CarLine("OSPREY", "abc") + "\r\n";

class ChartViewTest : public test::EditorOn<kFile> {
  protected:
    void SetUp() override {
        EditorOn::SetUp();
        chart = &Beside<frmChart>(form.mnuChart);
        chart->SetPlace(platform::Placement{40, 50, 800, 600});
        frame = test::ShownFrame(*chart);
        view = &test::Widget<platform::qt::ChartView>(*frame, "chtStats");
    }
    // Where the axes put a value, in the view: the chart's own mapping, not the points'.
    QPoint At(double x, double y) const {
        const QPointF place = view->chart()->mapToPosition({x, y}, view->chart()->series().front());
        return view->mapFromScene(view->chart()->mapToScene(place));
    }
    // Whether a point is painted at this place: its colour, not the white of the plot.
    bool Painted(const QPoint& at) const {
        const QColor pixel = view->grab().toImage().pixelColor(at);
        return pixel.blue() > pixel.red() + 40;
    }
    // The tooltip shown when the pointer rests there; empty for none.
    QString Tip(const QPoint& at) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        QHelpEvent rest(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &rest);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    frmChart* chart = nullptr;
    std::unique_ptr<platform::qt::WindowFrame> frame;
    platform::qt::ChartView* view = nullptr;
};

} // namespace

// Points are painted where round axes put them and move with an edit, the axes
// shrinking to the values; points and bars are told when pointed at and act on a click.
TEST_F(ChartViewTest, PointsAndBarsArePaintedWhereTheAxesPutThemToldAndActOnAClick) {
    EXPECT_EQ(view->accessibleName(), "Mass against Max Velocity");
    EXPECT_EQ(view->accessibleDescription(), "Mass against Max Velocity, 2 cars");
    QPoint veranda = At(200, 1500);
    const QPoint ashcroft = At(120, 900);
    EXPECT_TRUE(Painted(veranda));
    EXPECT_TRUE(Painted(ashcroft));
    EXPECT_FALSE(Painted((veranda + ashcroft) / 2));
    EXPECT_EQ(Tip(veranda + QPoint(2, 1)), "VERANDA\nMass: 1500\nMax Velocity: 200");
    EXPECT_EQ(Tip(veranda + QPoint(40, 40)), "") << "away from every point";
    ShowCar("ASHCROFT");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, veranda);
    EXPECT_EQ(ShownCar(), "VERANDA");

    ShowCar("ASHCROFT");
    const auto edit = [this](const std::string& mass) {
        Type(1, mass);
        form.txtStat[1].UserPressesEnter();
        QApplication::processEvents();
    };
    edit("950");
    EXPECT_FALSE(Painted(ashcroft)) << "the old place is empty";
    EXPECT_TRUE(Painted(At(120, 950)));
    EXPECT_TRUE(Painted(veranda));
    const auto* masses = static_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).front());
    EXPECT_EQ(masses->min(), 900) << "round, below the lightest";
    edit("1400");
    EXPECT_EQ(masses->min(), 1400) << "the axis shrinks to the values";
    EXPECT_TRUE(Painted(At(120, 1400)));

    doc.Commit(ValuesChange(doc.Cars(), {{1, 1, "1500"}, {1, 13, "200"}}, "Same place")); // on VERANDA
    QApplication::processEvents();
    veranda = At(200, 1500);
    EXPECT_EQ(Tip(veranda), "2 cars here:\nVERANDA (Mass: 1500, Max Velocity: 200)\n"
                            "ASHCROFT (Mass: 1500, Max Velocity: 200)");
    services.popupChoices = {"mnuPointCar1"};
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, veranda);
    EXPECT_EQ(services.popupMenus, std::vector<std::string>{"mnuPointCars"}) << "both to choose from";
    EXPECT_EQ(ShownCar(), "ASHCROFT");

    test::Choose(chart->cboKind, "Distribution of one stat");
    QApplication::processEvents();
    const QPoint column = // the one bin, of 100 from the one mass on
        view->mapFromScene(
            view->chart()->mapToScene(view->chart()->mapToPosition({0, 1}, view->chart()->series().front())));
    EXPECT_EQ(Tip(column), "1500 to 1600: 2 cars\nA click shows them in the car table.");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, column);
    auto& table = test::ScriptedServices::As<frmCarTable>(*services.besideWindows.back());
    EXPECT_EQ(table.txtFilter.Text(), "Mass >= 1500 and Mass < 1600") << "the table opened for the bar";
    EXPECT_EQ(table.grdCars.RowCount(), 2);
}

TEST_F(ChartViewTest, ExportWritesAPictureOrADrawingWithACirclePerPoint) {
    const std::string png = Path("chart.png"), svg = Path("chart.svg");
    services.savePaths = {png, svg, Path("no folder/chart.png")};
    services.answers = {platform::Answer::Ok};
    for (int i = 0; i < 3; ++i)
        chart->cmdExport.UserClicks();
    ASSERT_EQ(services.messages.size(), 1u) << "only the folder that is not there fails";
    EXPECT_NE(services.messages[0].text.find("no folder/chart.png"), std::string::npos);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), view->size());
    std::ifstream file(svg);
    const std::string drawing{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(QString::fromStdString(drawing).count("<circle"), 2);
}

// The editor's own chart comes from its module, found where it is looked for;
// where none is found the chart's place, and an export, say why.
TEST_F(ChartViewTest, TheEditorsChartComesFromItsModuleOrItsPlaceSaysWhyNot) {
    struct BuiltInAfter {
        ~BuiltInAfter() { platform::qt::UseChartWidgets(&KestrixMakeChartWidget); }
    } builtInAfter;
    platform::qt::UseChartWidgets(nullptr);
    frame = test::ShownFrame(*chart);
    const QString why = test::Widget<QLabel>(*frame, "chtStats").text();
    EXPECT_TRUE(why.startsWith("The chart cannot be shown: ")) << why.toStdString();
    services.savePaths = {Path("nothing.png"), Path("chart.png")};
    services.answers = {platform::Answer::Ok};
    chart->cmdExport.UserClicks();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("the chart cannot be shown"), std::string::npos);

    platform::qt::LookForChartModuleIn(KESTRIX_BUILD_FOLDER);
    frame = test::ShownFrame(*chart);
    const QWidget& drawn = test::Widget<QWidget>(*frame, "chtStats");
    EXPECT_EQ(qobject_cast<const QLabel*>(&drawn), nullptr);
    chart->cmdExport.UserClicks();
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(QImage(QString::fromStdString(Path("chart.png"))).size(), drawn.size());
}
