#include "platform/qt/chart_view.h"
#include "qt_frames.h"
#include "windows/editor_test.h"
#include "windows/frmChart.h"

#include <QAbstractSeries>
#include <QTest>
#include <QToolTip>

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
    void Move(const QPoint& at) {
        QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
    }

    frmChart* chart = nullptr;
    std::unique_ptr<platform::qt::WindowFrame> frame;
    platform::qt::ChartView* view = nullptr;
};

} // namespace

// Points are painted where the axes put them, named when pointed at, show
// their car when clicked, and move with an edit.
TEST_F(ChartViewTest, PointsArePaintedWhereTheAxesPutThemNamedShownAndMovedWithAnEdit) {
    EXPECT_EQ(view->accessibleName(), "Mass against Max Velocity");
    EXPECT_EQ(view->accessibleDescription(), "Mass against Max Velocity, 2 cars");
    const QPoint veranda = At(200, 1500), ashcroft = At(120, 900);
    EXPECT_TRUE(Painted(veranda));
    EXPECT_TRUE(Painted(ashcroft));
    EXPECT_FALSE(Painted((veranda + ashcroft) / 2));
    Move(veranda + QPoint(2, 1));
    EXPECT_EQ(QToolTip::text(), "VERANDA\nMass: 1500\nMax Velocity: 200");
    Move(veranda + QPoint(40, 40));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000)) << "away from every point";

    ShowCar("ASHCROFT");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, veranda);
    EXPECT_EQ(ShownCar(), "VERANDA");
    ShowCar("ASHCROFT");
    Type(1, "1200");
    form.txtStat[1].UserPressesEnter();
    QApplication::processEvents();
    EXPECT_FALSE(Painted(ashcroft)) << "the old place is empty";
    EXPECT_TRUE(Painted(At(120, 1200)));
    EXPECT_TRUE(Painted(veranda));
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
