#pragma once

#include "model/car_change.h"
#include "model/handling_document.h"
#include "platform/services.h"
#include "platform/window.h"
#include "validation/error_check.h"
#include "windows/frmChart.h"
#include "windows/frmImportExport.h"
#include "windows/recent_files.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrix {

class frmComments;
class frmCarTable;
class frmCompareFiles;
class frmChart;

// One row of a stat page: a label and the columns whose controls follow it.
struct StatPageRow {
    std::string_view caption;
    std::vector<int> columns;
};

struct StatPage {
    std::string_view caption;
    std::vector<StatPageRow> rows;
};

// The eight pages of the stat area, in tab order, with their rows top to bottom.
const std::vector<StatPage>& StatPages();
// The page that holds the control of a column; page 0 for any other number.
int PageOfColumn(int column);

// The editor: one car at a time, its stats on eight pages, the error list of
// the whole document, and the menus.
class frmMain : public platform::Window, private ChartHost {
  public:
    frmMain(HandlingDocument& doc, platform::Services& services, NumberFormat numbers);

    void Form_Load();

    // Controls. The prefix says the kind: txt a text field, cbo a drop-down list,
    // chk a check box, lv a list, cmd a button, mnu a menu entry, tab the pages.
    platform::Label Label1{"Label1"};
    platform::DropDown cboCars{"cboCars", platform::Sorting::Sorted};
    platform::TabControl tabGeneral;
    std::array<platform::TextField, kStatCount> txtStat;
    std::vector<std::unique_ptr<platform::Label>> LabStat; // one per page row, in page order
    platform::DropDown cboDrive{"cboDrive"};
    platform::DropDown cboEngine{"cboEngine"};
    platform::DropDown cboFront{"cboFront"};
    platform::DropDown cboRear{"cboRear"};
    platform::CheckBox chkABS{"chkABS"};
    platform::TickList lvFlags{"lvFlags"};
    platform::Label Label2{"Label2"};
    platform::ColumnList lvErrors;
    platform::Button cmdViewErrors{"cmdViewErrors"};

    platform::MenuEntry mnuFile{"mnuFile"}, mnuLoad{"mnuLoad"}, mnuRecent{"mnuRecent"}, sep3{"sep3"},
        mnuSave{"mnuSave"}, mnuSaveAs{"mnuSaveAs"}, mnuRevert{"mnuRevert"}, mnuCompareFile{"mnuCompareFile"},
        mnuCompareSaved{"mnuCompareSaved"}, sep1{"sep1"}, mnuImport{"mnuImport"},
        mnuImportCarStats{"mnuImportCarStats"}, mnuExport{"mnuExport"},
        mnuExportCarStats{"mnuExportCarStats"}, sep2{"sep2"}, mnuExit{"mnuExit"};
    platform::MenuEntry mnuCars{"mnuCars"}, mnuAdd{"mnuAdd"}, mnuDelete{"mnuDelete"},
        mnuCarTable{"mnuCarTable"};
    platform::MenuEntry mnuTools{"mnuTools"}, mnuViewProperties{"mnuViewProperties"},
        mnuFileComments{"mnuFileComments"}, mnuPreferences{"mnuPreferences"}, mnuChart{"mnuChart"};
    // File > Recent Files: a file per entry, newest first, then the removal of the missing ones.
    std::array<platform::MenuEntry, RecentFiles::kMost> mnuRecentFile;
    platform::MenuEntry sepRecent{"sepRecent"}, mnuRemoveMissing{"mnuRemoveMissing"};
    platform::MenuEntry mnuHelp{"mnuHelp"}, mnuAbout{"mnuAbout"};

    // The control that shows a column: its text field, or the choice control of a choice stat.
    platform::Control& StatControl(int column);

    bool FillingControls = false;
    std::int16_t CurrentStat = 0;
    const ErrorRegister& Errors() const { return errors_; }
    const NumberFormat& Numbers() const { return numbers_; }

    // Procedures other windows use.
    void StatsToArray();
    void ErrorCheck();
    void MarkModified();
    void SetFileLoaded(bool loaded);
    bool ReadFile();
    void LoadFile();
    bool SaveFile();
    void SaveFileAs();
    bool SaveTheFile(const std::string& FilePos);

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
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuRevert_Click();
    void mnuExit_Click();
    void mnuRecent_Click();
    void mnuRecentFile_Click(int index);
    void mnuRemoveMissing_Click();
    void mnuPreferences_Click();

