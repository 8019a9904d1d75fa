#pragma once

#include "compare/merge_resolution.h"
#include "model/number.h"
#include "platform/services.h"
#include "platform/window.h"
#include "windows/git_merge.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kestrix {

// The conflicts of a merge, a row each: what the base, ours and theirs hold,
// and what was chosen. What merged without conflict is applied already and
// listed apart. Save hands the merged file on once no conflict is left.
class frmMerge : public platform::Window {
  public:
    // Writes the merged file, or takes it into the editor; returns the refusal or empty text.
    // oursRows: per merged car, the car of ours it is (MergeResolution::OursRows).
    using SaveMerged =
        std::function<std::string(const HandlingDocument& merged, const std::vector<int>& oursRows)>;
    // sides: the branches merged, which head the columns of ours and theirs where given.
    frmMerge(platform::Services& services, MergeResolution merge, std::string fileName, SaveMerged save,
             NumberFormat numbers = {}, const MergeSideNames& sides = {});

    void Form_Load();

    platform::Label lblHelp{"lblHelp"};
    platform::ColumnList lvConflicts;
    platform::Button cmdTakeOurs{"cmdTakeOurs"};
    platform::Button cmdTakeTheirs{"cmdTakeTheirs"};
    platform::Button cmdTakeBase{"cmdTakeBase"};
    platform::Label lblValue{"lblValue"};
    platform::TextField txtValue{"txtValue"};
    platform::Button cmdUseValue{"cmdUseValue"};
    platform::Button cmdOursForCar{"cmdOursForCar"};
    platform::Button cmdTheirsForCar{"cmdTheirsForCar"};
    platform::Button cmdOursForAll{"cmdOursForAll"};
    platform::Button cmdTheirsForAll{"cmdTheirsForAll"};
    platform::CheckBox chkMerged{"chkMerged"};
    platform::ColumnList lvMerged;
    platform::Button cmdSave{"cmdSave"};
    platform::Button cmdClose{"cmdClose"};

    // Whether the merged file was saved: the merge tool's exit status.
    bool Saved() const { return saved_; }
    const MergeResolution& Merge() const { return merge_; }

    // Handlers.
    void cmdTakeOurs_Click();
    void cmdTakeTheirs_Click();
    void cmdTakeBase_Click();
    // Enter in the value field, or the button beside it.
    void cmdUseValue_Click();
    void txtValue_Refused(platform::TextField::Refusal refusal);
    void cmdOursForCar_Click();
    void cmdTheirsForCar_Click();
    void cmdOursForAll_Click();
    void cmdTheirsForAll_Click();
    void chkMerged_Click();
    // The Save button, or Ctrl+S wherever the focus is.
    void cmdSave_Click();
    void cmdClose_Click();

  protected:
    bool QueryUnload() override;

  private:
    int SelectedConflict() const;
    void TakeRow(MergeSide side);
    // Every conflict of the selected row's car, or of the whole file.
    void TakeMany(MergeSide side, bool wholeFile);
    std::vector<std::string> RowCells(std::size_t conflict) const;
    void ShowRows(std::size_t first, std::size_t count);
    // After a choice on row: the caption, Save, and the selection on the next conflict left.
    void Chosen(int row);
    void FillMerged();

    platform::Services& services_;
    MergeResolution merge_;
    std::string fileName_;
    SaveMerged save_;
    NumberFormat numbers_;
    bool saved_ = false;
};

} // namespace kestrix
