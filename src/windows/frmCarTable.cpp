#include "windows/frmCarTable.h"

#include "document/car_commands.h"
#include "document/cars_in.h"
#include "model/formula.h"
#include "model/stat_description.h"
#include "model/stat_help.h"
#include "model/stat_names.h"
#include "windows/file_dialogs.h"
#include "windows/frmAskNumber.h"
#include "windows/frmCompare.h"
#include "windows/frmPasteCars.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <tuple>

namespace kestrix {

using platform::Answer;
using platform::Buttons;
using platform::GridColumn;
using platform::Icon;

namespace {

// The words of each bulk edit: its caption, and what comes before and after what it changes.
struct BulkWords {
    BulkOperation operation;
    std::string_view caption;
    std::string_view before;
    std::string_view after;
};
constexpr BulkWords kBulkWords[] = {
    {BulkOperation::Set, "Set to", "Set ", " to:"},
    {BulkOperation::Add, "Add", "Add to ", ":"},
    {BulkOperation::Multiply, "Multiply by", "Multiply ", " by:"},
};

const BulkWords& WordsOf(BulkOperation operation) {
    return *std::find_if(std::begin(kBulkWords), std::end(kBulkWords),
                         [operation](const BulkWords& words) { return words.operation == operation; });
}

// " Left as they were: 1 holding no number; ...", or nothing when every value changed.
std::string LeftAsTheyWereText(int notNumbers, int alreadyResult, int tooLarge) {
    const std::pair<int, std::string_view> reasons[] = {
        {notNumbers, "holding no number"},
        {alreadyResult, "already holding the result"},
        {tooLarge, "whose result would pass the largest number a value can hold"},
    };
    std::string text;
    for (const auto& [count, reason] : reasons)
        if (count > 0)
            text += (text.empty() ? " Left as they were: " : "; ") + std::to_string(count) + " " +
                    std::string(reason);
    return text.empty() ? text : text + ".";
}

// The edit of each stat, as the main window edits it; the name changes only by a rename.
GridColumn StatColumn(int column) {
    const StatDescription& stat = DescriptionOf(column);
    GridColumn shown;
    if (!stat.def.IsText)
        shown.sort = GridColumn::Sort::Number;
    switch (stat.control) {
    case StatControlKind::Field:
        if (column == VehicleIdentifier)
            shown.editing = GridColumn::Editing::ReadOnly;
        return shown;
    case StatControlKind::ChoiceList:
    case StatControlKind::CheckBox:
        shown.editing = stat.control == StatControlKind::CheckBox ? GridColumn::Editing::Tick
                                                                  : GridColumn::Editing::Choice;
        shown.entries.assign(stat.choices.begin(), stat.choices.end());
        for (int entry = 0; entry < EntryCount(stat); ++entry)
            shown.stored.push_back(StoredEntry(stat, entry));
        shown.entryOf = [&stat](std::string_view value) { return EntryOf(stat, value); };
        return shown;
    case StatControlKind::Flags:
        shown.editing = GridColumn::Editing::Ticks;
        shown.entries.assign(stat.choices.begin(), stat.choices.end());
        shown.ticksOf = [](std::string_view value) {
            const FlagTicks ticks = DecodeFlags(value);
            return std::vector<bool>(ticks.begin(), ticks.end());
        };
        shown.ticksStored = [](std::string_view stored, const std::vector<bool>& ticks) {
            FlagTicks flags{};
            for (std::size_t i = 0; i < flags.size() && i < ticks.size(); ++i)
                flags[i] = ticks[i];
            return FlagsAfterTicks(stored, flags);
        };
        return shown;
    }
    return shown;
}

} // namespace

int StatColumnNamed(std::string_view name, std::string& problem) {
    NamedColumn named = StatNamed(name);
    problem = std::move(named.problem);
    return named.column;
}

frmCarTable::frmCarTable(Document& doc, platform::Services& services, std::shared_ptr<CarFocus> focus)
    : Window("frmCarTable"), doc_(doc), services_(services), focus_(std::move(focus)) {
    SetResizable(true);
    lblFilter.SetCaption("Filter :");
    NameAfter(txtFilter, lblFilter);
    chkErrors.SetCaption("Only cars with &errors");
    cmdSetTo.SetCaption("&Set to...");
    cmdAdd.SetCaption("&Add...");
    cmdMultiply.SetCaption("&Multiply by...");
    cmdCompare.SetCaption("&Compare Cars");
    cmdCopyLines.SetCaption("Copy Car &Lines");
    cmdNextError.SetCaption("&Next Error (F8)");
    FunctionKeys.emplace_back(8, &cmdNextError);
    // Wherever the focus is in the table's window, not the main window's Save As.
    OwnKeys.emplace_back(platform::Shortcut::CtrlA, [this] { grdCars.UserSelectsAll(); });
    OwnKeys.emplace_back(platform::Shortcut::AltUp, [this] { MoveCars(MoveDirection::Up); });
    OwnKeys.emplace_back(platform::Shortcut::AltDown, [this] { MoveCars(MoveDirection::Down); });
    txtFilter.SetTip("Shows the cars whose name contains this text, or whose stats meet conditions:\n"
                     "Drive = R, Max Velocity > 200, #13 >= 200 and #15 != R\n"
                     "(a stat by its name or its number; =, !=, <, <=, >, >=; terms joined by \"and\")");
    lblFilterNote.SetForeColor(platform::Color{176, 0, 0});
    txtFilter.Change = [this] { txtFilter_Change(); };
    chkErrors.Click = [this] { chkErrors_Click(); };
    grdCars.CellsEdited = [this](const std::vector<platform::GridEdit>& edits) {
        grdCars_CellsEdited(edits);
    };
    grdCars.CellsPasted = [this](const std::vector<platform::GridEdit>& edits) {
        grdCars_CellsPasted(edits);
    };
    grdCars.PasteRefused = [this](platform::Grid::Refusal refusal) { grdCars_PasteRefused(refusal); };
    grdCars.PasteTaken = [this](std::string_view text) { return grdCars_PasteTaken(text); };
    FilesDropped = [this](const std::vector<std::string>& paths) { Form_FilesDropped(paths); };
    grdCars.RowHeaderDblClick = [this](int row) { grdCars_RowHeaderDblClick(row); };
    grdCars.SelectionChange = [this] { TellSelectedCars(); };
    cmdSetTo.Click = [this] { cmdSetTo_Click(); };
    cmdAdd.Click = [this] { cmdAdd_Click(); };
    cmdMultiply.Click = [this] { cmdMultiply_Click(); };
    cmdCompare.Click = [this] { cmdCompare_Click(); };
    cmdCopyLines.Click = [this] { cmdCopyLines_Click(); };
    cmdNextError.Click = [this] { cmdNextError_Click(); };
    Focus.Join({&txtFilter, &chkErrors, &grdCars, &cmdSetTo, &cmdAdd, &cmdMultiply, &cmdCompare,
                &cmdCopyLines, &cmdNextError});
    doc_.Observe(*this);
}

frmCarTable::~frmCarTable() {
    doc_.Forget(*this);
}

void frmCarTable::Form_Load() {
    SetCaption("Car Table");
    std::vector<GridColumn> columns;
    for (int stat = 0; stat < kStatCount; ++stat) {
        GridColumn column = StatColumn(stat);
        column.header = std::string(StatCatalogue::Instance()[stat].StatName);
        column.tip = HeaderTip(stat);
        columns.push_back(std::move(column));
    }
    grdCars.SetColumns(std::move(columns));
    ShowRows(true);
}

std::string frmCarTable::HeaderTip(int column) const {
    return std::string(StatCatalogue::Instance()[column].StatName) + "\n" + StatTip(column);
}

bool frmCarTable::QueryUnload() {
    LeaveFocus();
    return true;
}

void frmCarTable::DocumentChanged(const DocumentEvent& event) {
    switch (event.kind) {
    case DocumentEvent::Kind::Changed:
        if (event.change && event.change->kind == Change::Kind::Move) {
            FollowMove(*event.change, event.undone);
            return;
        }
        ShowRows(event.RowsChanged());
        break;
    case DocumentEvent::Kind::Read:
    case DocumentEvent::Kind::Checked:
        ShowRows(event.RowsChanged());
        break;
    case DocumentEvent::Kind::State:
        grdCars.ValuesChanged(); // the marks of changed values
        break;
    case DocumentEvent::Kind::Show:
        SelectCar(event.row, event.column);
        return;
    }
    // Undo and redo show the row of the value they put back.
    if (event.replayed && event.change && !event.change->cells.empty()) {
        const CellChange& cell = event.change->cells.front();
        const int shown = grdCars.ShownRow(cell.row);
        if (shown >= 0)
            grdCars.Select({{shown, cell.column, shown, cell.column}}, {shown, cell.column});
    }
}

void frmCarTable::ShowRows(bool rowsChanged) {
    MapErrors();
    if (rowsChanged) {
        grdCars.SetSource(this);
        ShowCount();
        TellShownCars();
    } else {
        grdCars.ValuesChanged();
    }
}

// The register says where each car's rows end, so a finding maps to its car
// by place, however many cars share a name.
void frmCarTable::MapErrors() {
    const CarTable& cars = doc_.Cars();
    errorColumns_.assign(cars.size(), 0);
    errorCells_.clear();
    ownMessages_.clear();
    const ErrorRegister& errors = doc_.Errors();
    const std::vector<int>& ends = errors.CarEnds();
    ownCheck_ = errors.LeftOut() > 0 || ends.size() != doc_.Cars().size();
    if (!ownCheck_) {
        std::size_t first = 0;
        for (std::size_t car = 0; car < ends.size(); ++car) {
            const std::size_t end = static_cast<std::size_t>(ends[car]);
            for (std::size_t i = first; i < end; ++i)
                MarkError(car, errors.Rows()[i].ErrorNumber, i);
            first = end;
        }
        return;
    }
    ErrorRegister one;
    CarValues values;
    for (std::size_t car = 0; car < doc_.Cars().size(); ++car) {
        one.Clear();
        for (int column = 0; column < kStatCount; ++column)
            values[static_cast<std::size_t>(column)] = doc_.Cars()[car][column];
        CheckCar(values, one, doc_.Numbers(), doc_.Rules());
        for (const ErrorRecord& finding : one.Rows()) {
            ownMessages_.push_back(finding.ExplanationString);
            MarkError(car, finding.ErrorNumber, ownMessages_.size() - 1);
        }
    }
}

void frmCarTable::MarkError(std::size_t car, int column, std::size_t message) {
    if (column < 0 || column >= kStatCount)
        return;
    errorColumns_[car] |= std::uint32_t{1} << column;
    errorCells_.emplace_back(static_cast<std::uint32_t>(car * kStatCount + static_cast<std::size_t>(column)),
                             static_cast<std::uint32_t>(message));
}

std::string_view frmCarTable::Error(int row, int column) const {
    const std::size_t car = static_cast<std::size_t>(row);
    if (car >= errorColumns_.size() || !(errorColumns_[car] >> column & 1))
        return {};
    const std::uint32_t cell =
        static_cast<std::uint32_t>(car * kStatCount + static_cast<std::size_t>(column));
    const auto found = std::lower_bound(errorCells_.begin(), errorCells_.end(), std::make_pair(cell, 0u));
    if (ownCheck_)
        return ownMessages_[found->second];
    return doc_.Errors().Rows()[found->second].ExplanationString;
}

bool frmCarTable::RowHasError(int row) const {
    const std::size_t car = static_cast<std::size_t>(row);
    return car < errorColumns_.size() && errorColumns_[car] != 0;
}

void frmCarTable::ShowCount() {
    lblCount.SetCaption(std::to_string(grdCars.RowCount()) + " of " + std::to_string(doc_.Cars().size()) +
                        " cars");
}

void frmCarTable::txtFilter_Change() {
    grdCars.SetFilter(txtFilter.Text());
    // A filter that cannot be read says why, and every car stays shown.
    const std::string note =
        grdCars.FilterProblem().empty() ? std::string() : "Not filtered: " + grdCars.FilterProblem();
    lblFilterNote.SetCaption(note);
    lblFilterNote.SetTip(note);
    ShowCount();
    TellShownCars();
}

void frmCarTable::ShowOnly(const std::string& filter) {
    txtFilter.SetText(filter);
}

void frmCarTable::cmdNextError_Click() {
    grdCars.UserGoesToNextError();
    grdCars.SetFocus();
}

void frmCarTable::chkErrors_Click() {
    grdCars.SetOnlyErrors(chkErrors.Value() != 0);
    ShowCount();
    TellShownCars();
}

void frmCarTable::TellShownCars() {
    if (!focus_)
        return;
    std::vector<int> shown(static_cast<std::size_t>(grdCars.RowCount()));
    for (int row = 0; row < grdCars.RowCount(); ++row)
        shown[static_cast<std::size_t>(row)] = grdCars.SourceRow(row);
    std::sort(shown.begin(), shown.end());
    focus_->SetShown(std::move(shown), txtFilter.Text());
    TellSelectedCars(); // a new order or filter empties the selection
}

void frmCarTable::LeaveFocus() {
    if (!focus_)
        return;
    focus_->SetSelected({});
    focus_->SetShown(std::nullopt);
}

void frmCarTable::TellSelectedCars() {
    if (!focus_)
        return;
    std::vector<int> selected;
    for (const int row : grdCars.SelectedRows())
        selected.push_back(grdCars.SourceRow(row));
    std::sort(selected.begin(), selected.end());
    focus_->SetSelected(std::move(selected));
}

// A car shown on request is selected here too: the whole row, or the cell of the column asked for.
void frmCarTable::SelectCar(int row, int column) {
    const int shown = grdCars.ShownRow(row);
    if (shown < 0)
        return;
    if (column < 0)
        grdCars.Select({{shown, 0, shown, grdCars.ColumnCount() - 1}}, {shown, 0});
    else
        grdCars.Select({{shown, column, shown, column}}, {shown, column});
}

void frmCarTable::MoveCars(MoveDirection direction) {
    if (grdCars.SortColumn() >= 0) {
        ShowNote("Cars move only in file order: click the sorted column's header until the rows are "
                 "in file order again.");
        return;
    }
    ShowNote({}); // the last note is about another step
    std::vector<int> shown(static_cast<std::size_t>(grdCars.RowCount()));
    for (int row = 0; row < grdCars.RowCount(); ++row)
        shown[static_cast<std::size_t>(row)] = grdCars.SourceRow(row);
    std::vector<int> selected;
    for (const int row : grdCars.SelectedRows())
        selected.push_back(grdCars.SourceRow(row));
    if (selected.empty())
        return;
    doc_.CommitPendingEdits();
    doc_.Commit(MoveCarsChange(doc_.Cars(), shown, selected, direction));
}

void frmCarTable::FollowMove(const Change& move, bool undone) {
    struct Kept {
        int row; // of the source, after the move
        int left;
        int right;
    };
    std::vector<Kept> kept;
    for (const platform::GridRange& range : grdCars.Selection())
        for (int row = range.top; row <= range.bottom; ++row)
            kept.push_back({RowAfter(move, grdCars.SourceRow(row), undone), range.left, range.right});
    platform::GridCell current = grdCars.Current();
    if (current.row >= 0)
        current.row = RowAfter(move, grdCars.SourceRow(current.row), undone);
    ShowRows(true);
    std::vector<int> shownRow(doc_.Cars().size(), -1);
    for (int row = 0; row < grdCars.RowCount(); ++row)
        shownRow[static_cast<std::size_t>(grdCars.SourceRow(row))] = row;
    const auto shown = [&](int row) { return row < 0 ? -1 : shownRow[static_cast<std::size_t>(row)]; };
    for (Kept& car : kept)
        car.row = shown(car.row);
    std::sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
        return std::tie(a.left, a.right, a.row) < std::tie(b.left, b.right, b.row);
    });
    std::vector<platform::GridRange> ranges;
    for (const Kept& car : kept) {
        if (car.row < 0)
            continue;
        platform::GridRange* last = ranges.empty() ? nullptr : &ranges.back();
        if (last && last->left == car.left && last->right == car.right && last->bottom + 1 >= car.row)
            last->bottom = std::max(last->bottom, car.row);
        else
            ranges.push_back({car.row, car.left, car.row, car.right});
    }
    if (ranges.empty())
        return;
    current.row = shown(current.row);
    if (current.row < 0)
        current = {ranges.front().top, ranges.front().left};
    grdCars.Select(std::move(ranges), current);
}

