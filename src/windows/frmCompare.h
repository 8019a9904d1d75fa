#pragma once

#include "model/handling_document.h"
#include "platform/window.h"

#include <vector>

namespace kestrix {

// Chosen cars side by side: a column per car, a row per stat, the stats whose
// values differ marked.
class frmCompare : public platform::Window {
  public:
    frmCompare(const HandlingDocument& doc, std::vector<int> rows);

    void Form_Load();

    platform::ColumnList lvCompare;
    platform::CheckBox chkDifferent{"chkDifferent"};
    platform::Button cmdClose{"cmdClose"};

    // Whether the chosen cars' values of a stat are not all the same.
    bool Differs(int column) const;

    void chkDifferent_Click();
    void cmdClose_Click();

  private:
    void Fill();
    const HandlingDocument& doc_;
    std::vector<int> rows_;
};

} // namespace kestrix
