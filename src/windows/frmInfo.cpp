#include "windows/frmInfo.h"

#include "model/number.h"
#include "model/stat_catalogue.h"
#include "model/stat_help.h"

#include <string>
#include <vector>

namespace kestrix {

frmInfo::frmInfo() : Window("frmInfo"), lvProperties("lvProperties", {"Property", "Value"}) {
    SetCaption("Stat Properties");
    lblStats.SetCaption("Stats :");
    NameAfter(cboStats, lblStats);
    Command1.SetCaption("&Ok");
    DefaultButton = &Command1;
    cboStats.Click = [this] { cboStats_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Focus.Join({&cboStats, &lvProperties, &Command1});
}

void frmInfo::cboStats_Click() {
    const int column = cboStats.ListIndex();
    if (column < 0 || column >= kStatCount)
        return;
    const StatDef& def = StatCatalogue::Instance()[column];
    std::vector<std::string> cells{"Stat Name", std::string(def.StatName)};
    if (def.IsText) {
        cells.insert(cells.end(), {"String Type", "Text", "Max Length", std::to_string(def.MaxLength)});
    } else {
        cells.insert(cells.end(), {"String Type", "Number", "Minimum Allowed", PlainDecimal(def.Minimum),
                                   "Maximum Allowed", std::to_string(def.Maximum)});
    }
    lvProperties.SetRows(std::move(cells));
    lvProperties.SetTip(StatTip(column));
    cboStats.SetTip(StatTip(column));
}

void frmInfo::Command1_Click() {
    Unload();
}

void ShowStatProperties(platform::Services& services, int column) {
    frmInfo form;
    for (int i = 0; i < kStatCount; ++i)
        form.cboStats.AddItem(std::string(StatCatalogue::Instance()[i].StatName), i);
    form.cboStats.SetListIndex(0);
    if (column > 0 && column < kStatCount)
        form.cboStats.SetListIndex(column);
    services.ShowModal(form);
}

} // namespace kestrix