std::size_t frmCarTable::Commit(const std::vector<CellEdit>& edits, std::string caption) {
    Change change = ValuesChange(doc_.Cars(), edits, {});
    const std::size_t changed = change.cells.size();
    change.caption = CountedCaption(caption, changed);
    doc_.Commit(std::move(change));
    return changed;
}

void frmCarTable::grdCars_CellsEdited(const std::vector<platform::GridEdit>& edits) {
    // Typing elsewhere goes first, so the change knows the values it replaces.
    doc_.CommitPendingEdits();
    std::vector<CellEdit> cells;
    cells.reserve(edits.size());
    for (const platform::GridEdit& edit : edits)
        cells.push_back({edit.row, edit.column, edit.value});
    std::string caption = "Paste";
    if (edits.size() == 1)
        caption = "Edit " + std::string(StatCatalogue::Instance()[edits[0].column].StatName) + " of '" +
                  std::string(doc_.Cars()[static_cast<std::size_t>(edits[0].row)][VehicleIdentifier]) + "'";
    if (WorkOutFormulas(cells, caption))
        Commit(cells, caption);
}

// A spreadsheet gives values back in its own spelling: one the paste rule finds
// equal to the stored value stays as stored, and one it refuses refuses the paste.
void frmCarTable::grdCars_CellsPasted(const std::vector<platform::GridEdit>& edits) {
    doc_.CommitPendingEdits();
    std::vector<platform::GridEdit> changed;
    for (const platform::GridEdit& edit : edits) {
        const CarRow& car = doc_.Cars()[static_cast<std::size_t>(edit.row)];
        const PastedValue value = MeetStored(edit.column, car[edit.column], edit.value);
        if (!value.refusal.empty()) {
            services_.ShowMessage({"A pasted value of '" + std::string(car[VehicleIdentifier]) +
                                       "' cannot be taken: " + value.refusal + ".\rNothing was pasted.",
                                   "Paste", Buttons::Ok, Icon::Warning, Answer::Ok});
            return;
        }
        if (value.differs)
            changed.push_back(edit);
    }
    if (!changed.empty())
        grdCars_CellsEdited(changed);
}

