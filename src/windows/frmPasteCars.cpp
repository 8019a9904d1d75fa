#include "windows/frmPasteCars.h"

#include "compare/file_compare.h"
#include "document/cars_in.h"
#include "document/change.h"
#include "windows/file_dialogs.h"

#include <algorithm>

namespace kestrix {

using platform::TickTree;

namespace {

bool BringsNothing(const PastedLine& line) {
    return line.car >= 0 && line.docRow >= 0 && line.differing.empty() && line.refused.empty();
}

} // namespace

frmPasteCars::frmPasteCars(Document& doc, platform::Services& services, CarPaste paste)
    : Window("frmPasteCars"), lvValues("lvValues", {"Stat", "Open file", "Pasted", "Error"}), doc_(doc),
      services_(services), paste_(std::move(paste)) {
    SetResizable(true);
    lblCars.SetCaption("Pasted cars (the ticked ones are applied; Right shows a car's values):");
    lblValues.SetCaption("Values of the chosen car:");
    tvCars.SetSpokenName("Pasted cars");
    lvValues.SetSpokenName("Values of the chosen car");
    cmdApply.SetCaption("&Apply");
    cmdCancel.SetCaption("Cancel");
    DefaultButton = &cmdApply;
    CancelButton = &cmdCancel;
    cmdApply.Click = [this] { cmdApply_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    Focus.Join({&tvCars, &lvValues, &cmdApply, &cmdCancel});
}

void frmPasteCars::Form_Load() {
    SetCaption("Paste Car Lines");
    ErrorCheck(paste_.cars, errors_, doc_.Numbers());
    std::vector<TickTree::Entry> shown;
    std::size_t unchanged = 0;
    for (std::size_t i = 0; i < paste_.lines.size(); ++i) {
        if (BringsNothing(paste_.lines[i])) {
            ++unchanged;
            continue;
        }
        Entry& entry = entries_.emplace_back(Entry{static_cast<int>(i), {}});
        shown.push_back(EntryOf(paste_.lines[i], entry));
    }
    if (unchanged > 0) {
        entries_.push_back({});
        shown.push_back({CountText(unchanged, "car unchanged", "cars unchanged"), false, {}});
    }
    tvCars.SetEntries(std::move(shown));
    for (int i = 0; i < tvCars.Count(); ++i)
        tvCars.SetTicked({i, -1}, true);
    if (tvCars.Count() > 0)
        tvCars.SetCurrent({0, -1});
    ShowValues();
    ShowSummary();
    // Only now: each tick set above would have shown the values and counted the ticks anew.
    tvCars.Click = [this] { tvCars_Click(); };
}

std::vector<const ErrorRecord*> frmPasteCars::ErrorsOf(int car) const {
    const std::vector<int>& ends = errors_.CarEnds();
    std::vector<const ErrorRecord*> rows;
    if (car < 0 || static_cast<std::size_t>(car) >= ends.size())
        return rows;
    const int first = car == 0 ? 0 : ends[static_cast<std::size_t>(car) - 1];
    for (int row = first; row < ends[static_cast<std::size_t>(car)]; ++row)
        rows.push_back(&errors_.Rows()[static_cast<std::size_t>(row)]);
    return rows;
}

std::string frmPasteCars::CarText(const PastedLine& line) const {
    if (line.car < 0)
        return "line " + std::to_string(line.line) + " refused: " + line.refusal;
    const std::string name(paste_.cars[static_cast<std::size_t>(line.car)][VehicleIdentifier]);
    std::string text =
        line.docRow < 0
            ? "adds " + name
            : "replaces " + name + ": " + CountText(line.differing.size(), "value differs", "values differ");
    if (!line.refused.empty())
        text += ", " + CountText(line.refused.size(), "refused", "refused");
    if (const std::size_t errors = ErrorsOf(line.car).size(); errors > 0)
        text += " (" + CountText(errors, "error", "errors") + ")";
    return text;
}

// A replacing car's values: those that differ, each with its tick, then those refused.
TickTree::Entry frmPasteCars::EntryOf(const PastedLine& line, Entry& entry) const {
    TickTree::Entry shown{CarText(line), line.car >= 0, {}};
    if (line.car < 0 || line.docRow < 0)
        return shown;
    const CarRow& open = doc_.Cars()[static_cast<std::size_t>(line.docRow)];
    const CarRow& pasted = paste_.cars[static_cast<std::size_t>(line.car)];
    for (const int column : line.differing) {
        entry.columns.push_back(column);
        shown.values.push_back(
            {StatLabel(column) + ": " + std::string(open[column]) + " to " + std::string(pasted[column]),
             true});
    }
    for (const RefusedValue& refused : line.refused) {
        entry.columns.push_back(refused.column);
        shown.values.push_back({StatLabel(refused.column) + ": refused, " + refused.reason, false});
    }
    return shown;
}

const PastedLine* frmPasteCars::LineOf(int entry) const {
    if (entry < 0 || entry >= static_cast<int>(entries_.size()))
        return nullptr;
    const int line = entries_[static_cast<std::size_t>(entry)].line;
    return line < 0 ? nullptr : &paste_.lines[static_cast<std::size_t>(line)];
}

void frmPasteCars::ShowValues() {
    const TickTree::Place current = tvCars.Current();
    const PastedLine* line = LineOf(current.entry);
    std::vector<std::string> cells;
    int selected = -1;
    if (line && line->car < 0) {
        cells = {"(line " + std::to_string(line->line) + ")", "", "", line->refusal};
    } else if (line) {
        const CarRow& pasted = paste_.cars[static_cast<std::size_t>(line->car)];
        const CarRow* open =
            line->docRow >= 0 ? &doc_.Cars()[static_cast<std::size_t>(line->docRow)] : nullptr;
        std::vector<std::string> why(kStatCount);
        for (const ErrorRecord* error : ErrorsOf(line->car))
            why[static_cast<std::size_t>(error->ErrorNumber)] = error->ExplanationString;
        for (const RefusedValue& refused : line->refused)
            why[static_cast<std::size_t>(refused.column)] = "refused: " + refused.reason;
        const std::vector<int>& columns = entries_[static_cast<std::size_t>(current.entry)].columns;
        const int chosen = current.value >= 0 ? columns[static_cast<std::size_t>(current.value)] : -1;
        for (int column = 0; column < kStatCount; ++column) {
            const bool differs = !open || std::find(columns.begin(), columns.end(), column) != columns.end();
            if (!differs && why[static_cast<std::size_t>(column)].empty())
                continue;
            if (column == chosen)
                selected = static_cast<int>(cells.size()) / lvValues.ColumnCount();
            cells.insert(cells.end(), {StatLabel(column), open ? std::string((*open)[column]) : "",
                                       std::string(pasted[column]), why[static_cast<std::size_t>(column)]});
        }
    }
    lvValues.SetRows(std::move(cells));
    lvValues.SetSelectedRow(selected);
}

void frmPasteCars::ShowSummary() {
    std::size_t replacing = 0, values = 0, adding = 0, refused = 0;
    for (int i = 0; i < tvCars.Count(); ++i) {
        const PastedLine* line = LineOf(i);
        if (!line)
            continue;
        refused += line->car < 0;
        if (line->car < 0 || tvCars.TickOf({i, -1}) == TickTree::Tick::None)
            continue;
        if (line->docRow < 0) {
            ++adding;
            continue;
        }
        ++replacing;
        for (int value = 0; value < static_cast<int>(tvCars.EntryAt(i).values.size()); ++value)
            values += tvCars.Ticked({i, value});
    }
    lblSummary.SetCaption("Applies " + CountText(values, "value", "values") + " of " +
                          CountText(replacing, "replaced car", "replaced cars") + " and " +
                          CountText(adding, "added car", "added cars") + "; " +
                          CountText(refused, "line refused", "lines refused") + ".");
    cmdApply.SetEnabled(values + adding > 0);
}

void frmPasteCars::tvCars_Click() {
    ShowValues();
    ShowSummary();
}

void frmPasteCars::cmdApply_Click() {
    CarsIn in;
    for (int i = 0; i < tvCars.Count(); ++i) {
        const PastedLine* line = LineOf(i);
        if (!line || line->car < 0 || tvCars.TickOf({i, -1}) == TickTree::Tick::None)
            continue;
        CarIn car{paste_.cars[static_cast<std::size_t>(line->car)], line->docRow, {}};
        const std::vector<int>& columns = entries_[static_cast<std::size_t>(i)].columns;
        for (int value = 0; value < static_cast<int>(columns.size()); ++value)
            if (tvCars.Ticked({i, value}))
                car.columns.push_back(columns[static_cast<std::size_t>(value)]);
        in.cars.push_back(std::move(car));
    }
    in.caption = "Paste " + CountText(in.cars.size(), "Car", "Cars");
    CarsInResult result = CarsInChange(doc_.Data(), in);
    if (!result.refusal.empty()) {
        ReportFailure(services_, result.refusal);
        return;
    }
    doc_.Commit(std::move(result.change));
    Unload();
}

void frmPasteCars::cmdCancel_Click() {
    Unload();
}

} // namespace kestrix
