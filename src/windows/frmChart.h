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

// The bins of a histogram: equal bins across the allowed range, and bins of
// the same width outside it as far as the values reach (at most kMostOutside
// on a side, the outermost taking every value beyond).
class Binning {
  public:
    static constexpr int kInside = 20;
    static constexpr int kMostOutside = 10;
    Binning(double minimum, double maximum, double lowest, double highest);
    int Count() const { return below_ + kInside + above_; }
    int Index(double value) const;
    bool Outside(int bin) const { return bin < below_ || bin >= below_ + kInside; }
    // The edge of the allowed minimum and maximum, as the left edge of a bin.
    int MinimumEdge() const { return below_; }
    int MaximumEdge() const { return below_ + kInside; }
    // "1 to 2500.95"; the outermost bins beyond the values "under -10" or "over 300" when open-ended.
    std::string Label(int bin) const;
    // The bin's lower edge in four digits, "<-10" and ">300" for the open-ended ones.
    std::string Tick(int bin) const;

  private:
    double minimum_, maximum_, width_;
    int below_ = 0, above_ = 0;
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
    void chtStats_PointClick(int point);

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
    std::string PointText(int point) const;
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
    int scatterX_ = -1, scatterY_ = -1;
    std::string lastExport_;
};

} // namespace kestrix
