#include "platform/chart_svg.h"
#include "platform/qt/chart_view.h"
#include "qt_frames.h"
#include "windows/editor_test.h"
#include "windows/frmChart.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

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
    // Where the axes' ticks that read x and y cross: where a user looks for the value.
    QPoint At(const std::string& x, const std::string& y) {
        const auto tick = [](const std::vector<platform::AxisTick>& ticks, const std::string& label) {
            const auto found =
                std::find_if(ticks.begin(), ticks.end(),
                             [&label](const platform::AxisTick& t) { return t.label == label; });
            EXPECT_NE(found, ticks.end()) << label;
            return found == ticks.end() ? 0 : static_cast<int>(found->at);
        };
        return {tick(view->Layout().TicksX(), x), tick(view->Layout().TicksY(), y)};
    }
    QColor Pixel(const QPoint& at) const { return view->grab().toImage().pixelColor(at); }
    // Whether a point or a bar is painted at this place: its colour, not the white of the plot.
    bool Painted(const QPoint& at) const { return Pixel(at).blue() > Pixel(at).red() + 40; }
    // The tooltip shown when the pointer rests there; empty for none.
    QString Tip(const QPoint& at) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        QHelpEvent rest(QEvent::ToolTip, at, view->mapToGlobal(at));
        QApplication::sendEvent(view, &rest);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }
    void Edit(int column, const std::string& value) {
        Type(column, value);
        form.txtStat[column].UserPressesEnter();
        QApplication::processEvents();
    }

    frmChart* chart = nullptr;
    std::unique_ptr<platform::qt::WindowFrame> frame;
    platform::qt::ChartView* view = nullptr;
};

} // namespace

TEST_F(ChartViewTest, PointsAndBarsArePaintedWhereTheAxesPutThemToldAndActOnAClick) {
    QPoint veranda = At("200", "1500");
    const QPoint ashcroft = At("120", "900");
    EXPECT_TRUE(Painted(veranda));
    EXPECT_TRUE(Painted(ashcroft));
    EXPECT_FALSE(Painted((veranda + ashcroft) / 2));
    EXPECT_EQ(Tip(veranda + QPoint(2, 1)), "VERANDA\nMass: 1500\nMax Velocity: 200");
    EXPECT_EQ(Tip(veranda + QPoint(40, 40)), "") << "away from every point";
    ShowCar("ASHCROFT");
    QTest::mouseClick(view, Qt::LeftButton, {}, veranda);
    EXPECT_EQ(ShownCar(), "VERANDA");

    ShowCar("ASHCROFT");
    Edit(1, "950");
    EXPECT_FALSE(Painted(ashcroft)) << "the old place is empty";
    EXPECT_TRUE(Painted((At("120", "900") + At("120", "1000")) / 2));
    Edit(1, "1400");
    EXPECT_EQ(view->Layout().TicksY().front().label, "1400") << "the axis shrinks to the values";
    EXPECT_TRUE(Painted(At("120", "1400")));

    doc.Commit(ValuesChange(doc.Cars(), {{1, 1, "1500"}, {1, 13, "200"}}, "Same place")); // on VERANDA
    QApplication::processEvents();
    veranda = At("200", "1500");
    EXPECT_EQ(Tip(veranda), "2 cars here:\nVERANDA (Mass: 1500, Max Velocity: 200)\n"
                            "ASHCROFT (Mass: 1500, Max Velocity: 200)");
    services.popupChoices = {"mnuPointCar1"};
    QTest::mouseClick(view, Qt::LeftButton, {}, veranda);
    EXPECT_EQ(services.popupMenus, std::vector<std::string>{"mnuPointCars"}) << "both to choose from";
    EXPECT_EQ(ShownCar(), "ASHCROFT");

    test::Choose(chart->cboKind, "Distribution of one stat");
    QApplication::processEvents();
    const platform::Box bar = view->Layout().BarPart(0, 0, 2); // the one bin, of 100 from the one mass on
    const QPoint column(static_cast<int>(bar.left + bar.width / 2), static_cast<int>(bar.top + 3));
    EXPECT_TRUE(Painted(column));
    EXPECT_FALSE(Painted(column - QPoint(0, 6))) << "the bar ends at its count";
    EXPECT_EQ(Tip(column), "1500 to 1600: 2 cars\nA click shows them in the car table.");
    QTest::mouseClick(view, Qt::LeftButton, {}, column);
    auto& table = test::ScriptedServices::As<frmCarTable>(*services.besideWindows.back());
    EXPECT_EQ(table.txtFilter.Text(), "Mass >= 1500 and Mass < 1600") << "the table opened for the bar";
    EXPECT_EQ(table.grdCars.RowCount(), 2);
}