// Car lines, or rows under a header line that names the cars' column, are matched
// with the document's cars in the paste preview, whatever the sort and filter; a block of cells
// pastes by position.
bool frmCarTable::grdCars_PasteTaken(std::string_view text) {
    doc_.CommitPendingEdits();
    CarPaste paste = ReadPastedRows(text, doc_.Cars());
    if (!IsCarLines(paste))
        return false;
    ShowPastePreview(std::move(paste));
    return true;
}

// A handling file dropped on the table offers its cars as the paste preview
// offers pasted car lines; a file File > Open would refuse is refused here too.
void frmCarTable::Form_FilesDropped(const std::vector<std::string>& paths) {
    const std::string path = DroppedHandlingFile(services_, paths);
    if (path.empty())
        return;
    doc_.CommitPendingEdits();
    CarPaste paste = ReadCarPasteFile(path, doc_.Cars());
    if (!paste.refusal.empty()) {
        services_.ShowMessage({paste.refusal + "\rNothing was pasted.", "Paste Car Lines", Buttons::Ok,
                               Icon::Warning, Answer::Ok});
        return;
    }
    ShowPastePreview(std::move(paste));
}

void frmCarTable::ShowPastePreview(CarPaste paste) {
    frmPasteCars preview(doc_, services_, std::move(paste));
    preview.Form_Load();
    services_.ShowModal(preview);
}

