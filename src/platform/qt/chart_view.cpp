#include "platform/qt/chart_view.h"

#include "platform/qt/text.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCursor>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QSvgGenerator>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <limits>
#include <tuple>

namespace kestrix::platform::qt {

namespace {

const QColor kPlain(70, 120, 180);
const QColor kMarked(200, 80, 60);
const QColor kHighlighted(240, 170, 20);

QBarSet* BarSet(const QString& name, const QColor& color) {
    auto* set = new QBarSet(name);
    set->setColor(color);
    set->setBorderColor(color.darker(130));
    return set;
}

// A little room around the values, so points on the edge stay whole.
std::pair<double, double> Padded(double low, double high) {
    if (!(low < high)) {
        low -= 1;
        high += 1;
    }
    const double room = (high - low) * 0.04;
    return {low - room, high + room};
}

} // namespace

ChartView::ChartView(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing, false);
    setFocusPolicy(Qt::StrongFocus);
    chart()->setAnimationOptions(QChart::NoAnimation);
    chart()->legend()->setAlignment(Qt::AlignBottom);
}

void ChartView::Connect(const Binding& binding) {
    binding_ = &binding;
}

void ChartView::Refresh(Aspect aspect) {
    const Chart* control = Control();
    if (!control)
        return;
    if (aspect == Aspect::Caption)
        ShowTitles(*control);
    else if (aspect == Aspect::Rows)
        Rebuild();
    else if (aspect == Aspect::Value)
        MovePoints(*control);
}

void ChartView::ShowTitles(const Chart& control) {
    chart()->setTitle(Latin1(control.Title()));
    setAccessibleName(Latin1(control.Title()));
    setAccessibleDescription(Latin1(control.Summary()));
    for (QAbstractAxis* axis : chart()->axes(Qt::Horizontal))
        if (axis->isVisible())
            axis->setTitleText(Latin1(control.AxisTitleX()));
    for (QAbstractAxis* axis : chart()->axes(Qt::Vertical))
        axis->setTitleText(Latin1(control.AxisTitleY()));
}

void ChartView::Rebuild() {
    const Chart* control = Control();
    chart()->removeAllSeries();
    for (QAbstractAxis* axis : chart()->axes())
        chart()->removeAxis(axis), delete axis;
    points_ = highlighted_ = nullptr;
    if (!control)
        return;
    if (control->Shows() == Chart::Kind::Bars)
        ShowBars(*control);
    else
        ShowScatter(*control);
    ShowTitles(*control);
}

void ChartView::ShowBars(const Chart& control) {
    auto* plain = BarSet(QStringLiteral("Cars"), kPlain);
    auto* marked = BarSet(QStringLiteral("Outside the limits or unknown"), kMarked);
    auto* selected = BarSet(QStringLiteral("Selected in the car table"), kHighlighted);
    QStringList labels;
    int most = 1;
    for (const ChartBar& bar : control.Bars()) {
        const int rest = bar.count - bar.highlighted;
        *plain << (bar.marked ? 0 : rest);
        *marked << (bar.marked ? rest : 0);
        *selected << bar.highlighted;
        labels << Latin1(bar.tick.empty() ? bar.label : bar.tick);
        most = std::max(most, bar.count);
    }
    auto* series = new QStackedBarSeries;
    series->append({plain, marked, selected});
    series->setBarWidth(0.9);
    chart()->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    categories->setLabelsAngle(labels.size() > 8 ? -60 : 0);
    categories->setTruncateLabels(false);
    auto* counts = new QValueAxis;
    counts->setRange(0, most * 1.1);
    counts->applyNiceNumbers();
    counts->setLabelFormat(QStringLiteral("%d"));
    chart()->addAxis(categories, Qt::AlignBottom);
    chart()->addAxis(counts, Qt::AlignLeft);
    series->attachAxis(categories);
    series->attachAxis(counts);
    QObject::connect(series, &QStackedBarSeries::hovered, this, [this](bool on, int index, QBarSet*) {
        const Chart* chart = Control();
        if (!on || !chart || index < 0 || index >= static_cast<int>(chart->Bars().size()))
            return QToolTip::hideText();
        const ChartBar& bar = chart->Bars()[static_cast<std::size_t>(index)];
        QToolTip::showText(QCursor::pos(), Latin1(bar.label) + QStringLiteral(": %1 cars").arg(bar.count),
                           this);
    });
    if (control.Limits().empty())
        return;
    // The limits stand between bars: a value axis of its own, one unit per bar, not shown.
    auto* across = new QValueAxis;
    across->setRange(-0.5, static_cast<double>(control.Bars().size()) - 0.5);
    across->setVisible(false);
    chart()->addAxis(across, Qt::AlignBottom);
    for (const ChartLimit& limit : control.Limits()) {
        auto* line = new QLineSeries;
        line->setName(Latin1(limit.label));
        const double x = limit.edge - 0.5;
        line->append(x, 0);
        line->append(x, most * 1.1);
        line->setPen(QPen(kMarked.darker(150), 2, Qt::DashLine));
        chart()->addSeries(line);
        line->attachAxis(across);
        line->attachAxis(counts);
    }
}