TEST_F(ChartViewTest, TheKeysWalkThePlacesAndBarsToldToAssistiveToolsWhichPressThemAndExportsWriteThem) {
    QAccessibleInterface* tools = QAccessible::queryAccessibleInterface(view);
    const auto press = QAccessibleActionInterface::pressAction();
    const auto keys = [&](std::initializer_list<Qt::Key> pressed) {
        std::vector<QString> told;
        for (const Qt::Key key : pressed) {
            QTest::keyClick(view, key);
            told.push_back(tools->text(QAccessible::Description));
        }
        return told;
    };
    EXPECT_EQ(tools->role(), QAccessible::Chart);
    EXPECT_EQ(tools->text(QAccessible::Name), "Mass against Max Velocity");
    EXPECT_EQ(tools->text(QAccessible::Description), "Mass against Max Velocity, 2 cars");
    EXPECT_FALSE(tools->actionInterface()->actionNames().contains(press)) << "nothing to press yet";
    view->setFocus();
    const QString ashcroft = "ASHCROFT\nMass: 900\nMax Velocity: 120";
    const QString veranda = "VERANDA\nMass: 1500\nMax Velocity: 200";
    EXPECT_EQ(keys({Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Home}),
              (std::vector<QString>{ashcroft, veranda, veranda, ashcroft}))
        << "left to right, and no further";
    EXPECT_EQ(QToolTip::text(), ashcroft) << "told on screen too";
    ShowCar("VERANDA");
    EXPECT_TRUE(tools->actionInterface()->actionNames().contains(press));
    tools->actionInterface()->doAction(press);
    EXPECT_EQ(ShownCar(), "ASHCROFT");

    test::Choose(chart->cboKind, "Distribution of one stat");
    EXPECT_EQ(tools->text(QAccessible::Description), "Mass, 2 cars") << "the keyboard starts again";
    const auto bar = [this](int index) {
        return QString::fromStdString(chart->chtStats.UserPointsAtBar(index));
    };
    const int last = static_cast<int>(chart->chtStats.Bars().size()) - 1;
    EXPECT_EQ(keys({Qt::Key_End, Qt::Key_Left, Qt::Key_Home}),
              (std::vector<QString>{bar(last), bar(last - 1), bar(0)}));
    QTest::keyClick(view, Qt::Key_Return);
    auto& table = test::ScriptedServices::As<frmCarTable>(*services.besideWindows.back());
    EXPECT_EQ(table.txtFilter.Text(), "Mass >= 900 and Mass < 950");
    EXPECT_EQ(view->Current(), 0) << "the same bars drawn again keep the keyboard's place";

    // An export writes what is shown: a PNG picture of the chart's size, or the drawing as laid out.
    const std::string png = Path("chart.png"), svg = Path("chart.svg");
    services.savePaths = {png, svg, Path("no folder/chart.png")};
    services.answers = {platform::Answer::Ok};
    for (int i = 0; i < 3; ++i)
        chart->cmdExport.UserClicks();
    ASSERT_EQ(services.messages.size(), 1u) << "only the folder that is not there fails";
    EXPECT_NE(services.messages[0].text.find("no folder/chart.png"), std::string::npos);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), view->size());
    EXPECT_EQ(OnDisk(svg), platform::ChartSvg(chart->chtStats, view->Layout()));
}