void frmCarTable::grdCars_PasteRefused(platform::Grid::Refusal refusal) {
    std::string text;
    switch (refusal) {
    case platform::Grid::Refusal::OutsideGrid:
        text = "The pasted cells would reach past the last row or column of the table.";
        break;
    case platform::Grid::Refusal::ReadOnlyColumn:
        text = "The pasted cells would change the cars' names, which the table does not change.";
        break;
    case platform::Grid::Refusal::BlankValue:
        text = "A pasted value is empty or holds a blank, which the file cannot keep.";
        break;
    case platform::Grid::Refusal::Unwritable:
        text = "The pasted text holds characters the file cannot keep: it holds 8-bit characters only.";
        break;
    }
    services_.ShowMessage({text + "\rNothing was pasted.", "Paste", Buttons::Ok, Icon::Warning, Answer::Ok});
}

void frmCarTable::grdCars_RowHeaderDblClick(int row) {
    doc_.AskToShow(row, -1);
}

frmCarTable::BulkCells frmCarTable::CellsFor(BulkOperation operation) const {
    BulkCells target;
    for (const platform::GridCell& cell : grdCars.SelectedCells()) {
        if (grdCars.Column(cell.column).sort != GridColumn::Sort::Number)
            ++target.textCells;
        else if (operation != BulkOperation::Set && !PlainNumber(grdCars.Text(cell.row, cell.column)))
            ++target.notNumbers;
        else
            target.cells.push_back(cell);
    }
    return target;
}

