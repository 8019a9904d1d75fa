#pragma once

#include "document/document.h"
#include "platform/chart.h"
#include "platform/services.h"
#include "platform/window.h"
#include "validation/error_check.h"
#include "windows/car_focus.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// The bins of a histogram: bins of a round width across the values (1, 2, 2.5
// or 5 times a power of ten, about kAbout of them over the values inside the
// allowed range), with the allowed minimum and maximum as bin edges, so that a
// bin lies wholly inside or outside the range; at most kMostOutside bins beyond
// the limits on a side, the outermost then taking every value beyond.
class Binning {
  public:
    static constexpr int kAbout = 16;
    static constexpr int kMostOutside = 10;
    Binning(double minimum, double maximum, const std::vector<double>& values);
    int Count() const { return static_cast<int>(edges_.size()) - 1; }
    // A bin holds its lower edge and the values up to its upper one; the maximum belongs to the bin it ends.
    int Index(double value) const;
    bool Outside(int bin) const;
    // The edge of the allowed minimum and maximum, as the left edge of a bin; -1 when it lies beyond the
    // bins.
    int MinimumEdge() const { return EdgeOf(minimum_); }
    int MaximumEdge() const { return EdgeOf(maximum_); }
    // "1000 to 1500"; the outermost bins beyond the values "under -10" or "over 300" when open-ended.
    std::string Label(int bin) const;
    // The filter of the car table that keeps the values of the bin: "Mass >= 1000 and Mass < 1500".
    std::string Filter(int bin, std::string_view stat) const;

  private:
    int EdgeOf(double value) const;
    double minimum_, maximum_;
    std::vector<double> edges_;
    bool openBelow_ = false, openAbove_ = false;
};

// What a choice stat's counts are made of: its entries, and the entry of a stored value (-1: unknown).
struct ChoiceSource {
    std::string name;
    int column = 0;
    std::vector<std::string> entries;
    std::function<int(std::string_view)> entryOf;
};
// Every choice list and box of the main window, then each flag.
const std::vector<ChoiceSource>& ChoiceSources();

// The stats of every car drawn as a chart, beside the main window: one
// number stat's distribution, two number stats against each other, or the
// counts of a choice stat. It follows the document as it changes, and the car
// table's filter and selection through the focus the table writes.
class frmChart : public platform::Window, private DocumentObserver, private CarFocus::Observer {
  public:
    enum Kind { Distribution, Scatter, Counts };

    frmChart(Document& doc, platform::Services& services, std::shared_ptr<CarFocus> focus);
    ~frmChart() override;

    void Form_Load();

    platform::Label lblKind{"lblKind"};
    platform::DropDown cboKind{"cboKind"};
    platform::Label lblStat{"lblStat"};
    platform::DropDown cboStat{"cboStat"};
    platform::Label lblAgainst{"lblAgainst"};
    platform::DropDown cboAgainst{"cboAgainst"};
    platform::CheckBox chkFilter{"chkFilter"};
    platform::Chart chtStats{"chtStats"};
    platform::Label lblNote{"lblNote"};
    platform::Button cmdExport{"cmdExport"};
    platform::Button cmdClose{"cmdClose"};

    // The car of each point of a scatter, by point.
    const std::vector<int>& PointCars() const { return pointCars_; }

    void cboKind_Click();
    void cboStat_Click();
    void cboAgainst_Click();
    void chkFilter_Click();
    void cmdExport_Click();
    void cmdClose_Click();
    // One car is shown in the main window; of several on one place, the user chooses from a menu.
    void chtStats_PointClick(const std::vector<int>& points);
    // A bar of a distribution writes its range into the car table's filter.
    void chtStats_BarClick(int bar);

    // The cars of a place where several points coincide, to choose from.
    platform::MenuEntry mnuPointCars{"mnuPointCars"};

  private:
    void DocumentChanged(const DocumentEvent& event) override;
    void FocusChanged() override;

    void FillStatLists();
    void Draw();
    void DrawDistribution(const std::vector<int>& cars, int column);
    void DrawScatter(const std::vector<int>& cars, int columnY, int columnX);
    void DrawCounts(const std::vector<int>& cars, const ChoiceSource& source);
    // Moves the points of the edited cars; false when the scatter must be drawn anew.
    bool MovePoints(const std::vector<CellChange>& cells);
    std::vector<int> HighlightedPoints() const;
    bool Filtered() const;
    std::vector<int> ChosenCars() const;
    std::optional<double> Number(int car, int column) const;
    std::string PointText(const std::vector<int>& points) const;
    std::string BarText(int bar) const;
    std::string BarFilter(int bar) const;
    std::string NoNumberNote(int count, int column) const;
    int StatColumn() const;

    Document& doc_;
    platform::Services& services_;
    std::shared_ptr<CarFocus> focus_;
    // While the lists are filled, their selections draw nothing.
    bool filling_ = false;
    std::vector<bool> highlighted_;
    // Per point its car, and per car its point (-1: no number, -2: filtered out), so that an edit
    // moves only its point.
    std::vector<int> pointCars_;
    std::vector<int> carPoints_;
    // The cars of the table's filter the chart was drawn with.
    std::optional<std::vector<int>> drawnFilter_;
    // The filter of each bar of a distribution, and the last one a bar wrote into the car table:
    // the chart does not narrow itself to the bar that was clicked.
    std::vector<std::string> barFilters_;
    std::string askedFilter_;
    std::vector<std::unique_ptr<platform::MenuEntry>> pointCarEntries_;
    int scatterX_ = -1, scatterY_ = -1;
    std::string lastExport_;
};

} // namespace kestrix