    // Car management and exchange.
    CarExchange Exchange;
    void mnuAdd_Click();
    void mnuDelete_Click();
    void mnuImportCarStats_Click();
    void mnuExportCarStats_Click();
    // Entries for rows just appended to the table; returns the list position of the last one.
    int AddCarEntries(const std::vector<int>& rows);
    // Refills the car list from the table and shows its first car.
    void RebuildCarList();
    // The error lists, the stat properties and the help on every stat.
    void lvErrors_ColumnClick(const platform::ColumnList::Header& header);
    void lvErrors_DblClick();
    // Shows the car of that name and puts the focus on the stat's control.
    void GoToValue(const std::string& car, int stat);
    void cmdViewErrors_Click();
    void mnuViewProperties_Click();

    // The file comments and about windows.
    void mnuFileComments_Click();
    void mnuAbout_Click();
    // The car table: every car at once, beside this window.
    void mnuCarTable_Click();
    // The stat chart, beside this window.
    void mnuChart_Click();
    // The car table's filter or selection changed: the chart shows it.
    void CarTableFocusChanged();
    // The one path of a change of the cars: the shown car's field edits first,
    // then the change; marks the document modified, checks once, shows the
    // shown car anew when the change touches it, and refreshes the car table.
    void CommitChange(const CarChange& change);
    // The shown car's field edits into the document, without a check; true when a value changed.
    bool KeepFieldEdits();
    // Refreshes the car table when it is open; carsChanged when cars came or
    // went or another file was read (add, delete and import must call it too).
    void RefreshCarTable(bool carsChanged);
    // Shows the car of this row, as choosing it in the car list does.
    void ShowCarOfRow(int row);
    // Shows the car of this row with the page and field of the column, the value selected.
    void ShowValue(int row, int column);

    // Comparing the document with another file, and taking values from it.
    void mnuCompareFile_Click();
    void mnuCompareSaved_Click();
    // Values and whole cars from another file, through the change path and the
    // add-car path. Refused with a message, changing nothing, when the cars
    // would not fit in a file.
    bool TakeCars(const CarChange& change, const CarTable& added);

  protected:
    bool QueryUnload() override;

  private:
    void BuildMenus();
    void ConnectHandlers();
    void ShowCar(int row);
    void ClearShownCar();
    void SetChoiceControls();
    void EnableControls(bool loaded);
    bool AskToSaveChanges();
    void OpenFile(const std::string& path);
    void ShowRecentFiles();
    void ApplyPreferences();
    // A field holding a relative input ("=*1.2") gets its value from the
    // value last committed; false, with a note when asked, when it cannot be read.
    bool ResolveRelativeInput(int index, bool noteTypo);
    // The tip of a choice control that cannot show its stored value exactly names that value.
    void ShowStoredChoice(platform::Control& control, int column, bool shownExactly);
    void ReportFailure(const std::string& message);
    int ShownRow() const;
    void ConnectErrorLists();
    void SetStatTips();
    // The check after a change of values: only the cars changed since the
    // last check are judged again, when the register knows all the others.
    void CheckChangedCars();
    // The error list and its caption after these rows of the register changed.
    void ShowErrors(const RowSplice& splice);
    void NoteChangedCars(const CarChange& change);
    void FocusStat(int stat);
    void OpenCompareWindow(const std::string& path, const std::string& caption);

    HandlingDocument& doc_;
    platform::Services& services_;
    NumberFormat numbers_;
    ErrorRegister errors_;
    RecentFiles recent_;
    // Whether the register was filled from the cars as they are, but for the
    // rows of uncheckedCars_; false after cars came or went.
    bool errorsInStep_ = false;
    std::vector<int> uncheckedCars_;
    // The comments window while it is open beside this one.
    std::weak_ptr<frmComments> comments_;
    std::weak_ptr<frmCarTable> carTable_;
    std::weak_ptr<frmCompareFiles> compareFiles_;
    std::weak_ptr<frmChart> chart_;

    std::optional<std::vector<int>> FilteredCars() const override;
    std::vector<int> SelectedCars() const override;
    void ShowChartCar(int row) override;
};

} // namespace kestrix