void ChartView::ShowScatter(const Chart& control) {
    points_ = new QScatterSeries;
    points_->setName(QStringLiteral("Cars"));
    points_->setMarkerSize(7);
    points_->setColor(kPlain);
    points_->setBorderColor(kPlain);
    QList<QPointF> all;
    all.reserve(static_cast<qsizetype>(control.Points().size()));
    for (const ChartPoint& point : control.Points())
        all.append(QPointF(point.x, point.y));
    points_->replace(all);
    highlighted_ = new QScatterSeries;
    highlighted_->setName(QStringLiteral("Selected in the car table"));
    highlighted_->setMarkerSize(11);
    highlighted_->setColor(kHighlighted);
    highlighted_->setBorderColor(kHighlighted.darker(150));
    chart()->addSeries(points_);
    chart()->addSeries(highlighted_);
    auto* axisX = new QValueAxis;
    auto* axisY = new QValueAxis;
    chart()->addAxis(axisX, Qt::AlignBottom);
    chart()->addAxis(axisY, Qt::AlignLeft);
    for (QScatterSeries* series : {points_, highlighted_}) {
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }
    FitAxes(control);
    ShowHighlighted(control);
    // Pointing at a point names its car; a click shows it. The point is found by its place.
    const auto indexOf = [this](const QPointF& at) {
        return static_cast<int>(points_->points().indexOf(at));
    };
    const auto report = [this, indexOf](const QPointF& at, bool on) {
        const Chart* chart = Control();
        if (!on || !chart)
            return QToolTip::hideText();
        QToolTip::showText(QCursor::pos(), Latin1(chart->UserPointsAt(indexOf(at))), this);
    };
    QObject::connect(points_, &QScatterSeries::hovered, this, report);
    QObject::connect(highlighted_, &QScatterSeries::hovered, this, report);
    const auto click = [this, indexOf](const QPointF& at) {
        const int index = indexOf(at);
        binding_->Act<Chart>([index](Chart& chart) { chart.UserClicksPoint(index); });
    };
    QObject::connect(points_, &QScatterSeries::clicked, this, click);
    QObject::connect(highlighted_, &QScatterSeries::clicked, this, click);
}

void ChartView::FitAxes(const Chart& control) {
    double lowX = std::numeric_limits<double>::max(), highX = std::numeric_limits<double>::lowest();
    double lowY = lowX, highY = highX;
    for (const ChartPoint& point : control.Points()) {
        lowX = std::min(lowX, point.x);
        highX = std::max(highX, point.x);
        lowY = std::min(lowY, point.y);
        highY = std::max(highY, point.y);
    }
    if (control.Points().empty())
        lowX = lowY = 0, highX = highY = 1;
    const auto [fromX, toX] = Padded(lowX, highX);
    const auto [fromY, toY] = Padded(lowY, highY);
    for (const auto& [orientation, from, to] :
         {std::tuple{Qt::Horizontal, fromX, toX}, std::tuple{Qt::Vertical, fromY, toY}})
        for (QAbstractAxis* axis : chart()->axes(orientation)) {
            auto* values = static_cast<QValueAxis*>(axis);
            values->setRange(from, to);
            values->applyNiceNumbers();
            values->setLabelFormat(QStringLiteral("%g"));
        }
}

void ChartView::MovePoints(const Chart& control) {
    if (!points_ || points_->count() != static_cast<int>(control.Points().size()))
        return Rebuild();
    bool outside = false;
    const auto* axisX = static_cast<QValueAxis*>(chart()->axes(Qt::Horizontal).value(0));
    const auto* axisY = static_cast<QValueAxis*>(chart()->axes(Qt::Vertical).value(0));
    for (const int index : control.ChangedPoints()) {
        const ChartPoint& point = control.Points()[static_cast<std::size_t>(index)];
        points_->replace(index, QPointF(point.x, point.y));
        outside = outside || point.x < axisX->min() || point.x > axisX->max() || point.y < axisY->min() ||
                  point.y > axisY->max();
    }
    if (outside)
        FitAxes(control);
    ShowHighlighted(control);
}

void ChartView::ShowHighlighted(const Chart& control) {
    QList<QPointF> shown;
    for (const ChartPoint& point : control.Points())
        if (point.highlighted)
            shown.append(QPointF(point.x, point.y));
    if (shown != highlighted_->points())
        highlighted_->replace(shown);
}

std::string ChartView::SaveImage(const std::string& path) {
    const QString file = PathText(path);
    if (file.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(size());
        svg.setViewBox(rect());
        svg.setTitle(chart()->title());
        svg.setDescription(accessibleDescription());
        QPainter painter;
        if (!painter.begin(&svg))
            return "the file could not be written";
        render(&painter);
        return painter.end() ? std::string() : "the file could not be written";
    }
    return grab().save(file, "PNG") ? std::string() : "the file could not be written";
}

} // namespace kestrix::platform::qt
