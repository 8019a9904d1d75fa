#pragma once

#include "platform/chart_drawing.h"
#include "platform/qt/binding.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

namespace kestrix::platform::qt {

// A chart control painted from its chart's layout: bars (plain, marked,
// highlighted) with the limits, or a scatter. The scatter's points are stamped
// into a picture kept until they change, so that tens of thousands of cars cost
// a few milliseconds to draw and nothing while the pointer moves. The keyboard
// walks the bars or the points' places, each told as the pointer would tell it.
class ChartView : public QWidget {
  public:
    explicit ChartView(QWidget* parent);
    void Connect(const Binding& binding) { binding_ = &binding; }
    void Refresh(Aspect aspect);
    // Writes the chart as shown: ".svg" as a drawing, else a PNG picture; why not, empty when written.
    std::string SaveImage(const std::string& path);

    const Chart* Control() const { return binding_ ? binding_->Get<Chart>() : nullptr; }
    // Where the chart's parts lie at the widget's size; only while the control lives.
    const ChartLayout& Layout();
    // The bar or the point the keyboard is on; -1 for none. Enter, or an assistive tool's press, clicks it.
    int Current() const { return current_; }
    void ClickCurrent();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Left and Right step through the bars or places, Home and End go to the ends; Enter or Space clicks.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Relayout();
    void Draw(QPainter& painter, const Chart& chart, int current);
    // The current's points: one, or all that share its place.
    std::vector<int> CurrentPoints();
    int Step(const Chart& chart, int key);
    void MoveTo(int item);
    // What assistive tools hear: the current bar or place, else what the chart shows.
    QString Told();
    void Describe();
    QString TipAt(const QPoint& at);

    const Binding* binding_ = nullptr;
    std::optional<ChartLayout> layout_;
    QImage points_;
    int current_ = -1;
    Chart::Kind kind_ = Chart::Kind::Bars;
    std::size_t items_ = 0;
};

} // namespace kestrix::platform::qt
