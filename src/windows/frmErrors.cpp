#include "windows/frmErrors.h"

#include "model/stat_catalogue.h"
#include "validation/error_check.h"
#include "windows/frmInfo.h"

#include <string>
#include <vector>

namespace kestrix {

frmErrors::frmErrors(platform::Services& services)
    : Window("frmErrors"), lvErrors("lvErrors", {"", "", "Car", "Error"}), services_(services) {
    SetCaption("Errors");
    SetResizable(true);
    cmdClose.SetCaption("&Close");
    DefaultButton = &cmdClose;
    CancelButton = &cmdClose;
    mnuPopup.SetCaption("Popup");
    mnuGoToValue.SetCaption("&Go to Value");
    mnuStatProperties.SetCaption("View Stat &Properties");
    mnuPopup.Entries = {&mnuGoToValue, &mnuStatProperties};
    cmdClose.Click = [this] { cmdClose_Click(); };
    lvErrors.ItemClick = [this] { lvErrors_ItemClick(); };
    mnuStatProperties.Click = [this] { mnuStatProperties_Click(); };
    mnuGoToValue.Click = [this] { mnuGoToValue_Click(); };
    lvErrors.DblClick = [this] { mnuGoToValue_Click(); };
    Focus.Join({&lvErrors, &cmdClose});
}

void frmErrors::CopyRows(const platform::ColumnList& mainList) {
    std::vector<std::string> cells;
    cells.reserve(static_cast<std::size_t>(mainList.RowCount()) * 4);
    for (int row = 0; row < mainList.RowCount(); ++row) {
        const std::string& first = mainList.Cell(row, 0);
        const int stat = StatFromFirstCell(first);
        cells.push_back(first);
        cells.emplace_back(stat >= 0 && stat < kStatCount ? StatCatalogue::Instance()[stat].StatName : "");
        cells.push_back(mainList.Cell(row, 1));
        cells.push_back(mainList.Cell(row, 2));
    }
    lvErrors.SetRows(std::move(cells));
}

void frmErrors::cmdClose_Click() {
    Unload();
}

void frmErrors::lvErrors_ItemClick() {
    services_.ShowPopupMenu(mnuPopup);
}

void frmErrors::mnuStatProperties_Click() {
    const int row = lvErrors.SelectedRow();
    if (row >= 0)
        ShowStatProperties(services_, StatFromFirstCell(lvErrors.Cell(row, 0)));
}

void frmErrors::mnuGoToValue_Click() {
    const int row = lvErrors.SelectedRow();
    if (row < 0)
        return;
    Unload();
    if (GoToValue)
        GoToValue(row);
}

} // namespace kestrix
