#include "windows/frmChart.h"

#include "document/change.h"
#include "model/number.h"
#include "model/stat_description.h"
#include "windows/file_dialogs.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace kestrix {

using platform::ChartBar;
using platform::ChartLimit;
using platform::ChartPoint;

namespace {

constexpr const char* kPictureFilter = "PNG Picture|*.png|SVG Drawing|*.svg";
constexpr int kChoiceData = 1000; // a choice source's entry data, above any column
constexpr int kNotChosen = -2;    // a car the table's filter leaves out of the scatter

// Six significant digits, as people write a limit.
std::string Short(double value) {
    return PlainDecimal(RoundedToDigits(value, 6));
}

std::string CarsText(std::size_t count) {
    return CountText(count, "car", "cars");
}

std::string_view StatName(int column) {
    return StatCatalogue::Instance()[column].StatName;
}

bool IsNumberStat(int column) {
    return !StatCatalogue::Instance()[column].IsText;
}

// A choice list or box counted by the entries the main window offers for it.
ChoiceSource EntrySource(int column) {
    const StatDescription& stat = DescriptionOf(column);
    std::vector<std::string> entries(stat.choices.begin(), stat.choices.end());
    if (stat.control == StatControlKind::CheckBox)
        entries = {"Off", "On"};
    return {std::string(stat.def.StatName), column, std::move(entries),
            [&stat](std::string_view stored) { return EntryOf(stat, stored); }};
}

ChoiceSource FlagSource(int flag) {
    const std::size_t group = static_cast<std::size_t>(flag / 4);
    const std::string_view name = DescriptionOf(Flags).choices[static_cast<std::size_t>(flag)];
    return {"Flag " + std::string(name), Flags, std::vector<std::string>{"Not set", "Set"},
            [flag, group](std::string_view stored) {
                // A missing group reads as "0", as the editor reads it; another character is unknown.
                if (group < stored.size() && !std::isxdigit(static_cast<unsigned char>(stored[group])))
                    return -1;
                return DecodeFlags(stored)[static_cast<std::size_t>(flag)] ? 1 : 0;
            }};
}

} // namespace

// The bins.

Binning::Binning(double minimum, double maximum, const std::vector<double>& values)
    : minimum_(minimum), maximum_(maximum) {
    double lowest = minimum, highest = maximum, lowInside = maximum, highInside = minimum;
    if (!values.empty())
        lowest = highest = values.front();
    for (const double value : values) {
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
        if (value >= minimum && value <= maximum)
            lowInside = std::min(lowInside, value), highInside = std::max(highInside, value);
    }
    if (lowInside > highInside) // no value inside: the bins span the values, else the allowed range
        std::tie(lowInside, highInside) =
            values.empty() ? std::pair(minimum, maximum) : std::pair(lowest, highest);
    const double step =
        platform::RoundStep(highInside > lowInside ? (highInside - lowInside) / kAbout
                                                   : std::max(std::abs(lowInside), 1.0) / kAbout);
    // Edges are whole steps, written with the digits a person would write.
    const auto edge = [step](double steps) { return RoundedToDigits(steps * step, 12); };
    double from = edge(std::floor(lowest / step));
    if (lowest >= minimum) {
        from = std::max(minimum, edge(std::floor(lowInside / step)));
    } else if (const double farthest = edge(std::floor(minimum / step) - kMostOutside); lowest < farthest) {
        from = farthest;
        openBelow_ = true;
    }
    double to = edge(std::floor(highest / step) + 1);
    if (highest <= maximum) {
        to = std::min(maximum, edge(std::floor(highInside / step) + 1));
    } else if (const double farthest = edge(std::ceil(maximum / step) + kMostOutside); highest >= farthest) {
        to = farthest;
        openAbove_ = true;
    }
    if (to <= from) // every value is the maximum, on a whole step
        from = to - step;
    edges_ = {from};
    for (double steps = std::floor(from / step) + 1; edge(steps) < to; ++steps)
        edges_.push_back(edge(steps));
    edges_.push_back(to);
    for (const double limit : {minimum, maximum})
        if (limit > from && limit < to)
            edges_.push_back(limit);
    std::sort(edges_.begin(), edges_.end());
    edges_.erase(std::unique(edges_.begin(), edges_.end()), edges_.end());
}

