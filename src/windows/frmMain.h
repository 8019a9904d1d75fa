#pragma once

#include "document/document.h"
#include "document/file_session.h"
#include "platform/services.h"
#include "platform/window.h"
#include "windows/car_find.h"
#include "windows/frmImportExport.h"
#include "windows/recent_files.h"
#include "windows/side_windows.h"
#include "windows/stat_pages.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestrix {

// The editor: one car at a time, its stats on eight pages, the error list of
// the whole document, and the menus.
class frmMain : public platform::Window, private DocumentObserver {
  public:
    frmMain(Document& doc, platform::Services& services);
    ~frmMain() override;

    void Form_Load();

    // Controls. The prefix says the kind: txt a text field, cbo a drop-down list,
    // chk a check box, lv a list, cmd a button, mnu a menu entry, tab the pages.
    platform::Label Label1{"Label1"};
    platform::DropDown cboCars{"cboCars", platform::Sorting::Sorted};
    // Over the car list while the user looks for a car: what to look for, and the cars whose names hold it.
    platform::Label lblFind{"lblFind"};
    platform::TextField txtFind{"txtFind"};
    platform::ListBox lvFound{"lvFound"};
    platform::TabControl tabGeneral;
    std::array<platform::TextField, kStatCount> txtStat;
    std::vector<std::unique_ptr<platform::Label>> LabStat; // one per page row, in page order
    platform::DropDown cboDrive{"cboDrive"};
    platform::DropDown cboEngine{"cboEngine"};
    platform::DropDown cboFront{"cboFront"};
    platform::DropDown cboRear{"cboRear"};
    platform::CheckBox chkABS{"chkABS"};
    platform::TickList lvFlags{"lvFlags"};
    // Under the flags: how a Flags value not of four hexadecimal digits is stored and shown.
    platform::Label lblFlagsNote{"lblFlagsNote"};
    platform::Label Label2{"Label2"};
    // How many values differ from the saved file, at the foot of the window.
    platform::Label lblChanges{"lblChanges"};
    platform::ColumnList lvErrors;
    platform::Button cmdViewErrors{"cmdViewErrors"};

    platform::MenuEntry mnuFile{"mnuFile"}, mnuLoad{"mnuLoad"}, mnuRecent{"mnuRecent"}, sep3{"sep3"},
        mnuSave{"mnuSave"}, mnuSaveAs{"mnuSaveAs"}, mnuSaveTidied{"mnuSaveTidied"}, mnuRevert{"mnuRevert"},
        mnuCompareFile{"mnuCompareFile"}, mnuCompareSaved{"mnuCompareSaved"},
        mnuResolveMerge{"mnuResolveMerge"}, sep1{"sep1"}, mnuImport{"mnuImport"},
        mnuImportCarStats{"mnuImportCarStats"}, mnuExport{"mnuExport"},
        mnuExportCarStats{"mnuExportCarStats"}, sep2{"sep2"}, mnuExit{"mnuExit"};
    platform::MenuEntry mnuEdit{"mnuEdit"}, mnuUndo{"mnuUndo"}, mnuRedo{"mnuRedo"}, sep4{"sep4"},
        mnuChanges{"mnuChanges"}, sep5{"sep5"}, mnuCopyCarLine{"mnuCopyCarLine"},
        mnuPasteCars{"mnuPasteCars"}, mnuFindCar{"mnuFindCar"};
    platform::MenuEntry mnuCars{"mnuCars"}, mnuAdd{"mnuAdd"}, mnuDelete{"mnuDelete"}, mnuRename{"mnuRename"},
        mnuMoveUp{"mnuMoveUp"}, mnuMoveDown{"mnuMoveDown"}, mnuTakeCars{"mnuTakeCars"},
        mnuCarTable{"mnuCarTable"};
    platform::MenuEntry mnuTools{"mnuTools"}, mnuViewProperties{"mnuViewProperties"},
        mnuFileComments{"mnuFileComments"}, mnuPreferences{"mnuPreferences"}, mnuChart{"mnuChart"},
        mnuFixRange{"mnuFixRange"};
    // File > Recent Files: a file per entry, newest first, then the removal of the missing ones.
    std::array<platform::MenuEntry, RecentFiles::kMost> mnuRecentFile;
    platform::MenuEntry sepRecent{"sepRecent"}, mnuRemoveMissing{"mnuRemoveMissing"};
    platform::MenuEntry mnuHelp{"mnuHelp"}, mnuManual{"mnuManual"}, mnuAbout{"mnuAbout"};

    // The control that shows a column: its text field, or the choice control of a choice stat.
    platform::Control& StatControl(int column);

    std::int16_t CurrentStat = 0;
    const ErrorRegister& Errors() const { return doc_.Errors(); }

    // Procedures other windows use.
    void StatsToArray();
    void ErrorCheck();
    void MarkModified();
    void SetFileLoaded(bool loaded);
    // again: the open file read anew (a revert), which keeps the backup of its opening.
    bool ReadFile(bool again = false);
    void LoadFile();
    bool SaveFile();
    // tidied: the editor's own form, whatever the preferences say.
    void SaveFileAs(bool tidied = false);
    bool SaveTheFile(const std::string& FilePos, bool tidied = false);

