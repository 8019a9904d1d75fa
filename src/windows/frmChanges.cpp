#include "windows/frmChanges.h"

#include "model/stat_catalogue.h"

#include <algorithm>

namespace kestrix {

namespace {

std::string CarName(const CarRow& car) {
    return std::string(car[VehicleIdentifier]);
}

} // namespace

frmChanges::frmChanges(Document& doc)
    : Window("frmChanges"), lvChanges("lvChanges", {"Car", "Stat", "Saved value", "Value now"}), doc_(doc) {
    SetCaption("Changes");
    SetResizable(true);
    cmdRevert.SetCaption("&Revert");
    cmdClose.SetCaption("&Close");
    lvChanges.DblClick = [this] { lvChanges_DblClick(); };
    cmdRevert.Click = [this] { cmdRevert_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    CancelButton = &cmdClose;
    Focus.Join({&lvChanges, &cmdRevert, &cmdClose});
    lvChanges.SetFocus();
    doc_.Observe(*this);
    Fill();
}

frmChanges::~frmChanges() {
    doc_.Forget(*this);
}

void frmChanges::DocumentChanged(const DocumentEvent& event) {
    if (event.kind != DocumentEvent::Kind::Show)
        Fill();
}

void frmChanges::Fill() {
    const CarTable& cars = doc_.Cars();
    const CarTable& saved = doc_.SavedCars();
    const StatCatalogue& catalogue = StatCatalogue::Instance();
    std::vector<std::string> cells;
    entries_.clear();
    std::size_t more = 0;
    const auto add = [&](Entry entry, std::string car, std::string stat, std::string before,
                         std::string now) {
        if (entries_.size() >= static_cast<std::size_t>(kMostRows)) {
            ++more;
            return;
        }
        entries_.push_back(entry);
        for (std::string* cell : {&car, &stat, &before, &now})
            cells.push_back(std::move(*cell));
    };
    for (int row = 0; row < static_cast<int>(cars.size()); ++row) {
        const CarRow& car = cars[static_cast<std::size_t>(row)];
        const int origin = doc_.SavedRowOf(row);
        if (origin < 0) {
            add({row, -1}, CarName(car), "(car added)", "", "");
            continue;
        }
        for (int column = 0; column < kStatCount; ++column)
            if (doc_.IsChangedValue(row, column))
                add({row, column}, CarName(car), std::string(catalogue[column].StatName),
                    std::string(saved[static_cast<std::size_t>(origin)][column]), std::string(car[column]));
    }
    for (const int origin : doc_.DeletedSavedRows())
        add({-1, origin}, CarName(saved[static_cast<std::size_t>(origin)]), "(car deleted)", "", "");
    lvChanges.SetRows(std::move(cells));
    const std::size_t listed = entries_.size();
    std::string count =
        listed == 0 ? "No value differs from the saved file." : ChangedValuesText(doc_.ChangedValueCount());
    if (more > 0)
        count += " (" + std::to_string(more) + " more not listed)";
    lblCount.SetCaption(count);
    cmdRevert.SetEnabled(listed > 0);
}

void frmChanges::lvChanges_DblClick() {
    const int selected = lvChanges.SelectedRow();
    if (selected < 0)
        return;
    const Entry entry = entries_.at(static_cast<std::size_t>(selected));
    if (entry.row >= 0)
        doc_.AskToShow(entry.row, entry.column);
}

// Puts the saved value back, as one undoable change: an added car goes, a deleted one comes back
// in its place.
void frmChanges::cmdRevert_Click() {
    const int selected = lvChanges.SelectedRow();
    if (selected < 0)
        return;
    const Entry entry = entries_.at(static_cast<std::size_t>(selected));
    doc_.CommitPendingEdits();
    const CarTable& cars = doc_.Cars();
    Change change;
    if (entry.row < 0) {
        change = AddCarChange(cars, doc_.SavedCars().at(static_cast<std::size_t>(entry.column)));
        change.added.front().row = std::min(entry.column, static_cast<int>(cars.size()));
        change.added.front().savedRow = entry.column;
    } else if (entry.column < 0) {
        change = DeleteCarChange(cars, entry.row);
    } else {
        const int origin = doc_.SavedRowOf(entry.row);
        const std::string saved(doc_.SavedCars().at(static_cast<std::size_t>(origin))[entry.column]);
        change = ValuesChange(cars, {{entry.row, entry.column, saved}}, {});
        change.caption = "Revert " + std::string(StatCatalogue::Instance()[entry.column].StatName) + " of '" +
                         CarName(cars[static_cast<std::size_t>(entry.row)]) + "'";
    }
    if (change.kind != Change::Kind::Values)
        change.caption = "Revert " + change.caption;
    doc_.Commit(std::move(change));
}

void frmChanges::cmdClose_Click() {
    Unload();
}

} // namespace kestrix