// "Multiply 66 values (Mass of 66 cars) by:"; more than three stats go by their count, one car by
// its name. The selected cells it leaves as they are are named apart.
std::string frmCarTable::BulkPrompt(BulkOperation operation, const BulkCells& target) const {
    std::set<int> columns;
    std::set<int> rows;
    for (const platform::GridCell& cell : target.cells) {
        columns.insert(cell.column);
        rows.insert(cell.row);
    }
    std::string stats = columns.size() > 3 ? CountText(columns.size(), "stat", "stats") : "";
    for (auto column = columns.begin(); columns.size() <= 3 && column != columns.end(); ++column) {
        if (column != columns.begin())
            stats += std::next(column) == columns.end() ? " and " : ", ";
        stats += StatCatalogue::Instance()[*column].StatName;
    }
    const std::string cars = rows.size() == 1
                                 ? "'" + std::string(grdCars.Text(*rows.begin(), VehicleIdentifier)) + "'"
                                 : CountText(rows.size(), "car", "cars");
    const BulkWords& words = WordsOf(operation);
    const std::string prompt = std::string(words.before) + CountText(target.cells.size(), "value", "values") +
                               " (" + stats + " of " + cars + ")" + std::string(words.after);
    std::vector<std::string> left;
    if (target.textCells > 0)
        left.push_back(CountText(static_cast<std::size_t>(target.textCells), "cell of a stat that holds text",
                                 "cells of stats that hold text"));
    if (target.notNumbers > 0)
        left.push_back(CountText(static_cast<std::size_t>(target.notNumbers), "cell holding no number",
                                 "cells holding no number"));
    if (left.empty())
        return prompt;
    return prompt + "\nLeft as they are: " + left.front() + (left.size() > 1 ? ", " + left.back() : "") + ".";
}