int Binning::Index(double value) const {
    int bin = static_cast<int>(std::upper_bound(edges_.begin(), edges_.end(), value) - edges_.begin()) - 1;
    if (bin > 0 && value == maximum_ && edges_[static_cast<std::size_t>(bin)] == maximum_)
        --bin;
    return std::clamp(bin, 0, Count() - 1);
}

bool Binning::Outside(int bin) const {
    return edges_[static_cast<std::size_t>(bin) + 1] <= minimum_ ||
           edges_[static_cast<std::size_t>(bin)] >= maximum_;
}

int Binning::EdgeOf(double value) const {
    const auto found = std::find(edges_.begin(), edges_.end(), value);
    return found == edges_.end() ? -1 : static_cast<int>(found - edges_.begin());
}

std::string Binning::Label(int bin) const {
    const double from = edges_[static_cast<std::size_t>(bin)], to = edges_[static_cast<std::size_t>(bin) + 1];
    if (bin == 0 && openBelow_)
        return "under " + PlainDecimal(to);
    if (bin == Count() - 1 && openAbove_)
        return "over " + PlainDecimal(from);
    return PlainDecimal(from) + " to " + PlainDecimal(to);
}

std::string Binning::Filter(int bin, std::string_view stat) const {
    const double from = edges_[static_cast<std::size_t>(bin)], to = edges_[static_cast<std::size_t>(bin) + 1];
    std::string filter;
    if (bin > 0 || !openBelow_)
        filter = std::string(stat) + (from == maximum_ ? " > " : " >= ") + PlainDecimal(from);
    if (bin < Count() - 1 || !openAbove_)
        filter += (filter.empty() ? "" : " and ") + std::string(stat) + (to == maximum_ ? " <= " : " < ") +
                  PlainDecimal(to);
    return filter;
}

const std::vector<ChoiceSource>& ChoiceSources() {
    static const std::vector<ChoiceSource> sources = [] {
        std::vector<ChoiceSource> list;
        for (int column = 0; column < kStatCount; ++column) {
            const StatControlKind control = DescriptionOf(column).control;
            if (control == StatControlKind::ChoiceList || control == StatControlKind::CheckBox)
                list.push_back(EntrySource(column));
        }
        for (int flag = 0; flag < kFlagCount; ++flag)
            list.push_back(FlagSource(flag));
        return list;
    }();
    return sources;
}

// The window.

