#include "platform/chart.h"

namespace kestrix::platform {

void Chart::SetTitles(std::string title, std::string summary, std::string axisX, std::string axisY) {
    title_ = std::move(title);
    summary_ = std::move(summary);
    axisX_ = std::move(axisX);
    axisY_ = std::move(axisY);
    Notify(Aspect::Caption);
}

void Chart::SetBars(std::vector<ChartBar> bars, std::vector<ChartLimit> limits) {
    kind_ = Kind::Bars;
    bars_ = std::move(bars);
    limits_ = std::move(limits);
    points_.clear();
    highlighted_.clear();
    changed_.clear();
    Notify(Aspect::Rows);
}

void Chart::SetPoints(std::vector<ChartPoint> points, std::vector<int> highlighted) {
    kind_ = Kind::Scatter;
    points_ = std::move(points);
    highlighted_ = std::move(highlighted);
    bars_.clear();
    limits_.clear();
    changed_.clear();
    Notify(Aspect::Rows);
}

void Chart::UpdatePoints(const std::vector<std::pair<int, ChartPoint>>& changes) {
    changed_.clear();
    for (const auto& [index, point] : changes) {
        points_.at(static_cast<std::size_t>(index)) = point;
        changed_.push_back(index);
    }
    if (!changed_.empty())
        Notify(Aspect::Value);
}

void Chart::SetHighlighted(std::vector<int> highlighted) {
    if (highlighted == highlighted_)
        return;
    highlighted_ = std::move(highlighted);
    Notify(Aspect::Selection);
}

std::string Chart::UserPointsAt(int point) const {
    return PointText && point >= 0 && point < static_cast<int>(points_.size()) ? PointText(point)
                                                                               : std::string();
}

void Chart::UserClicksPoint(int point) {
    if (PointClick && point >= 0 && point < static_cast<int>(points_.size()))
        PointClick(point);
}

std::string Chart::SaveImage(const std::string& path) const {
    return writer_ ? writer_(path) : std::string("The chart is not shown");
}

} // namespace kestrix::platform