// The window says what the edit is about to change before it acts, and the status line what changed.
void frmCarTable::BulkEdit(BulkOperation operation) {
    const std::string caption(WordsOf(operation).caption);
    // Typing elsewhere goes first, so that what the window counts is what the edit finds.
    doc_.CommitPendingEdits();
    const BulkCells target = CellsFor(operation);
    if (target.cells.empty()) {
        services_.ShowMessage({target.notNumbers > 0 ? "None of the selected cells holds a number."
                                                     : "Select the cells of number columns first.",
                               caption, Buttons::Ok, Icon::Information, Answer::Ok});
        return;
    }
    frmAskNumber ask(services_, caption, BulkPrompt(operation, target),
                     operation == BulkOperation::Set ? frmAskNumber::Takes::NumberOrFormula
                                                     : frmAskNumber::Takes::Number);
    services_.ShowModal(ask);
    if (!ask.Result && !ask.ResultFormula)
        return;
    std::vector<CellEdit> edits;
    edits.reserve(target.cells.size());
    int tooLarge = 0;
    for (const platform::GridCell& cell : target.cells) {
        const int row = grdCars.SourceRow(cell.row);
        if (ask.ResultFormula) {
            edits.push_back({row, cell.column, {}});
            continue;
        }
        BulkResult result =
            BulkValue(grdCars.Text(cell.row, cell.column), operation, *ask.Result, ask.ResultText);
        if (result.value)
            edits.push_back({row, cell.column, std::move(*result.value)});
        tooLarge += result.skip == BulkSkip::TooLarge;
    }
    if (ask.ResultFormula && !WorkOutFormula(*ask.ResultFormula, ask.txtNumber.Text(), edits, caption))
        return;
    const std::string done = caption + " " + ask.txtNumber.Text();
    const std::size_t changed = Commit(edits, done);
    ShowNote(done + ": " + ChangedValuesText(changed) + "." +
             LeftAsTheyWereText(target.notNumbers, static_cast<int>(edits.size() - changed), tooLarge));
}

