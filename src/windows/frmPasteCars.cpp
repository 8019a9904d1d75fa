#include "windows/frmPasteCars.h"

#include "compare/file_compare.h"
#include "windows/file_dialogs.h"

namespace kestrix {

namespace {

std::string CountOf(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

} // namespace

frmPasteCars::frmPasteCars(Document& doc, platform::Services& services, CarPaste paste)
    : Window("frmPasteCars"), lvValues("lvValues", {"Stat", "Open file", "Pasted", "Error"}), doc_(doc),
      services_(services), paste_(std::move(paste)) {
    SetResizable(true);
    lblCars.SetCaption("Pasted cars (the ticked ones are applied):");
    lblValues.SetCaption("Values of the chosen car:");
    lstCars.SetSpokenName("Pasted cars");
    lvValues.SetSpokenName("Values of the chosen car");
    cmdApply.SetCaption("&Apply");
    cmdCancel.SetCaption("Cancel");
    DefaultButton = &cmdApply;
    CancelButton = &cmdCancel;
    cmdApply.Click = [this] { cmdApply_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    Focus.Join({&lstCars, &lvValues, &cmdApply, &cmdCancel});
}

void frmPasteCars::Form_Load() {
    SetCaption("Paste Car Lines");
    ErrorCheck(paste_.cars, errors_, doc_.Numbers());
    std::vector<std::string> entries;
    entries.reserve(paste_.lines.size());
    for (const PastedLine& line : paste_.lines)
        entries.push_back(EntryText(line));
    lstCars.SetEntries(std::move(entries));
    for (int i = 0; i < lstCars.Count(); ++i) {
        const PastedLine& line = paste_.lines[static_cast<std::size_t>(i)];
        lstCars.SetTicked(i, line.car >= 0 && (line.docRow < 0 || !line.differing.empty()));
    }
    if (lstCars.Count() > 0)
        lstCars.SetCurrent(0);
    ShowValues();
    ShowSummary();
    // Only now: each tick set above would have shown the values and counted the ticks anew.
    lstCars.Click = [this] { lstCars_Click(); };
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

std::string frmPasteCars::EntryText(const PastedLine& line) const {
    if (line.car < 0)
        return "line " + std::to_string(line.line) + " refused: " + line.refusal;
    const std::string name(paste_.cars[static_cast<std::size_t>(line.car)][VehicleIdentifier]);
    std::string text = line.docRow < 0 ? "adds " + name
                                       : "replaces " + name + ": " +
                                             CountOf(line.differing.size(), "value differs", "values differ");
    if (const std::size_t errors = ErrorsOf(line.car).size(); errors > 0)
        text += " (" + CountOf(errors, "error", "errors") + ")";
    return text;
}

void frmPasteCars::ShowValues() {
    const int current = lstCars.Current();
    std::vector<std::string> cells;
    if (current >= 0) {
        const PastedLine& line = paste_.lines[static_cast<std::size_t>(current)];
        if (line.car < 0) {
            cells = {"(line " + std::to_string(line.line) + ")", "", "", line.refusal};
        } else {
            const CarRow& pasted = paste_.cars[static_cast<std::size_t>(line.car)];
            const CarRow* open =
                line.docRow >= 0 ? &doc_.Cars()[static_cast<std::size_t>(line.docRow)] : nullptr;
            std::vector<std::string> errorOf(kStatCount);
            for (const ErrorRecord* error : ErrorsOf(line.car))
                errorOf[static_cast<std::size_t>(error->ErrorNumber)] = error->ExplanationString;
            for (int column = 0; column < kStatCount; ++column) {
                const bool differs = !open || (*open)[column] != pasted[column];
                if (differs || !errorOf[static_cast<std::size_t>(column)].empty())
                    cells.insert(cells.end(),
                                 {StatLabel(column), open ? std::string((*open)[column]) : "",
                                  std::string(pasted[column]), errorOf[static_cast<std::size_t>(column)]});
            }
        }
    }
    lvValues.SetRows(std::move(cells));
}

void frmPasteCars::ShowSummary() {
    std::size_t replacing = 0, adding = 0, refused = 0;
    for (int i = 0; i < lstCars.Count(); ++i) {
        const PastedLine& line = paste_.lines[static_cast<std::size_t>(i)];
        refused += line.car < 0;
        replacing += line.car >= 0 && line.docRow >= 0 && lstCars.Ticked(i);
        adding += line.car >= 0 && line.docRow < 0 && lstCars.Ticked(i);
    }
    lblSummary.SetCaption("Applies " + CountOf(replacing, "replaced car", "replaced cars") + " and " +
                          CountOf(adding, "added car", "added cars") + "; " +
                          CountOf(refused, "line refused", "lines refused") + ".");
    cmdApply.SetEnabled(replacing + adding > 0);
}

void frmPasteCars::lstCars_Click() {
    // A refused line has nothing to apply.
    for (int i = 0; i < lstCars.Count(); ++i)
        if (lstCars.Ticked(i) && paste_.lines[static_cast<std::size_t>(i)].car < 0)
            lstCars.SetTicked(i, false);
    ShowValues();
    ShowSummary();
}

void frmPasteCars::cmdApply_Click() {
    Change change;
    std::size_t cars = 0;
    for (int i = 0; i < lstCars.Count(); ++i) {
        const PastedLine& line = paste_.lines[static_cast<std::size_t>(i)];
        if (!lstCars.Ticked(i) || line.car < 0)
            continue;
        ++cars;
        const CarRow& pasted = paste_.cars[static_cast<std::size_t>(line.car)];
        if (line.docRow < 0) {
            change.added.push_back({static_cast<int>(doc_.Cars().size() + change.added.size()), pasted});
            continue;
        }
        const CarRow& open = doc_.Cars()[static_cast<std::size_t>(line.docRow)];
        for (const int column : line.differing)
            change.cells.push_back(
                {line.docRow, column, std::string(open[column]), std::string(pasted[column])});
    }
    const std::size_t total = doc_.Cars().size() + change.added.size();
    if (total > static_cast<std::size_t>(kMaxCars)) {
        ReportFailure(services_, "Cannot paste these cars: the file would hold " + std::to_string(total) +
                                     " cars, and it can hold at most " + std::to_string(kMaxCars));
        return;
    }
    if (!change.Empty()) {
        change.kind = change.added.empty() ? Change::Kind::Values : Change::Kind::Import;
        change.caption = "Paste " + CountOf(cars, "Car", "Cars");
        doc_.Commit(std::move(change));
    }
    Unload();
}

void frmPasteCars::cmdCancel_Click() {
    Unload();
}

} // namespace kestrix
