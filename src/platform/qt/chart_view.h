#pragma once

#include "platform/chart.h"
#include "platform/qt/binding.h"
#include "platform/qt/chart_widget.h"

#include <QChartView>

#include <vector>

class QAbstractSeries;
class QValueAxis;

namespace kestrix::platform::qt {

class PointLayer;

// A chart control drawn with Qt Charts: stacked bars (plain, marked,
// highlighted) with limit lines, or a scatter. Qt Charts draws the axes, the
// bars and the lines; the scatter's points are one layer over the plot area
// that paints them all from the control's list, so that tens of thousands of
// cars cost no item each and an edit repaints without rebuilding anything.
class ChartView : public QChartView, public ChartWidget {
  public:
    explicit ChartView(QWidget* parent);
    ~ChartView() override;
    QWidget* Widget() override { return this; }
    void Connect(const Binding& binding) override;
    void Refresh(Aspect aspect) override;
    std::string SaveImage(const std::string& path) override;

    const Chart* Control() const { return binding_ ? binding_->Get<Chart>() : nullptr; }

  protected:
    // A tooltip names what is under the pointer; a click acts on it.
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The arrow keys step through the bars, each told as the pointer would tell it; Enter clicks it.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Rebuild();
    void ShowBars(const Chart& chart);
    void ShowScatter(const Chart& chart);
    void MovePoints(const Chart& chart);
    void FitAxes(const Chart& chart);
    void PlaceLayer();
    void ShowTitles(const Chart& chart);
    // The points drawn on the place under the pointer, several where they coincide.
    std::vector<int> PointsUnder(const QPoint& at) const;
    // The bar whose column is under the pointer; -1 for none.
    int BarUnder(const QPoint& at) const;
    QString TipAt(const QPoint& at) const;

    const Binding* binding_ = nullptr;
    PointLayer* layer_ = nullptr;
    QValueAxis* axisX_ = nullptr;
    QValueAxis* axisY_ = nullptr;
    QAbstractSeries* bars_ = nullptr;
    int currentBar_ = -1;
};

} // namespace kestrix::platform::qt

// The chart module's maker of chart widgets.
extern "C" Q_DECL_EXPORT kestrix::platform::qt::ChartWidget* KestrixMakeChartWidget(QWidget* parent);
