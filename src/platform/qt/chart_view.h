#pragma once

#include "platform/chart.h"
#include "platform/qt/widgets.h"

#include <QChartView>

class QScatterSeries;

namespace kestrix::platform::qt {

// A chart control drawn with Qt Charts: stacked bars (plain, marked,
// highlighted) with limit lines, or a scatter with the highlighted points
// drawn over the others. An update of some points moves only those.
class ChartView : public QChartView {
  public:
    explicit ChartView(QWidget* parent);
    void Connect(const Binding& binding);
    void Refresh(Aspect aspect);
    // Writes the chart as it is shown; why not, empty when written.
    std::string SaveImage(const std::string& path);

  private:
    const Chart* Control() const { return binding_ ? binding_->Get<Chart>() : nullptr; }
    void Rebuild();
    void ShowBars(const Chart& chart);
    void ShowScatter(const Chart& chart);
    void MovePoints(const Chart& chart);
    void ShowHighlighted(const Chart& chart);
    void FitAxes(const Chart& chart);
    void ShowTitles(const Chart& chart);

    const Binding* binding_ = nullptr;
    QScatterSeries* points_ = nullptr;
    QScatterSeries* highlighted_ = nullptr;
};

} // namespace kestrix::platform::qt
