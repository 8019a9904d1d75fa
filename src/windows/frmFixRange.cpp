#include "windows/frmFixRange.h"

#include "document/change.h"
#include "model/stat_catalogue.h"

#include <algorithm>

namespace kestrix {

using platform::GridColumn;

namespace {

constexpr std::string_view kTicked = "yes"; // shown beside the tick, and heard
constexpr std::string_view kUnticked = "no";
constexpr std::string_view kLeft = "left as it is";
constexpr int kEveryStat = -1;

// The list takes no filter of its own: the stat chosen above it filters it.
int NoColumn(std::string_view, std::string& problem) {
    problem = "the list takes no filter";
    return -1;
}

std::vector<GridColumn> FixColumns() {
    std::vector<GridColumn> columns(6);
    const char* headers[] = {"Fix", "Car", "Stat", "Value", "Becomes", "Why"};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        columns[i].header = headers[i];
        columns[i].editing = GridColumn::Editing::ReadOnly;
    }
    GridColumn& fix = columns[frmFixRange::kFix];
    fix.editing = GridColumn::Editing::Tick;
    fix.entries = {"no", "yes"};
    fix.stored = {std::string(kUnticked), std::string(kTicked)};
    fix.entryOf = [](std::string_view value) { return value == kTicked ? 1 : value == kUnticked ? 0 : -1; };
    fix.tip = "Ticked: the value becomes the value beside it when you apply";
    return columns;
}

std::string StatEntry(int column) {
    return FirstCellText(static_cast<std::int16_t>(column)) + " " +
           std::string(StatCatalogue::Instance()[column].StatName);
}

} // namespace

frmFixRange::frmFixRange(Document& doc, platform::Services& services)
    : Window("frmFixRange"), grdFixes("grdFixes", PlainNumber, NoColumn), doc_(doc), services_(services) {
    SetCaption("Fix Out-of-Range Values");
    SetResizable(true);
    lblStat.SetCaption("&Stat :");
    cboStat.SetSpokenName("Stat");
    grdFixes.SetSpokenName("Values to fix");
    cmdSelectAll.SetCaption("Select &all");
    cmdSelectNone.SetCaption("Select &none");
    cmdApply.SetCaption("A&pply");
    cmdCancel.SetCaption("Cancel");
    DefaultButton = &cmdApply;
    CancelButton = &cmdCancel;
    cboStat.Click = [this] { cboStat_Click(); };
    grdFixes.CellsEdited = [this](const std::vector<platform::GridEdit>& edits) {
        grdFixes_CellsEdited(edits);
    };
    cmdSelectAll.Click = [this] { cmdSelectAll_Click(); };
    cmdSelectNone.Click = [this] { cmdSelectNone_Click(); };
    cmdApply.Click = [this] { cmdApply_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    Focus.Join({&cboStat, &grdFixes, &cmdSelectAll, &cmdSelectNone, &cmdApply, &cmdCancel});
}

void frmFixRange::Form_Load() {
    fixes_ = RangeFixes(doc_.Cars(), doc_.Numbers(), doc_.Rules());
    chosen_.assign(fixes_.size(), true);
    std::vector<bool> present(kStatCount);
    for (const RangeFix& fix : fixes_)
        present[static_cast<std::size_t>(fix.column)] = true;
    cboStat.AddItem("(every stat)", kEveryStat);
    for (int column = 0; column < kStatCount; ++column)
        if (present[static_cast<std::size_t>(column)])
            cboStat.AddItem(StatEntry(column), column);
    grdFixes.SetColumns(FixColumns());
    cboStat.SetListIndex(0); // raises cboStat_Click, which fills the list
    grdFixes.SetFocus();
}

std::string_view frmFixRange::Text(int row, int column) const {
    const int index = shown_[static_cast<std::size_t>(row)];
    const RangeFix& fix = fixes_[static_cast<std::size_t>(index)];
    const CarRow& car = doc_.Cars()[static_cast<std::size_t>(fix.row)];
    switch (column) {
    case kFix:
        if (!fix.Fixable())
            return {};
        return chosen_[static_cast<std::size_t>(index)] ? kTicked : kUnticked;
    case kCar:
        return car[VehicleIdentifier];
    case kStat:
        return StatCatalogue::Instance()[fix.column].StatName;
    case kValue:
        return car[fix.column];
    case kBecomes:
        return fix.Fixable() ? std::string_view(fix.fixed) : kLeft;
    default:
        return Message(index);
    }
}

const std::string& frmFixRange::Message(int fix) const {
    const auto [found, added] = messages_.try_emplace(fix);
    if (added)
        found->second =
            FindingMessage(fixes_[static_cast<std::size_t>(fix)], doc_.Cars(), doc_.Numbers(), doc_.Rules());
    return found->second;
}

void frmFixRange::cboStat_Click() {
    ShowRows();
}

void frmFixRange::ShowRows() {
    const int stat = cboStat.ListIndex() < 0 ? kEveryStat : cboStat.ItemData(cboStat.ListIndex());
    shown_.clear();
    for (std::size_t i = 0; i < fixes_.size(); ++i)
        if (stat == kEveryStat || fixes_[i].column == stat)
            shown_.push_back(static_cast<int>(i));
    grdFixes.SetSource(this);
    if (!shown_.empty())
        grdFixes.Select({{0, kFix, 0, kFix}}, {0, kFix});
    ShowCount();
}

void frmFixRange::grdFixes_CellsEdited(const std::vector<platform::GridEdit>& edits) {
    for (const platform::GridEdit& edit : edits) {
        const std::size_t fix = static_cast<std::size_t>(shown_.at(static_cast<std::size_t>(edit.row)));
        if (edit.column == kFix && fixes_[fix].Fixable())
            chosen_[fix] = edit.value == kTicked;
    }
    grdFixes.ValuesChanged();
    ShowCount();
}

void frmFixRange::ChooseShown(bool chosen) {
    for (const int fix : shown_)
        chosen_[static_cast<std::size_t>(fix)] = chosen;
    grdFixes.ValuesChanged();
    ShowCount();
}

void frmFixRange::cmdSelectAll_Click() {
    ChooseShown(true);
}

void frmFixRange::cmdSelectNone_Click() {
    ChooseShown(false);
}

void frmFixRange::ShowCount() {
    std::size_t fixable = 0;
    std::size_t ticked = 0;
    for (std::size_t i = 0; i < fixes_.size(); ++i) {
        fixable += fixes_[i].Fixable();
        ticked += fixes_[i].Fixable() && chosen_[i];
    }
    const std::size_t left = fixes_.size() - fixable;
    std::string count = std::to_string(ticked) + " of " + std::to_string(fixable) +
                        (fixable == 1 ? " value" : " values") + " ticked to fix";
    if (left > 0)
        count += "; " + std::to_string(left) + (left == 1 ? " is" : " are") + " left as " +
                 (left == 1 ? "it is" : "they are");
    lblCount.SetCaption(count + ".");
    cmdApply.SetEnabled(ticked > 0);
}

void frmFixRange::cmdApply_Click() {
    Change change = RangeFixChange(doc_.Cars(), fixes_, chosen_);
    Unload();
    doc_.Commit(std::move(change));
}

void frmFixRange::cmdCancel_Click() {
    Unload();
}

} // namespace kestrix
