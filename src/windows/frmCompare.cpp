#include "windows/frmCompare.h"

#include <string>

namespace kestrix {

namespace {

constexpr const char* kDiffers = "*";

std::vector<std::string> Headers(const HandlingDocument& doc, const std::vector<int>& rows) {
    std::vector<std::string> headers{"", "Stat"};
    for (const int row : rows)
        headers.emplace_back(doc.Cars.at(static_cast<std::size_t>(row))[VehicleIdentifier]);
    return headers;
}

} // namespace

frmCompare::frmCompare(const HandlingDocument& doc, std::vector<int> rows)
    : Window("frmCompare"), lvCompare("lvCompare", Headers(doc, rows)), doc_(doc), rows_(std::move(rows)) {
    SetResizable(true);
    chkDifferent.SetCaption("Only stats that &differ");
    cmdClose.SetCaption("Close");
    DefaultButton = &cmdClose;
    CancelButton = &cmdClose;
    chkDifferent.Click = [this] { chkDifferent_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    Focus.Join({&lvCompare, &chkDifferent, &cmdClose});
}

void frmCompare::Form_Load() {
    SetCaption("Compare Cars");
    Fill();
}

bool frmCompare::Differs(int column) const {
    for (const int row : rows_)
        if (doc_.Cars[static_cast<std::size_t>(row)][column] !=
            doc_.Cars[static_cast<std::size_t>(rows_.front())][column])
            return true;
    return false;
}

void frmCompare::Fill() {
    const bool onlyDifferent = chkDifferent.Value() != 0;
    std::vector<std::string> cells;
    for (int column = 0; column < kStatCount; ++column) {
        const bool differs = Differs(column);
        if (onlyDifferent && !differs)
            continue;
        cells.emplace_back(differs ? kDiffers : "");
        cells.emplace_back(StatCatalogue::Instance()[column].StatName);
        for (const int row : rows_)
            cells.emplace_back(doc_.Cars[static_cast<std::size_t>(row)][column]);
    }
    lvCompare.SetRows(std::move(cells));
}

void frmCompare::chkDifferent_Click() {
    Fill();
}

void frmCompare::cmdClose_Click() {
    Unload();
}

} // namespace kestrix