frmChart::frmChart(Document& doc, platform::Services& services, std::shared_ptr<CarFocus> focus)
    : platform::Window("frmChart"), doc_(doc), services_(services), focus_(std::move(focus)) {
    cboKind.Click = [this] { cboKind_Click(); };
    cboStat.Click = [this] { cboStat_Click(); };
    cboAgainst.Click = [this] { cboAgainst_Click(); };
    chkFilter.Click = [this] { chkFilter_Click(); };
    cmdExport.Click = [this] { cmdExport_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    chtStats.PointText = [this](const std::vector<int>& points) { return PointText(points); };
    chtStats.PointClick = [this](const std::vector<int>& points) { chtStats_PointClick(points); };
    chtStats.BarText = [this](int bar) { return BarText(bar); };
    chtStats.BarClick = [this](int bar) { chtStats_BarClick(bar); };
    Focus.Join({&cboKind, &cboStat, &cboAgainst, &chkFilter, &chtStats, &cmdExport, &cmdClose});
    doc_.Observe(*this);
    focus_->Observe(*this);
}

frmChart::~frmChart() {
    doc_.Forget(*this);
    focus_->Forget(*this);
}

void frmChart::Form_Load() {
    SetCaption("Stat Chart");
    SetResizable(true);
    SetMinMaxBoxes(true);
    CancelButton = &cmdClose;
    lblKind.SetCaption("&Kind:");
    lblStat.SetCaption("&Stat:");
    lblAgainst.SetCaption("&Against:");
    NameAfter(cboKind, lblKind);
    NameAfter(cboStat, lblStat);
    NameAfter(cboAgainst, lblAgainst);
    chkFilter.SetCaption("&Only the cars the car table shows");
    cmdExport.SetCaption("&Export...");
    cmdClose.SetCaption("Close");
    cboKind.SetEntries({{"Distribution of one stat", Distribution},
                        {"Two stats against each other", Scatter},
                        {"Counts of a choice stat", Counts}});
    cboKind.SetListIndex(Scatter);
}

void frmChart::FillStatLists() {
    filling_ = true;
    std::vector<platform::DropDown::Entry> stats;
    if (cboKind.ListIndex() == Counts) {
        const auto& sources = ChoiceSources();
        for (std::size_t i = 0; i < sources.size(); ++i)
            stats.push_back({sources[i].name, kChoiceData + static_cast<int>(i)});
    } else {
        for (int column = 0; column < kStatCount; ++column)
            if (IsNumberStat(column))
                stats.push_back({std::string(StatName(column)), column});
    }
    cboAgainst.SetEntries(cboKind.ListIndex() == Scatter ? stats : std::vector<platform::DropDown::Entry>{});
    cboAgainst.SetEnabled(cboKind.ListIndex() == Scatter);
    lblAgainst.SetEnabled(cboKind.ListIndex() == Scatter);
    cboStat.SetEntries(std::move(stats));
    // Mass against Max Velocity to begin with: the question asked most.
    if (cboKind.ListIndex() == Scatter)
        cboAgainst.SelectText(StatName(13));
    if (!cboStat.SelectText(StatName(1)))
        cboStat.SetListIndex(0);
    filling_ = false;
}

void frmChart::cboKind_Click() {
    FillStatLists();
    Draw();
}

void frmChart::cboStat_Click() {
    if (!filling_)
        Draw();
}

void frmChart::cboAgainst_Click() {
    if (!filling_)
        Draw();
}

void frmChart::chkFilter_Click() {
    Draw();
}

void frmChart::cmdClose_Click() {
    Unload();
}

int frmChart::StatColumn() const {
    return cboStat.ItemData(cboStat.ListIndex());
}

void frmChart::DocumentChanged(const DocumentEvent& event) {
    if (cboKind.ListIndex() < 0 || cboStat.ListIndex() < 0)
        return;
    if (event.kind == DocumentEvent::Kind::Read || event.RowsChanged())
        return Draw();
    if (event.kind != DocumentEvent::Kind::Changed)
        return;
    const std::vector<CellChange>& cells = event.change->cells;
    if (cboKind.ListIndex() == Scatter)
        return MovePoints(cells) ? void() : Draw();
    const int column = cboKind.ListIndex() == Counts
                           ? ChoiceSources().at(static_cast<std::size_t>(StatColumn() - kChoiceData)).column
                           : StatColumn();
    // The bars are few and counted again from the values: quick enough at any size.
    if (std::any_of(cells.begin(), cells.end(),
                    [column](const CellChange& cell) { return cell.column == column; }))
        Draw();
}

bool frmChart::MovePoints(const std::vector<CellChange>& cells) {
    std::vector<std::pair<int, ChartPoint>> moved;
    for (const CellChange& cell : cells) {
        if (cell.column != scatterX_ && cell.column != scatterY_)
            continue;
        const std::size_t car = static_cast<std::size_t>(cell.row);
        if (car >= carPoints_.size())
            return false;
        const std::optional<double> x = Number(cell.row, scatterX_);
        const std::optional<double> y = Number(cell.row, scatterY_);
        const int point = carPoints_[car];
        if (point == kNotChosen)
            continue;
        // A car that gains or loses its point changes the cars and the note.
        if ((point >= 0) != (x && y))
            return false;
        if (point >= 0)
            moved.emplace_back(point, ChartPoint{*x, *y});
    }
    chtStats.UpdatePoints(moved);
    return true;
}

void frmChart::FocusChanged() {
    if (cboKind.ListIndex() < 0 || cboStat.ListIndex() < 0)
        return;
    if (Filtered() != drawnFilter_.has_value() || (drawnFilter_ && *drawnFilter_ != *focus_->Shown()))
        return Draw();
    if (cboKind.ListIndex() != Scatter)
        return Draw();
    highlighted_.assign(doc_.Cars().size(), false);
    for (const int row : focus_->Selected())
        if (row >= 0 && static_cast<std::size_t>(row) < highlighted_.size())
            highlighted_[static_cast<std::size_t>(row)] = true;
    chtStats.SetHighlighted(HighlightedPoints());
}

// The chart follows the table's filter, unless the filter is what a bar of this chart wrote.
bool frmChart::Filtered() const {
    return chkFilter.Value() != 0 && focus_->Shown().has_value() &&
           (askedFilter_.empty() || focus_->Filter() != askedFilter_);
}

std::vector<int> frmChart::ChosenCars() const {
    const std::size_t count = doc_.Cars().size();
    std::vector<int> cars;
    if (Filtered()) {
        // The table may still hold rows of the cars before the last change; it tells the new ones next.
        for (const int row : *focus_->Shown())
            if (row >= 0 && static_cast<std::size_t>(row) < count)
                cars.push_back(row);
        return cars;
    }
    cars.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        cars[i] = static_cast<int>(i);
    return cars;
}

std::vector<int> frmChart::HighlightedPoints() const {
    std::vector<int> points;
    for (std::size_t point = 0; point < pointCars_.size(); ++point)
        if (highlighted_[static_cast<std::size_t>(pointCars_[point])])
            points.push_back(static_cast<int>(point));
    return points;
}

std::optional<double> frmChart::Number(int car, int column) const {
    const std::optional<double> value =
        NumericValue(doc_.Cars()[static_cast<std::size_t>(car)][column], doc_.Numbers());
    if (value && !std::isfinite(*value))
        return std::nullopt;
    return value;
}

std::string frmChart::NoNumberNote(int count, int column) const {
    if (count == 0)
        return {};
    return CarsText(static_cast<std::size_t>(count)) + (count == 1 ? " has" : " have") + " no number for " +
           std::string(StatName(column));
}

void frmChart::Draw() {
    if (cboKind.ListIndex() < 0 || cboStat.ListIndex() < 0)
        return;
    highlighted_.assign(doc_.Cars().size(), false);
    for (const int row : focus_->Selected())
        if (row >= 0 && static_cast<std::size_t>(row) < highlighted_.size())
            highlighted_[static_cast<std::size_t>(row)] = true;
    drawnFilter_ = Filtered() ? focus_->Shown() : std::nullopt;
    const std::vector<int> cars = ChosenCars();
    const int stat = StatColumn();
    pointCars_.clear();
    carPoints_.clear();
    barFilters_.clear();
    switch (cboKind.ListIndex()) {
    case Distribution:
        DrawDistribution(cars, stat);
        break;
    case Scatter:
        if (cboAgainst.ListIndex() >= 0)
            DrawScatter(cars, stat, cboAgainst.ItemData(cboAgainst.ListIndex()));
        break;
    default:
        DrawCounts(cars, ChoiceSources().at(static_cast<std::size_t>(stat - kChoiceData)));
        break;
    }
    if (chkFilter.Value() != 0 && !focus_->Shown()) {
        const std::string closed = "The car table is closed: every car is shown.";
        lblNote.SetCaption(lblNote.Caption().empty() ? closed : lblNote.Caption() + ". " + closed);
    }
    chtStats.SetSpokenName(chtStats.Title());
}

void frmChart::DrawDistribution(const std::vector<int>& cars, int column) {
    std::vector<std::pair<double, bool>> values;
    std::vector<double> numbers;
    values.reserve(cars.size());
    int noNumber = 0;
    for (const int car : cars) {
        if (const std::optional<double> value = Number(car, column)) {
            values.emplace_back(*value, highlighted_[static_cast<std::size_t>(car)]);
            numbers.push_back(*value);
        } else {
            ++noNumber;
        }
    }
    const StatDef& def = StatCatalogue::Instance()[column];
    const Binning bins(def.Minimum, def.Maximum, numbers);
    std::vector<ChartBar> bars(static_cast<std::size_t>(bins.Count()));
    for (int bin = 0; bin < bins.Count(); ++bin) {
        bars[static_cast<std::size_t>(bin)].label = bins.Label(bin);
        bars[static_cast<std::size_t>(bin)].marked = bins.Outside(bin);
        barFilters_.push_back(bins.Filter(bin, def.StatName));
    }
    for (const auto& [value, selected] : values) {
        ChartBar& bar = bars[static_cast<std::size_t>(bins.Index(value))];
        ++bar.count;
        bar.highlighted += selected ? 1 : 0;
    }
    const std::string name(def.StatName);
    chtStats.SetTitles("Distribution of " + name, name + ", " + CarsText(values.size()), name, "Cars");
    std::vector<ChartLimit> limits;
    if (bins.MinimumEdge() >= 0)
        limits.push_back({bins.MinimumEdge(), "Minimum " + Short(def.Minimum)});
    if (bins.MaximumEdge() >= 0)
        limits.push_back({bins.MaximumEdge(), "Maximum " + Short(def.Maximum)});
    chtStats.SetBars(std::move(bars), std::move(limits));
    lblNote.SetCaption(NoNumberNote(noNumber, column));
}

void frmChart::DrawScatter(const std::vector<int>& cars, int columnY, int columnX) {
    std::vector<ChartPoint> points;
    points.reserve(cars.size());
    pointCars_.reserve(cars.size());
    carPoints_.assign(doc_.Cars().size(), kNotChosen);
    int noY = 0, noX = 0;
    for (const int car : cars) {
        carPoints_[static_cast<std::size_t>(car)] = -1;
        const std::optional<double> y = Number(car, columnY);
        const std::optional<double> x = columnX == columnY ? y : Number(car, columnX);
        noY += y ? 0 : 1;
        noX += x || columnX == columnY ? 0 : 1;
        if (x && y) {
            carPoints_[static_cast<std::size_t>(car)] = static_cast<int>(points.size());
            pointCars_.push_back(car);
            points.push_back({*x, *y});
        }
    }
    scatterX_ = columnX;
    scatterY_ = columnY;
    const std::string title = std::string(StatName(columnY)) + " against " + std::string(StatName(columnX));
    chtStats.SetTitles(title, title + ", " + CarsText(points.size()), std::string(StatName(columnX)),
                       std::string(StatName(columnY)));
    chtStats.SetPoints(std::move(points), HighlightedPoints());
    std::string note = NoNumberNote(noY, columnY);
    const std::string noteX = NoNumberNote(noX, columnX);
    if (!note.empty() && !noteX.empty())
        note += "; ";
    lblNote.SetCaption(note + noteX);
}

void frmChart::DrawCounts(const std::vector<int>& cars, const ChoiceSource& source) {
    std::vector<ChartBar> bars;
    for (const std::string& entry : source.entries)
        bars.push_back({entry, 0, 0, false});
    ChartBar unknown{"Unknown", 0, 0, true};
    for (const int car : cars) {
        const int entry = source.entryOf(doc_.Cars()[static_cast<std::size_t>(car)][source.column]);
        ChartBar& bar = entry < 0 ? unknown : bars[static_cast<std::size_t>(entry)];
        ++bar.count;
        bar.highlighted += highlighted_[static_cast<std::size_t>(car)] ? 1 : 0;
    }
    if (unknown.count > 0)
        bars.push_back(unknown);
    chtStats.SetTitles("Cars by " + source.name, source.name + ", " + CarsText(cars.size()), source.name,
                       "Cars");
    chtStats.SetBars(std::move(bars), {});
    lblNote.SetCaption(unknown.count > 0 ? CarsText(static_cast<std::size_t>(unknown.count)) + " with a " +
                                               source.name + " the editor does not know"
                                         : std::string());
}

std::string frmChart::PointText(const std::vector<int>& points) const {
    constexpr std::size_t kMostNamed = 12;
    const auto values = [this](const CarRow& car, std::string_view between) {
        return std::string(StatName(scatterY_)) + ": " + std::string(car[scatterY_]) + std::string(between) +
               std::string(StatName(scatterX_)) + ": " + std::string(car[scatterX_]);
    };
    std::string text = points.size() == 1 ? std::string() : CarsText(points.size()) + " here:";
    for (std::size_t i = 0; i < points.size() && i < kMostNamed; ++i) {
        const CarRow& car =
            doc_.Cars().at(static_cast<std::size_t>(pointCars_.at(static_cast<std::size_t>(points[i]))));
        text += points.size() == 1
                    ? std::string(car[VehicleIdentifier]) + "\n" + values(car, "\n")
                    : "\n" + std::string(car[VehicleIdentifier]) + " (" + values(car, ", ") + ")";
    }
    if (points.size() > kMostNamed)
        text += "\nand " + std::to_string(points.size() - kMostNamed) + " more";
    return text;
}

std::string frmChart::BarText(int bar) const {
    const ChartBar& shown = chtStats.Bars().at(static_cast<std::size_t>(bar));
    std::string text = shown.label + ": " + CarsText(static_cast<std::size_t>(shown.count));
    if (shown.highlighted > 0)
        text += ", " + std::to_string(shown.highlighted) + " selected in the car table";
    if (!BarFilter(bar).empty())
        text += "\nA click shows them in the car table.";
    return text;
}

// Empty for a bar with no cars to show, and for the counts of a choice, which have no filter of their own.
std::string frmChart::BarFilter(int bar) const {
    const auto index = static_cast<std::size_t>(bar);
    return index < barFilters_.size() && chtStats.Bars().at(index).count > 0 ? barFilters_[index]
                                                                             : std::string();
}

void frmChart::chtStats_PointClick(const std::vector<int>& points) {
    // The main window shows the car, and the car table selects its row.
    if (points.size() == 1)
        return doc_.AskToShow(pointCars_.at(static_cast<std::size_t>(points.front())), -1);
    mnuPointCars.Entries.clear();
    pointCarEntries_.clear();
    for (const int point : points) {
        const int car = pointCars_.at(static_cast<std::size_t>(point));
        auto entry =
            std::make_unique<platform::MenuEntry>("mnuPointCar" + std::to_string(pointCarEntries_.size()));
        entry->SetCaption(std::string(doc_.Cars().at(static_cast<std::size_t>(car))[VehicleIdentifier]));
        entry->Click = [this, car] { doc_.AskToShow(car, -1); };
        mnuPointCars.Entries.push_back(entry.get());
        pointCarEntries_.push_back(std::move(entry));
    }
    services_.ShowPopupMenu(mnuPointCars);
}

void frmChart::chtStats_BarClick(int bar) {
    if (const std::string filter = BarFilter(bar); !filter.empty())
        focus_->AskToFilter(askedFilter_ = filter);
}

void frmChart::cmdExport_Click() {
    // The dialog starts where the last picture went, else beside the open file.
    const std::string path =
        AskForFile(services_, FileDialogKind::Save, "Export Chart",
                   lastExport_.empty() ? doc_.FilePath() : lastExport_, kPictureFilter, ".png");
    if (path.empty())
        return;
    lastExport_ = path;
    if (const std::string problem = chtStats.SaveImage(path); !problem.empty())
        ReportFailure(services_, "Cannot export the chart to " + path + ": " + problem);
}

} // namespace kestrix
