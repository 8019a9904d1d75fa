#include "platform/qt/chart_view.h"

#include "platform/qt/text.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCursor>
#include <QGraphicsItem>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QStyleOptionGraphicsItem>
#include <QSvgGenerator>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

constexpr double kPointRadius = 3.5;
constexpr double kBarWidth = 0.9; // of a bar's column
constexpr double kHighlightRadius = 5.5;
// How far from a point the pointer may be and still point at it, in pixels.
constexpr double kReach = 6;

// A point's marker as pixels, stamped into the layer's picture once per point.
struct Marker {
    int side = 0;
    std::vector<QRgb> pixels; // premultiplied, row by row
};

Marker MarkerOf(const QColor& color, double radius, qreal ratio) {
    const int side = static_cast<int>(std::ceil((radius + 1) * 2 * ratio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(ratio, ratio);
    painter.setPen(QPen(color.darker(140), 1));
    painter.setBrush(color);
    painter.drawEllipse(QPointF(side / ratio / 2, side / ratio / 2), radius, radius);
    painter.end();
    Marker marker{side, std::vector<QRgb>(static_cast<std::size_t>(side * side))};
    for (int row = 0; row < side; ++row)
        std::copy_n(reinterpret_cast<const QRgb*>(image.constScanLine(row)), side,
                    marker.pixels.begin() + row * side);
    return marker;
}

// The picture's pixels, written directly: a QImage call per pixel costs more than the pixel.
struct Canvas {
    QRgb* bits;
    int stride, width, height;

    // Draws the marker over the picture with its centre at (x, y).
    void Stamp(const Marker& marker, int x, int y) const {
        const int left = x - marker.side / 2, top = y - marker.side / 2;
        const int fromRow = std::max(0, -top), toRow = std::min(marker.side, height - top);
        const int fromColumn = std::max(0, -left), toColumn = std::min(marker.side, width - left);
        for (int row = fromRow; row < toRow; ++row) {
            const QRgb* from = marker.pixels.data() + row * marker.side;
            QRgb* to = bits + static_cast<std::ptrdiff_t>(top + row) * stride + left;
            for (int column = fromColumn; column < toColumn; ++column) {
                const QRgb over = from[column];
                const unsigned alpha = qAlpha(over);
                if (alpha == 255)
                    to[column] = over;
                else if (alpha > 0)
                    to[column] = over + Scaled(to[column], 255 - alpha);
            }
        }
    }

    // Each channel of a premultiplied pixel times share / 255.
    static QRgb Scaled(QRgb pixel, unsigned share) {
        QRgb scaled = 0;
        for (const int shift : {0, 8, 16, 24})
            scaled |= ((pixel >> shift & 0xffu) * share / 255) << shift;
        return scaled;
    }
};

} // namespace

// The scatter's points over the plot area, painted from the control's list.
// On screen they are stamped into a picture kept until they change, which
// costs a few milliseconds for every car; a drawing (SVG) gets one circle per
// place instead.
class PointLayer : public QGraphicsItem {
  public:
    explicit PointLayer(const ChartView& view) : view_(view) { setZValue(10); }

    // The plot area in the chart's coordinates, and the values at its edges.
    void SetFrame(const QRectF& plot, double minX, double maxX, double minY, double maxY) {
        prepareGeometryChange();
        plot_ = plot;
        minX_ = minX;
        minY_ = minY;
        scaleX_ = maxX > minX ? plot.width() / (maxX - minX) : 0;
        scaleY_ = maxY > minY ? plot.height() / (maxY - minY) : 0;
        Redraw();
    }

    // The points or the highlight changed.
    void Redraw() {
        picture_ = QImage();
        update();
    }

    QRectF boundingRect() const override {
        return plot_.adjusted(-kHighlightRadius, -kHighlightRadius, kHighlightRadius, kHighlightRadius);
    }

    QPointF Place(const ChartPoint& point) const {
        return {plot_.left() + (point.x - minX_) * scaleX_, plot_.bottom() - (point.y - minY_) * scaleY_};
    }

    // Every point drawn on the pixel of the nearest one in reach: the cars one marker stands for.
    std::vector<int> PointsAt(const QPointF& at) const {
        const Chart* chart = view_.Control();
        const int nearest = PointAt(at);
        if (!chart || nearest < 0)
            return {};
        const auto pixel = [this, chart](int index) {
            const QPointF place = Place(chart->Points()[static_cast<std::size_t>(index)]);
            return std::pair(static_cast<int>(place.x() - plot_.left()),
                             static_cast<int>(place.y() - plot_.top()));
        };
        std::vector<int> points;
        for (int index = 0; index < static_cast<int>(chart->Points().size()); ++index)
            if (pixel(index) == pixel(nearest))
                points.push_back(index);
        return points;
    }

    // The highlighted points lie on top, so they are found first; -1 when none is in reach.
    int PointAt(const QPointF& at) const {
        const Chart* chart = view_.Control();
        if (!chart)
            return -1;
        int found = -1;
        double best = 0;
        const auto consider = [&](int index) {
            const QPointF offset = Place(chart->Points()[static_cast<std::size_t>(index)]) - at;
            const double distance = QPointF::dotProduct(offset, offset);
            if (distance <= best)
                found = index, best = distance;
        };
        best = (kHighlightRadius + 1) * (kHighlightRadius + 1);
        for (const int index : chart->Highlighted())
            consider(index);
        if (found >= 0)
            return found;
        best = kReach * kReach;
        for (int index = 0; index < static_cast<int>(chart->Points().size()); ++index)
            consider(index);
        return found;
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const Chart* chart = view_.Control();
        if (!chart || plot_.isEmpty())
            return;
        const QRectF area = boundingRect();
        if (painter->paintEngine()->type() == QPaintEngine::SVG)
            return DrawCircles(*painter, *chart);
        const qreal ratio = painter->device()->devicePixelRatioF();
        if (picture_.isNull() || picture_.devicePixelRatio() != ratio)
            picture_ = Picture(*chart, area, ratio);
        painter->drawImage(area.topLeft(), picture_);
    }

  private:
    // Each pixel's marker is stamped once: a dense cloud has many cars on one pixel.
    template <typename Draw>
    void EachPlace(const Chart& chart, const std::vector<int>* only, Draw draw) const {
        const int width = static_cast<int>(plot_.width()) + 1, height = static_cast<int>(plot_.height()) + 1;
        std::vector<bool> drawn(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        const auto place = [&](const ChartPoint& point) {
            const QPointF at = Place(point);
            const int column = static_cast<int>(at.x() - plot_.left()),
                      row = static_cast<int>(at.y() - plot_.top());
            if (column < 0 || row < 0 || column >= width || row >= height)
                return;
            const std::size_t pixel = static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                                      static_cast<std::size_t>(column);
            if (!drawn[pixel]) {
                drawn[pixel] = true;
                draw(at);
            }
        };
        if (only)
            for (const int index : *only)
                place(chart.Points()[static_cast<std::size_t>(index)]);
        else
            for (const ChartPoint& point : chart.Points())
                place(point);
    }

    QImage Picture(const Chart& chart, const QRectF& area, qreal ratio) const {
        QImage picture((area.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        const Canvas canvas{reinterpret_cast<QRgb*>(picture.bits()),
                            static_cast<int>(picture.bytesPerLine() / 4), picture.width(), picture.height()};
        const auto stamp = [&](const Marker& marker) {
            return [&](const QPointF& at) {
                const QPointF pixel = (at - area.topLeft()) * ratio;
                canvas.Stamp(marker, static_cast<int>(pixel.x()), static_cast<int>(pixel.y()));
            };
        };
        const Marker plain = MarkerOf(kPlain, kPointRadius, ratio);
        const Marker highlighted = MarkerOf(kHighlighted, kHighlightRadius, ratio);
        EachPlace(chart, nullptr, stamp(plain));
        EachPlace(chart, &chart.Highlighted(), stamp(highlighted));
        picture.setDevicePixelRatio(ratio);
        return picture;
    }

    void DrawCircles(QPainter& painter, const Chart& chart) const {
        painter.setRenderHint(QPainter::Antialiasing);
        const auto circle = [&painter](double radius) {
            return [&painter, radius](const QPointF& at) { painter.drawEllipse(at, radius, radius); };
        };
        painter.setPen(QPen(kPlain.darker(140), 1));
        painter.setBrush(kPlain);
        EachPlace(chart, nullptr, circle(kPointRadius));
        painter.setPen(QPen(kHighlighted.darker(140), 1));
        painter.setBrush(kHighlighted);
        EachPlace(chart, &chart.Highlighted(), circle(kHighlightRadius));
    }

    const ChartView& view_;
    QRectF plot_;
    double minX_ = 0, minY_ = 0, scaleX_ = 0, scaleY_ = 0;
    QImage picture_;
};

ChartView::ChartView(QWidget* parent) : QChartView(parent), layer_(new PointLayer(*this)) {
    setRenderHint(QPainter::Antialiasing, false);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    chart()->setAnimationOptions(QChart::NoAnimation);
    setToolTipDuration(-1);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    layer_->setParentItem(chart());
    layer_->hide();
    QObject::connect(chart(), &QChart::plotAreaChanged, this, [this] { PlaceLayer(); });
}

ChartView::~ChartView() = default;

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
    else if (aspect == Aspect::Selection)
        layer_->Redraw();
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
    axisX_ = axisY_ = nullptr;
    bars_ = nullptr;
    currentBar_ = -1;
    layer_->hide();
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
        labels << Latin1(bar.label);
        most = std::max(most, bar.count);
    }
    auto* series = new QStackedBarSeries;
    series->append({plain, marked, selected});
    series->setBarWidth(kBarWidth);
    chart()->addSeries(series);
    bars_ = series;
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    categories->setLabelsAngle(labels.size() > 8 ? -90 : 0); // upright, so no label hides its neighbour
    categories->setTruncateLabels(false);
    auto* counts = new QValueAxis;
    const AxisRange range = RoundAxis(0, most);
    counts->setRange(range.from, range.to);
    counts->setTickCount(static_cast<int>(std::lround((range.to - range.from) / range.step)) + 1);
    counts->setLabelFormat(QStringLiteral("%d"));
    chart()->addAxis(categories, Qt::AlignBottom);
    chart()->addAxis(counts, Qt::AlignLeft);
    series->attachAxis(categories);
    series->attachAxis(counts);
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
        line->append(x, range.to);
        line->setPen(QPen(kMarked.darker(150), 2, Qt::DashLine));
        chart()->addSeries(line);
        line->attachAxis(across);
        line->attachAxis(counts);
    }
}

void ChartView::ShowScatter(const Chart& control) {
    axisX_ = new QValueAxis;
    axisY_ = new QValueAxis;
    chart()->addAxis(axisX_, Qt::AlignBottom);
    chart()->addAxis(axisY_, Qt::AlignLeft);
    // Empty series that only name the points' colours in the legend; the layer draws the points.
    const auto legend = [this](const QString& name, const QColor& color, double radius) {
        auto* series = new QScatterSeries;
        series->setName(name);
        series->setMarkerSize(radius * 2);
        series->setColor(color);
        series->setBorderColor(color.darker(150));
        chart()->addSeries(series);
        series->attachAxis(axisX_);
        series->attachAxis(axisY_);
    };
    legend(QStringLiteral("Cars"), kPlain, kPointRadius);
    legend(QStringLiteral("Selected in the car table"), kHighlighted, kHighlightRadius);
    FitAxes(control);
    for (QValueAxis* axis : {axisX_, axisY_})
        QObject::connect(axis, &QValueAxis::rangeChanged, this, [this] { PlaceLayer(); });
    layer_->show();
    PlaceLayer();
}

void ChartView::PlaceLayer() {
    if (axisX_ && axisY_)
        layer_->SetFrame(chart()->plotArea(), axisX_->min(), axisX_->max(), axisY_->min(), axisY_->max());
}

void ChartView::FitAxes(const Chart& control) {
    for (const auto& [axis, range] :
         {std::pair{axisX_, control.RangeX()}, std::pair{axisY_, control.RangeY()}}) {
        axis->setRange(range.from, range.to);
        axis->setTickCount(static_cast<int>(std::lround((range.to - range.from) / range.step)) + 1);
        axis->setLabelFormat(QStringLiteral("%g"));
    }
}

// The axes grow and shrink with the points; the layer is drawn anew either way.
void ChartView::MovePoints(const Chart& control) {
    if (!axisX_ || !axisY_)
        return Rebuild();
    if (axisX_->min() != control.RangeX().from || axisX_->max() != control.RangeX().to ||
        axisY_->min() != control.RangeY().from || axisY_->max() != control.RangeY().to)
        return FitAxes(control); // the axes' new range redraws the layer
    layer_->Redraw();
}

std::vector<int> ChartView::PointsUnder(const QPoint& at) const {
    if (!layer_->isVisible())
        return {};
    return layer_->PointsAt(layer_->mapFromScene(mapToScene(at)));
}

int ChartView::BarUnder(const QPoint& at) const {
    const Chart* control = Control();
    const QPointF inChart = chart()->mapFromScene(mapToScene(at));
    if (!bars_ || !control || !chart()->plotArea().contains(inChart))
        return -1;
    const double x = chart()->mapToValue(inChart, bars_).x();
    const int bar = static_cast<int>(std::lround(x));
    return bar >= 0 && bar < static_cast<int>(control->Bars().size()) && std::abs(x - bar) <= kBarWidth / 2
               ? bar
               : -1;
}

QString ChartView::TipAt(const QPoint& at) const {
    const Chart* control = Control();
    if (!control)
        return {};
    const std::vector<int> points = PointsUnder(at);
    return Latin1(points.empty() ? control->UserPointsAtBar(BarUnder(at)) : control->UserPointsAt(points));
}

bool ChartView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QChartView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = TipAt(help->pos());
    if (tip.isEmpty())
        QToolTip::hideText();
    else // it goes when the pointer leaves the point or the bar's column
        QToolTip::showText(help->globalPos(), tip, viewport(),
                           QRect(help->pos() - QPoint(3, 3), QSize(7, 7)));
    return true;
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    QChartView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !binding_)
        return;
    const std::vector<int> points = PointsUnder(event->position().toPoint());
    const int bar = points.empty() ? BarUnder(event->position().toPoint()) : -1;
    binding_->Act<Chart>([&points, bar](Chart& chart) {
        if (!points.empty())
            chart.UserClicksPoints(points);
        else if (bar >= 0)
            chart.UserClicksBar(bar);
    });
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    const Chart* control = Control();
    const int count = control && bars_ ? static_cast<int>(control->Bars().size()) : 0;
    const int key = event->key();
    if (count == 0 || (key != Qt::Key_Left && key != Qt::Key_Right && key != Qt::Key_Return &&
                       key != Qt::Key_Enter && key != Qt::Key_Space))
        return QChartView::keyPressEvent(event);
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        currentBar_ = std::clamp(currentBar_ + (key == Qt::Key_Left ? -1 : 1), 0, count - 1);
        const QPointF top = chart()->mapToPosition(QPointF(currentBar_, 0), bars_);
        QToolTip::showText(mapToGlobal(mapFromScene(chart()->mapToScene(top))),
                           Latin1(control->UserPointsAtBar(currentBar_)), viewport());
    } else if (currentBar_ >= 0) {
        binding_->Act<Chart>([this](Chart& chart) { chart.UserClicksBar(currentBar_); });
    }
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

kestrix::platform::qt::ChartWidget* KestrixMakeChartWidget(QWidget* parent) {
    return new kestrix::platform::qt::ChartView(parent);
}