    // Handlers.
    void cboCars_Click();
    void cboCars_DropDown();
    void tabGeneral_Click();
    void txtStat_Change(int index);
    void txtStat_GotFocus(int index);
    void txtStat_LostFocus(int index);
    // Enter commits the field, Escape brings back the value last committed.
    void txtStat_Commit(int index);
    void txtStat_Revert(int index);
    void txtStat_Refused(platform::TextField::Refusal refusal);
    void cboDrive_Click();
    void cboEngine_Click();
    void cboFront_Click();
    void cboRear_Click();
    void chkABS_Click();
    void lvFlags_Click();
    void mnuLoad_Click();
    void Form_FilesDropped(const std::vector<std::string>& paths);
    bool ChangesSetAside();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    // One save in the editor's own form under a name the user picks.
    void mnuSaveTidied_Click();
    // The shown car's line as the file holds it, on the clipboard.
    void mnuCopyCarLine_Click();
    // Car lines from the clipboard, into the preview that applies them.
    void mnuPasteCars_Click();
    void mnuRevert_Click();
    void mnuExit_Click();
    void mnuRecent_Click();
    void mnuRecentFile_Click(int index);
    void mnuRemoveMissing_Click();
    void mnuPreferences_Click();

    // Finding a car by any part of its name: Up and Down go through the cars found, Enter shows the
    // one chosen, Escape closes the find; both give the focus back where it was.
    void mnuFindCar_Click();
    void txtFind_Change();
    void txtFind_Step(int step);
    void FindCar_Show();
    void CloseFind(bool focusBack);

    // Car management and exchange.
    CarExchange Exchange;
    void mnuAdd_Click();
    void mnuDelete_Click();
    void mnuRename_Click();
    // The shown car one place up or down in the file; the car list stays alphabetical.
    void mnuMoveUp_Click();
    void mnuMoveDown_Click();
    void MoveShownCar(MoveDirection direction);
    // The cars of a chosen file, into the preview that applies them.
    void mnuTakeCars_Click();
    void mnuImportCarStats_Click();
    void mnuExportCarStats_Click();
    // Refills the car list from the table and shows the car at this row (the first when there is none).
    void RebuildCarList(int shownRow = -1);
    // Undo and redo; the field's own typing is undone first.
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuChanges_Click();
    // The error lists, the stat properties and the help on every stat.
    void lvErrors_ColumnClick(const platform::ColumnList::Header& header);
    void lvErrors_DblClick();
    // Shows the car of the error list's row (as shown) and puts the focus on the stat's control.
    void GoToError(int listRow);
    void cmdViewErrors_Click();
    void mnuViewProperties_Click();

    // The file comments and about windows.
    void mnuFileComments_Click();
    void mnuAbout_Click();
    // The manual beside this window, brought to the front when it is open.
    void mnuManual_Click();
    // The car table: every car at once, beside this window.
    void mnuCarTable_Click();
    // The stat chart, beside this window.
    void mnuChart_Click();
    // Every value out of range, each with its repair, to fix in one step.
    void mnuFixRange_Click();
    // The shown car's field edits into the document as one change; true when a value changed.
    bool KeepFieldEdits();
    // Shows the car of this row, and the page and control of the column when there is one.
    void ShowValue(int row, int column);

    // Comparing the document with another file, and taking values from it.
    void mnuCompareFile_Click();
    void mnuCompareSaved_Click();
    // Asks git whether the open file is unmerged, and resolves its conflicts in the merge window.
    void mnuResolveMerge_Click();

  protected:
    bool QueryUnload() override;

  private:
    void DocumentChanged(const DocumentEvent& event) override;
    void CommitPendingEdits() override { KeepFieldEdits(); }
    void ShowChange(const DocumentEvent& event);
    void ShowState();
    void BuildMenus();
    void EnableMenus(bool loaded, bool hasCar);
    void ConnectHandlers();
    void ConnectFind();
    void EnableControls(bool loaded);
    bool AskToSaveChanges();
    void OpenFile(const std::string& path);
    void ShowRecentFiles();
    void ApplyPreferences();
    bool ConfirmOverwrite(const std::string& path);
    // The file as it is on disk, as one step that undo takes back.
    bool ReloadFromDisk();
    void Form_Activate();
    // Journals left by an editor that did not close cleanly: for file, or for any file when it is null.
    void OfferRecovery(const std::string* file);
    // A file read or saved under a new name: first in the recent files.
    void AddRecentFile(const std::string& path);
    void ReportFailure(const std::string& message);
    int ShownRow() const;
    void ConnectErrorLists();
    // The error list and its caption after these rows of the register changed.
    void ShowErrors(const RowSplice& splice);
    void FocusStat(int stat);

    Document& doc_;
    platform::Services& services_;
    // The file behind the document: it says what to ask, this window asks.
    FileSession session_;
    RecentFiles recent_;
    // The stat pages showing the car of cboCars.
    StatPageBinding stats_;
    SideWindows side_;
    // While the find is open: the cars it found and the control that had the focus before it.
    bool finding_ = false;
    std::vector<FoundCar> found_;
    platform::Control* focusBeforeFind_ = nullptr;
};

} // namespace kestrix
