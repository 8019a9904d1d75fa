#include "platform/qt/chart_view.h"

#include "platform/chart_svg.h"
#include "platform/qt/text.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QImageWriter>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace kestrix::platform::qt {

namespace {

QColor Shown(Color color) {
    return {color.red, color.green, color.blue};
}

QPen PenOf(const ChartCanvas::Pen& pen) {
    QPen shown(Shown(pen.color), pen.width);
    if (pen.dashed)
        shown.setDashPattern({3, 2}); // as a drawing dashes it
    return shown;
}

// A point's marker as pixels, stamped into the points' picture once per place.
// Each row knows where its pixels are and which of them hide what lies below,
// so that a stamp copies those and blends only the rim.
struct Marker {
    struct Row {
        int from = 0, to = 0;           // the pixels not transparent
        int solidFrom = 0, solidTo = 0; // the opaque run inside them
    };
    int side = 0;
    std::vector<QRgb> pixels; // premultiplied, row by row
    std::vector<Row> rows;
};

Marker MarkerOf(const PointMarker& shape, qreal ratio) {
    const int side = static_cast<int>(std::ceil((shape.radius + 1) * 2 * ratio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(ratio, ratio);
    painter.setPen(QPen(Shown(shape.border), 1));
    painter.setBrush(Shown(shape.color));
    painter.drawEllipse(QPointF(side / ratio / 2, side / ratio / 2), shape.radius, shape.radius);
    painter.end();
    Marker marker{side, std::vector<QRgb>(static_cast<std::size_t>(side * side)), {}};
    for (int row = 0; row < side; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        std::copy_n(line, side, marker.pixels.begin() + row * side);
        Marker::Row span{side, 0, side, side};
        for (int column = 0; column < side; ++column)
            if (qAlpha(line[column]) > 0)
                span.from = std::min(span.from, column), span.to = column + 1;
        span.solidFrom = span.from;
        while (span.solidFrom < span.to && qAlpha(line[span.solidFrom]) < 255)
            ++span.solidFrom;
        span.solidTo = span.solidFrom;
        while (span.solidTo < span.to && qAlpha(line[span.solidTo]) == 255)
            ++span.solidTo;
        marker.rows.push_back(span);
    }
    return marker;
}

// The picture's pixels, written directly: a QImage call per pixel costs more than the pixel.
struct Pixels {
    QRgb* bits;
    int stride, width, height;

    // Draws the marker over the picture with its centre at (x, y).
    void Stamp(const Marker& marker, int x, int y) const {
        const int left = x - marker.side / 2, top = y - marker.side / 2;
        const int fromRow = std::max(0, -top), toRow = std::min(marker.side, height - top);
        const int fromColumn = std::max(0, -left), toColumn = std::min(marker.side, width - left);
        for (int row = fromRow; row < toRow; ++row) {
            const Marker::Row& span = marker.rows[static_cast<std::size_t>(row)];
            const QRgb* from = marker.pixels.data() + row * marker.side;
            QRgb* to = bits + static_cast<std::ptrdiff_t>(top + row) * stride + left;
            const auto blend = [&](int begin, int end) {
                for (int column = std::max(begin, fromColumn); column < std::min(end, toColumn); ++column)
                    to[column] = from[column] + Scaled(to[column], 255 - qAlpha(from[column]));
            };
            blend(span.from, span.solidFrom);
            const int solidFrom = std::max(span.solidFrom, fromColumn),
                      solidTo = std::min(span.solidTo, toColumn);
            if (solidFrom < solidTo)
                std::copy(from + solidFrom, from + solidTo, to + solidFrom);
            blend(span.solidTo, span.to);
        }
    }

    // Each channel of a premultiplied pixel times share / 255, two channels at a time.
    static QRgb Scaled(QRgb pixel, unsigned share) {
        QRgb even = (pixel & 0xff00ffu) * share;
        even = ((even + ((even >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
        QRgb odd = ((pixel >> 8) & 0xff00ffu) * share;
        odd = (odd + ((odd >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
        return even | odd;
    }
};

// The plot with room for the largest marker at its edges.
QRectF PointsArea(const ChartLayout& layout) {
    const Box& plot = layout.Plot();
    const double room = HighlightedMarker().radius + 2;
    return {plot.left - room, plot.top - room, plot.width + 2 * room, plot.height + 2 * room};
}

QImage PointsPicture(const Chart& chart, const ChartLayout& layout, qreal ratio) {
    const QRectF area = PointsArea(layout);
    QImage picture((area.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    const Pixels pixels{reinterpret_cast<QRgb*>(picture.bits()), static_cast<int>(picture.bytesPerLine() / 4),
                        picture.width(), picture.height()};
    for (const bool highlighted : {false, true}) {
        const Marker marker = MarkerOf(highlighted ? HighlightedMarker() : PlainMarker(), ratio);
        layout.EachPlace(chart, highlighted, [&](double x, double y) {
            pixels.Stamp(marker, static_cast<int>((x - area.left()) * ratio),
                         static_cast<int>((y - area.top()) * ratio));
        });
    }
    picture.setDevicePixelRatio(ratio);
    return picture;
}

class PainterCanvas : public ChartCanvas {
  public:
    PainterCanvas(QPainter& painter, const QFont& font, QImage& points)
        : painter_(painter), font_(font), bold_(font), points_(points) {
        bold_.setBold(true);
    }

    void Rect(const Box& box, std::optional<Color> fill, std::optional<Pen> border, double corner) override {
        painter_.setRenderHint(QPainter::Antialiasing, corner > 0);
        painter_.setPen(border ? PenOf(*border) : QPen(Qt::NoPen));
        painter_.setBrush(fill ? QBrush(Shown(*fill)) : QBrush(Qt::NoBrush));
        painter_.drawRoundedRect(QRectF(box.left, box.top, box.width, box.height), corner, corner);
    }

    void Line(double x1, double y1, double x2, double y2, const Pen& pen) override {
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setPen(PenOf(pen));
        painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }

    void Text(std::string_view text, double x, double y, Align align, bool bold, Color color,
              bool upright) override {
        const QString shown = Latin1(text);
        const QFont& font = bold ? bold_ : font_;
        const double width = QFontMetricsF(font).horizontalAdvance(shown);
        const double start = align == Align::Left ? 0 : align == Align::Middle ? -width / 2 : -width;
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setFont(font);
        painter_.setPen(Shown(color));
        painter_.save();
        painter_.translate(x, y);
        if (upright)
            painter_.rotate(-90);
        painter_.drawText(QPointF(start, 0), shown);
        painter_.restore();
    }

    void Circle(double x, double y, double radius, std::optional<Color> fill, const Pen& border) override {
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setPen(PenOf(border));
        painter_.setBrush(fill ? QBrush(Shown(*fill)) : QBrush(Qt::NoBrush));
        painter_.drawEllipse(QPointF(x, y), radius, radius);
    }

    void Points(const Chart& chart, const ChartLayout& layout) override {
        const qreal ratio = painter_.device()->devicePixelRatioF();
        if (points_.isNull() || points_.devicePixelRatio() != ratio)
            points_ = PointsPicture(chart, layout, ratio);
        painter_.drawImage(PointsArea(layout).topLeft(), points_);
    }

  private:
    QPainter& painter_;
    QFont font_, bold_;
    QImage& points_;
};

ChartFont FontOf(const QFont& font) {
    QFont bold(font);
    bold.setBold(true);
    const QFontMetricsF normal(font), wide(bold);
    ChartFont measured;
    measured.family = Latin1Bytes(QFontInfo(font).family());
    measured.size = QFontInfo(font).pixelSize();
    measured.ascent = normal.ascent();
    measured.descent = normal.descent();
    measured.width = [normal, wide](std::string_view text, bool isBold) {
        return (isBold ? wide : normal).horizontalAdvance(Latin1(text));
    };
    return measured;
}

// What assistive tools are told of a chart: a chart named by its title,
// described by the bar or place the keyboard is on, which they can press.
class ChartAccessible : public QAccessibleWidget {
  public:
    explicit ChartAccessible(ChartView* view) : QAccessibleWidget(view, QAccessible::Chart) {}

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (View().Current() >= 0)
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override {
        if (name == pressAction())
            View().ClickCurrent();
        else
            QAccessibleWidget::doAction(name);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == pressAction() ? QStringList{QStringLiteral("Return")}
                                     : QAccessibleWidget::keyBindingsForAction(name);
    }

  private:
    ChartView& View() const { return *static_cast<ChartView*>(widget()); }
};

QAccessibleInterface* AccessibleChart(const QString&, QObject* object) {
    auto* view = dynamic_cast<ChartView*>(object);
    return view ? new ChartAccessible(view) : nullptr;
}

} // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent) {
    // Assistive tools ask Qt for a widget's interface; charts get theirs from this factory, once.
    [[maybe_unused]] static const bool told = (QAccessible::installFactory(&AccessibleChart), true);
    setFocusPolicy(Qt::StrongFocus);
}

const ChartLayout& ChartView::Layout() {
    if (!layout_)
        layout_.emplace(*Control(), width(), height(), FontOf(font()));
    return *layout_;
}

void ChartView::Relayout() {
    layout_.reset();
    points_ = QImage();
    update();
}

void ChartView::Refresh(Aspect aspect) {
    const Chart* chart = Control();
    if (!chart)
        return;
    if (aspect == Aspect::Caption) {
        // New titles come before the bars or points they name: the current is told with those.
        setAccessibleName(Latin1(chart->Title()));
        update();
    } else if (aspect == Aspect::Rows) {
        // Drawn anew with the same bars (a bar's click that filtered the table): the keyboard stays where it
        // was.
        const std::size_t items =
            chart->Shows() == Chart::Kind::Bars ? chart->Bars().size() : chart->Points().size();
        if (chart->Shows() != kind_ || items != items_)
            current_ = -1;
        kind_ = chart->Shows();
        items_ = items;
        Relayout();
        Describe();
    } else if (aspect == Aspect::Value || aspect == Aspect::Selection) {
        Relayout(); // moved points may move the axes
        Describe();
    }
}

void ChartView::Draw(QPainter& painter, const Chart& chart, int current) {
    PainterCanvas canvas(painter, font(), points_);
    DrawChart(chart, Layout(), canvas, current);
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (const Chart* chart = Control())
        Draw(painter, *chart, hasFocus() ? current_ : -1);
}

void ChartView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

void ChartView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Relayout();
}

void ChartView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void ChartView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

std::vector<int> ChartView::CurrentPoints() {
    const Chart* chart = Control();
    if (!chart || chart->Shows() != Chart::Kind::Scatter || current_ < 0 ||
        current_ >= static_cast<int>(chart->Points().size()))
        return {};
    return Layout().PointsWith(*chart, current_);
}

QString ChartView::Told() {
    const Chart* chart = Control();
    if (!chart)
        return {};
    if (current_ < 0)
        return Latin1(chart->Summary());
    return Latin1(chart->Shows() == Chart::Kind::Bars ? chart->UserPointsAtBar(current_)
                                                      : chart->UserPointsAt(CurrentPoints()));
}

void ChartView::Describe() {
    const QString told = Told();
    if (accessibleDescription() != told)
        setAccessibleDescription(told); // which tells assistive tools
}

void ChartView::MoveTo(int item) {
    const Chart* chart = Control();
    if (!chart || item < 0)
        return;
    current_ = item;
    update();
    Describe();
    const ChartLayout& layout = Layout();
    QPointF place;
    if (chart->Shows() == Chart::Kind::Bars) {
        const Box bar = layout.BarPart(item, 0, chart->Bars()[static_cast<std::size_t>(item)].count);
        place = {bar.left + bar.width / 2, bar.top};
    } else {
        const ChartPoint& point = chart->Points()[static_cast<std::size_t>(item)];
        place = {layout.PlaceX(point.x), layout.PlaceY(point.y)};
    }
    QToolTip::showText(mapToGlobal(place.toPoint()), accessibleDescription(), this);
}

void ChartView::ClickCurrent() {
    if (!binding_ || current_ < 0)
        return;
    const std::vector<int> points = CurrentPoints();
    const int bar = current_;
    binding_->Act<Chart>([&points, bar](Chart& chart) {
        if (chart.Shows() == Chart::Kind::Bars)
            chart.UserClicksBar(bar);
        else
            chart.UserClicksPoints(points);
    });
}

int ChartView::Step(const Chart& chart, int key) {
    const bool back = key == Qt::Key_Left || key == Qt::Key_End;
    const bool fromEnd = key == Qt::Key_Home || key == Qt::Key_End || current_ < 0;
    if (chart.Shows() == Chart::Kind::Scatter) {
        const int next = Layout().NextPoint(chart, fromEnd ? -1 : current_, back ? -1 : 1);
        return next >= 0 ? next : current_;
    }
    const int last = static_cast<int>(chart.Bars().size()) - 1;
    if (fromEnd)
        return back ? last : 0;
    return std::clamp(current_ + (back ? -1 : 1), 0, last);
}

void ChartView::keyPressEvent(QKeyEvent* event) {
    const Chart* chart = Control();
    const int key = event->key();
    const bool empty = !chart || (chart->Bars().empty() && chart->Points().empty());
    if (!empty && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End))
        return MoveTo(Step(*chart, key));
    if (!empty && current_ >= 0 && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space))
        return ClickCurrent();
    QWidget::keyPressEvent(event);
}

QString ChartView::TipAt(const QPoint& at) {
    const Chart* chart = Control();
    if (!chart)
        return {};
    if (chart->Shows() == Chart::Kind::Bars)
        return Latin1(chart->UserPointsAtBar(Layout().BarAt(at.x(), at.y())));
    return Latin1(chart->UserPointsAt(Layout().PointsAt(*chart, at.x(), at.y())));
}

bool ChartView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = TipAt(help->pos());
    if (tip.isEmpty())
        QToolTip::hideText();
    else // it goes when the pointer leaves the point or the bar's column
        QToolTip::showText(help->globalPos(), tip, this, QRect(help->pos() - QPoint(3, 3), QSize(7, 7)));
    return true;
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    const Chart* chart = Control();
    if (event->button() != Qt::LeftButton || !chart)
        return;
    const QPointF at = event->position();
    const int item = chart->Shows() == Chart::Kind::Bars ? Layout().BarAt(at.x(), at.y())
                                                         : Layout().PointAt(*chart, at.x(), at.y());
    if (item < 0)
        return;
    // The keyboard goes on from the clicked bar or place.
    current_ = chart->Shows() == Chart::Kind::Bars ? item : Layout().PointsWith(*chart, item).front();
    update();
    Describe();
    ClickCurrent();
}

std::string ChartView::SaveImage(const std::string& path) {
    const Chart* chart = Control();
    if (!chart)
        return "the chart is not shown";
    const QString file = PathText(path);
    if (file.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        const std::string drawing = ChartSvg(*chart, Layout());
        QSaveFile out(file);
        const auto size = static_cast<qint64>(drawing.size());
        if (!out.open(QIODevice::WriteOnly) || out.write(drawing.data(), size) != size || !out.commit())
            return PathBytes(out.errorString());
        return {};
    }
    const qreal ratio = devicePixelRatioF();
    QImage picture((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(palette().window().color());
    QPainter painter(&picture);
    Draw(painter, *chart, -1);
    painter.end();
    QImageWriter writer(file, "png");
    return writer.write(picture) ? std::string() : PathBytes(writer.errorString());
}

} // namespace kestrix::platform::qt