bool frmCarTable::WorkOutFormulas(std::vector<CellEdit>& edits, const std::string& caption) {
    for (CellEdit& edit : edits) {
        if (!IsFormula(edit.value) || StatCatalogue::Instance()[edit.column].IsText)
            continue;
        std::string problem;
        const std::optional<Formula> formula = Formula::Read(edit.value, problem);
        if (!formula) {
            services_.ShowMessage(
                {FormulaRefusal(edit.value, problem), caption, Buttons::Ok, Icon::Warning, Answer::Ok});
            return false;
        }
        std::vector<CellEdit> one{{edit.row, edit.column, {}}};
        if (!WorkOutFormula(*formula, edit.value, one, caption))
            return false;
        edit.value = std::move(one[0].value);
    }
    return true;
}

// Every result comes from the cars as they are before any is written, so a
// formula that reads another stat reads it unchanged by the same step.
bool frmCarTable::WorkOutFormula(const Formula& formula, const std::string& text,
                                 std::vector<CellEdit>& edits, const std::string& caption) {
    std::string problem;
    const CellEdit* refused = nullptr;
    std::size_t refusals = 0;
    for (CellEdit& edit : edits) {
        const CarRow& car = doc_.Cars()[static_cast<std::size_t>(edit.row)];
        std::string why;
        if (std::optional<double> number = formula.Number({car[edit.column], edit.column, &car}, why)) {
            edit.value = ComputedDecimal(*number, car[edit.column]);
        } else if (refusals++ == 0) {
            refused = &edit;
            problem = std::move(why);
        }
    }
    if (!refused)
        return true;
    const CarRow& car = doc_.Cars()[static_cast<std::size_t>(refused->row)];
    std::string where = "for " + std::string(car[VehicleIdentifier]) + ", " +
                        std::string(StatCatalogue::Instance()[refused->column].StatName);
    if (refusals > 1)
        where +=
            " (and " + std::to_string(refusals - 1) + " more " + (refusals == 2 ? "value" : "values") + ")";
    services_.ShowMessage(
        {FormulaRefusal(text, where + ": " + problem), caption, Buttons::Ok, Icon::Warning, Answer::Ok});
    return false;
}

void frmCarTable::cmdSetTo_Click() {
    BulkEdit(BulkOperation::Set);
}

void frmCarTable::cmdAdd_Click() {
    BulkEdit(BulkOperation::Add);
}

void frmCarTable::cmdMultiply_Click() {
    BulkEdit(BulkOperation::Multiply);
}

// The selected cars' lines go to the clipboard as the file holds them, in table order.
void frmCarTable::cmdCopyLines_Click() {
    std::vector<int> rows;
    for (const int row : grdCars.SelectedRows())
        rows.push_back(grdCars.SourceRow(row));
    if (rows.empty() || !CarLinesText)
        return;
    doc_.CommitPendingEdits();
    services_.SetClipboardText(CarLinesText(rows));
}

void frmCarTable::cmdCompare_Click() {
    const std::vector<int> shown = grdCars.SelectedRows();
    if (shown.size() < 2 || shown.size() > static_cast<std::size_t>(kMostCompared)) {
        const std::string text = shown.size() < 2
                                     ? "Select two or more cars to compare."
                                     : "Compare at most " + std::to_string(kMostCompared) + " cars at once.";
        services_.ShowMessage({text, "Compare Cars", Buttons::Ok, Icon::Information, Answer::Ok});
        return;
    }
    std::vector<int> rows;
    for (const int row : shown)
        rows.push_back(grdCars.SourceRow(row));
    doc_.CommitPendingEdits();
    frmCompare compare(doc_.Data(), rows);
    compare.Form_Load();
    services_.ShowModal(compare);
}

} // namespace kestrix
