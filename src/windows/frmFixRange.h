#pragma once

#include "document/document.h"
#include "model/number.h"
#include "platform/grid.h"
#include "platform/services.h"
#include "platform/window.h"
#include "validation/range_fix.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace kestrix {

// Every value the check finds fault with, and the value that repairs it: the
// user ticks the repairs to make, and Apply makes them as one step. Values
// without a repair are listed as left as they are, with the reason.
class frmFixRange : public platform::Window, private platform::GridSource {
  public:
    frmFixRange(Document& doc, platform::Services& services);

    void Form_Load();

    platform::Label lblCount{"lblCount"};
    platform::Label lblStat{"lblStat"};
    platform::DropDown cboStat{"cboStat"};
    platform::Grid grdFixes;
    platform::Button cmdSelectAll{"cmdSelectAll"};
    platform::Button cmdSelectNone{"cmdSelectNone"};
    platform::Button cmdApply{"cmdApply"};
    platform::Button cmdCancel{"cmdCancel"};

    // The grid's columns.
    enum Column { kFix, kCar, kStat, kValue, kBecomes, kWhy };

    // Handlers.
    void cboStat_Click();
    void grdFixes_CellsEdited(const std::vector<platform::GridEdit>& edits);
    void cmdSelectAll_Click();
    void cmdSelectNone_Click();
    void cmdApply_Click();
    void cmdCancel_Click();

    // How many values the check found fault with; none: there is nothing to show.
    std::size_t FindingCount() const { return fixes_.size(); }

  private:
    int RowCount() const override { return static_cast<int>(shown_.size()); }
    std::string_view Text(int row, int column) const override;
    std::string_view Error(int, int) const override { return {}; }
    bool RowHasError(int) const override { return false; }
    bool Changed(int, int) const override { return false; }

    // The rows of the stat chosen above the list, or of every stat.
    void ShowRows();
    // Ticks or unticks every repair the list shows.
    void ChooseShown(bool chosen);
    void ShowCount();
    // The message of a finding, found again the first time it is shown.
    const std::string& Message(int fix) const;

    Document& doc_;
    platform::Services& services_;
    std::vector<RangeFix> fixes_;
    std::vector<bool> chosen_; // per fix
    std::vector<int> shown_;   // the fixes the list shows, in order
    mutable std::unordered_map<int, std::string> messages_;
};

} // namespace kestrix
