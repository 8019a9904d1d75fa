#pragma once

#include "platform/qt/binding.h"

#include <QString>

#include <string>

class QWidget;

namespace kestrix::platform::qt {

// A chart control's widget. It is drawn with Qt Charts, whose libraries the
// editor's start need not load: the widget comes from a module of its own,
// loaded when a window first shows a chart.
class ChartWidget {
  public:
    virtual QWidget* Widget() = 0;
    virtual void Connect(const Binding& binding) = 0;
    virtual void Refresh(Aspect aspect) = 0;
    // Writes the chart as it is shown; why not, empty when written.
    virtual std::string SaveImage(const std::string& path) = 0;

  protected:
    ~ChartWidget() = default;
};

using ChartWidgetMaker = ChartWidget* (*)(QWidget* parent);
// The one function the chart module gives.
inline constexpr char kChartWidgetMaker[] = "KestrixMakeChartWidget";

// A new chart widget in parent, from the module, or null with the reason in why.
ChartWidget* MakeChartWidget(QWidget* parent, std::string& why);
// Charts are made by make instead of the module (a program that has the chart built in).
void UseChartWidgets(ChartWidgetMaker make);
// Where to look for the module before the program's own places.
void LookForChartModuleIn(const QString& folder);

} // namespace kestrix::platform::qt
