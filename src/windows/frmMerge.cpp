#include "windows/frmMerge.h"

#include "document/change.h"
#include "model/formula.h"
#include "validation/error_check.h"
#include "windows/file_dialogs.h"
#include "windows/stat_pages.h"

#include <utility>

namespace kestrix {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

// "Ours: main" where git named the branch, else the plain word.
std::string SideHeader(std::string word, const std::string& branch) {
    return branch.empty() ? word : word + ": " + branch;
}

} // namespace

frmMerge::frmMerge(platform::Services& services, MergeResolution merge, std::string fileName, SaveMerged save,
                   NumberFormat numbers, const MergeSideNames& sides)
    : Window("frmMerge"), lvConflicts("lvConflicts", {"Car", "Stat", "Base", SideHeader("Ours", sides.ours),
                                                      SideHeader("Theirs", sides.theirs), "Chosen", "Check"}),
      lvMerged("lvMerged", {"Car", "Stat", "Base", SideHeader("Ours", sides.ours),
                            SideHeader("Theirs", sides.theirs), "Merged"}),
      services_(services), merge_(std::move(merge)), fileName_(std::move(fileName)), save_(std::move(save)),
      numbers_(std::move(numbers)) {
    SetResizable(true);
    SetMinMaxBoxes(true);
    lblHelp.SetCaption("Ours is the version merged into, theirs the one merged in. Choose a value for each "
                       "conflict; the other changes are merged already.");
    cmdTakeOurs.SetCaption("Take &Ours");
    cmdTakeTheirs.SetCaption("Take &Theirs");
    cmdTakeBase.SetCaption("Take &Base");
    lblValue.SetCaption("&Value :");
    txtValue.SetSpokenName("Value");
    txtValue.SetTip("A value of your own for the stat, or a change of ours' value: =*1.2, =+10%");
    // A value never holds a blank or a line end: the file could not keep it.
    txtValue.SetRefusedCharacters(" \t\r\n");
    cmdUseValue.SetCaption("&Use Value");
    cmdOursForCar.SetCaption("Ours for &Car");
    cmdTheirsForCar.SetCaption("Theirs for Ca&r");
    cmdOursForAll.SetCaption("Take Ours for A&ll");
    cmdTheirsForAll.SetCaption("Take Theirs for &All");
    cmdSave.SetCaption("&Save");
    cmdClose.SetCaption("Close");
    CancelButton = &cmdClose;
    lvMerged.SetVisible(false);
    cmdTakeOurs.Click = [this] { cmdTakeOurs_Click(); };
    cmdTakeTheirs.Click = [this] { cmdTakeTheirs_Click(); };
    cmdTakeBase.Click = [this] { cmdTakeBase_Click(); };
    txtValue.Commit = [this] { cmdUseValue_Click(); };
    txtValue.Refused = [this](platform::TextField::Refusal refusal) { txtValue_Refused(refusal); };
    cmdUseValue.Click = [this] { cmdUseValue_Click(); };
    cmdOursForCar.Click = [this] { cmdOursForCar_Click(); };
    cmdTheirsForCar.Click = [this] { cmdTheirsForCar_Click(); };
    cmdOursForAll.Click = [this] { cmdOursForAll_Click(); };
    cmdTheirsForAll.Click = [this] { cmdTheirsForAll_Click(); };
    chkMerged.Click = [this] { chkMerged_Click(); };
    cmdSave.Click = [this] { cmdSave_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    OwnKeys.emplace_back(platform::Shortcut::CtrlS, [this] { cmdSave_Click(); });
    Focus.Join({&lvConflicts, &cmdTakeOurs, &cmdTakeTheirs, &cmdTakeBase, &txtValue, &cmdUseValue,
                &cmdOursForCar, &cmdTheirsForCar, &cmdOursForAll, &cmdTheirsForAll, &chkMerged, &lvMerged,
                &cmdSave, &cmdClose});
}

void frmMerge::Form_Load() {
    std::size_t values = 0;
    std::size_t cars = 0;
    for (const CleanMerge& clean : merge_.Outcome().clean)
        (clean.wholeCar ? cars : values) += 1;
    std::string merged = "&Merged without conflict: " + CountText(values, "value", "values");
    if (cars > 0)
        merged += " and " + CountText(cars, "car", "cars");
    chkMerged.SetCaption(merged);
    ShowRows(0, merge_.Conflicts().size());
    if (lvConflicts.RowCount() > 0)
        lvConflicts.SetSelectedRow(0);
    Chosen(-1);
    lvConflicts.SetFocus();
}

std::vector<std::string> frmMerge::RowCells(std::size_t conflict) const {
    const MergeConflict& row = merge_.Conflicts()[conflict];
    std::string check;
    if (row.column >= 0 && merge_.ChoiceOf(conflict) != MergeChoice::None)
        check = ValueMessage(row.column, merge_.Chosen(conflict), numbers_);
    return {row.car,
            row.stat,
            ConflictCell(row, MergeSide::Base),
            ConflictCell(row, MergeSide::Ours),
            ConflictCell(row, MergeSide::Theirs),
            merge_.Chosen(conflict),
            std::move(check)};
}

void frmMerge::ShowRows(std::size_t first, std::size_t count) {
    std::vector<std::string> cells;
    cells.reserve(count * 7);
    for (std::size_t i = first; i < first + count; ++i) {
        std::vector<std::string> row = RowCells(i);
        cells.insert(cells.end(), std::make_move_iterator(row.begin()), std::make_move_iterator(row.end()));
    }
    if (first == 0 && count == merge_.Conflicts().size())
        lvConflicts.SetRows(std::move(cells));
    else
        lvConflicts.ReplaceRows(static_cast<int>(first), static_cast<int>(count), std::move(cells));
}

void frmMerge::Chosen(int row) {
    const std::size_t left = merge_.Left();
    SetCaption("Merge " + fileName_ + ": " +
               (left == 0 ? "no conflicts left" : CountText(left, "conflict", "conflicts") + " left"));
    cmdSave.SetEnabled(left == 0);
    const std::size_t count = merge_.Conflicts().size();
    if (row < 0)
        return;
    // Only ever to the next conflict left, or nowhere: never to a row already settled.
    int next = row;
    for (std::size_t step = 1; step <= count && left > 0; ++step) {
        const std::size_t at = (static_cast<std::size_t>(row) + step) % count;
        if (merge_.ChoiceOf(at) == MergeChoice::None) {
            next = static_cast<int>(at);
            break;
        }
    }
    lvConflicts.SetSelectedRow(next);
}

int frmMerge::SelectedConflict() const {
    return lvConflicts.SelectedRow();
}

void frmMerge::TakeRow(MergeSide side) {
    const int row = SelectedConflict();
    if (row < 0)
        return;
    if (!merge_.Choose(static_cast<std::size_t>(row), side)) {
        ShowNote(
            "Not taken: a car both sides added has no base, and the order of the cars is ours or theirs.");
        return;
    }
    ShowRows(static_cast<std::size_t>(row), 1);
    Chosen(row);
}

void frmMerge::TakeMany(MergeSide side, bool wholeFile) {
    const int row = SelectedConflict();
    if (row < 0 && !wholeFile)
        return;
    const std::vector<MergeConflict>& conflicts = merge_.Conflicts();
    const int slot = row >= 0 ? conflicts[static_cast<std::size_t>(row)].slot : -1;
    for (std::size_t i = 0; i < conflicts.size(); ++i) {
        if (wholeFile || static_cast<int>(i) == row || (slot >= 0 && conflicts[i].slot == slot))
            merge_.Choose(i, side);
    }
    ShowRows(0, conflicts.size());
    Chosen(std::max(row, 0));
}

void frmMerge::cmdTakeOurs_Click() {
    TakeRow(MergeSide::Ours);
}

void frmMerge::cmdTakeTheirs_Click() {
    TakeRow(MergeSide::Theirs);
}

void frmMerge::cmdTakeBase_Click() {
    TakeRow(MergeSide::Base);
}

void frmMerge::cmdUseValue_Click() {
    const int row = SelectedConflict();
    if (row < 0 || txtValue.Text().empty())
        return;
    const auto conflict = static_cast<std::size_t>(row);
    if (!merge_.Offers(conflict, MergeChoice::Typed)) {
        ShowNote("Not taken: a value of your own is typed for a stat.");
        return;
    }
    std::string problem;
    if (!merge_.Type(conflict, txtValue.Text(), problem)) {
        services_.ShowMessage(
            {FormulaRefusal(txtValue.Text(), problem), "Use Value", Buttons::Ok, Icon::Warning, Answer::Ok});
        return;
    }
    txtValue.SetText({});
    ShowRows(conflict, 1);
    Chosen(row);
}

void frmMerge::txtValue_Refused(platform::TextField::Refusal refusal) {
    ShowNote(std::string(RefusalNote(refusal)));
}

void frmMerge::cmdOursForCar_Click() {
    TakeMany(MergeSide::Ours, false);
}

void frmMerge::cmdTheirsForCar_Click() {
    TakeMany(MergeSide::Theirs, false);
}

void frmMerge::cmdOursForAll_Click() {
    TakeMany(MergeSide::Ours, true);
}

void frmMerge::cmdTheirsForAll_Click() {
    TakeMany(MergeSide::Theirs, true);
}

void frmMerge::FillMerged() {
    const std::vector<CleanMerge>& clean = merge_.Outcome().clean;
    std::vector<std::string> cells;
    cells.reserve(clean.size() * 6);
    for (const CleanMerge& change : clean)
        cells.insert(cells.end(),
                     {change.car, change.stat, change.base, change.ours, change.theirs, change.merged});
    lvMerged.SetRows(std::move(cells));
}

// The list of what merged cleanly is filled the first time it is shown: it may be long.
void frmMerge::chkMerged_Click() {
    const bool shown = chkMerged.Value() != 0;
    if (shown && lvMerged.RowCount() == 0)
        FillMerged();
    lvMerged.SetVisible(shown);
}

void frmMerge::cmdSave_Click() {
    if (const std::size_t left = merge_.Left(); left > 0) {
        ShowNote("Not saved: " + CountText(left, "conflict is", "conflicts are") + " left.");
        return;
    }
    std::string error;
    {
        platform::BusyPointer busy(services_);
        error = save_(merge_.Result(), merge_.OursRows());
    }
    if (!error.empty()) {
        ReportFailure(services_, error);
        return;
    }
    saved_ = true;
    Unload();
}

void frmMerge::cmdClose_Click() {
    Unload();
}

bool frmMerge::QueryUnload() {
    if (saved_)
        return true;
    const std::size_t left = merge_.Left();
    const Answer answer = services_.ShowMessage(
        {"The merge of " + fileName_ + " is not saved" +
             (left > 0 ? "; " + CountText(left, "conflict is", "conflicts are") + " left" : std::string()) +
             ".\rClose without saving it?",
         "Close Merge", Buttons::YesNo, Icon::Warning, Answer::No});
    return answer == Answer::Yes;
}

} // namespace kestrix
