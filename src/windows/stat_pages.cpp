#include "windows/stat_pages.h"

#include "model/formula.h"
#include "model/stat_catalogue.h"
#include "model/stat_description.h"
#include "model/stat_help.h"

#include <algorithm>
#include <span>
#include <stdexcept>

namespace kestrix {

using platform::Answer;
using platform::Buttons;
using platform::DropDown;
using platform::Icon;

// The pages and their rows, from where each stat's description places it.
const std::vector<StatPage>& StatPages() {
    static const std::vector<StatPage> pages = [] {
        std::vector<StatPage> built;
        for (const std::string_view name : kStatPageNames)
            built.push_back({name, {}});
        for (int column = 0; column < kStatCount; ++column) {
            const StatDescription& stat = DescriptionOf(column);
            std::vector<StatPageRow>& rows = built.at(static_cast<std::size_t>(stat.place.page)).rows;
            if (rows.size() <= static_cast<std::size_t>(stat.place.row))
                rows.resize(static_cast<std::size_t>(stat.place.row) + 1);
            StatPageRow& row = rows[static_cast<std::size_t>(stat.place.row)];
            if (row.columns.empty() && stat.control != StatControlKind::CheckBox)
                row.caption = stat.place.label;
            row.columns.push_back(column);
        }
        return built;
    }();
    return pages;
}

std::vector<std::string> StatPageCaptions() {
    std::vector<std::string> captions;
    for (const StatPage& page : StatPages())
        captions.emplace_back(page.caption);
    return captions;
}

int PageOfColumn(int column) {
    return column >= 0 && column < kStatCount ? DescriptionOf(column).place.page : 0;
}

std::string_view RefusalNote(platform::TextField::Refusal refusal) {
    return refusal == platform::TextField::Refusal::Separator
               ? "Not taken: a value holds no blank, tab or line end."
               : "Not taken: the file holds 8-bit characters only.";
}

namespace {

// What assistive tools call the field of a column: its row's caption, and the axis where a row has three.
std::string SpokenName(const StatPageRow& row, std::size_t index) {
    std::string_view name = row.caption;
    while (!name.empty() && (name.back() == ':' || name.back() == ' '))
        name.remove_suffix(1);
    if (row.columns.size() == 1)
        return std::string(name);
    if (name.ends_with(" x/y/z"))
        name.remove_suffix(6);
    return std::string(name) + " " + "xyz"[index % 3];
}

} // namespace

StatPageBinding::StatPageBinding(Document& doc, platform::Services& services, Controls controls)
    : doc_(doc), services_(services), txtStat(controls.txtStat), LabStat(controls.LabStat),
      chkABS(controls.chkABS), lvFlags(controls.lvFlags),
      lblFlagsNote(controls.lblFlagsNote), choices_{{{&controls.cboDrive, DriveType},
                                                     {&controls.cboEngine, EngineType},
                                                     {&controls.cboFront, FrontLights},
                                                     {&controls.cboRear, RearLights}}} {
    for (const StatPage& page : StatPages()) {
        for (const StatPageRow& row : page.rows) {
            if (row.caption.empty())
                continue; // the ABS check box carries its own caption
            for (std::size_t i = 0; i < row.columns.size(); ++i) {
                const int column = row.columns[i];
                txtStat[static_cast<std::size_t>(column)].SetSpokenName(SpokenName(row, i));
                StatControl(column).SetSpokenName(SpokenName(row, i));
            }
            auto label = std::make_unique<platform::Label>("LabStat" + std::to_string(LabStat.size()));
            label->SetCaption(std::string(row.caption));
            LabStat.push_back(std::move(label));
        }
    }
    for (int i = 0; i < kStatCount; ++i) {
        txtStat[static_cast<std::size_t>(i)].SetName("txtStat" + std::to_string(i));
        // A value never holds a blank or a line end: the file could not keep it. A
        // formula may hold blanks, since only its result is written.
        txtStat[static_cast<std::size_t>(i)].SetRefusedCharacters(" \t\r\n", '=', "\r\n");
        if (DescriptionOf(i).control != StatControlKind::Field)
            txtStat[static_cast<std::size_t>(i)].SetVisible(false);
    }
    chkABS.SetCaption(std::string(DescriptionOf(Abs).place.label));
    MarkChangedValues(-1);
}

platform::Control& StatPageBinding::StatControl(int column) {
    switch (DescriptionOf(column).control) {
    case StatControlKind::CheckBox:
        return chkABS;
    case StatControlKind::Flags:
        return lvFlags;
    case StatControlKind::ChoiceList:
        for (const ChoiceStat& stat : choices_)
            if (stat.column == column)
                return *stat.control;
        break;
    case StatControlKind::Field:
        break;
    }
    return txtStat.at(static_cast<std::size_t>(column));
}

void StatPageBinding::FillChoices() {
    for (const ChoiceStat& stat : choices_) {
        DropDown& control = *stat.control;
        control.Clear();
        const std::span<const std::string_view> choices = DescriptionOf(stat.column).choices;
        for (std::size_t i = 0; i < choices.size(); ++i)
            control.AddItem(std::string(choices[i]), static_cast<int>(i));
    }
    const std::span<const std::string_view> flags = DescriptionOf(Flags).choices;
    lvFlags.SetEntries(std::vector<std::string>(flags.begin(), flags.end()));
}

void StatPageBinding::EnableControls(bool hasCar) {
    for (int column = 0; column < kStatCount; ++column) {
        txtStat[static_cast<std::size_t>(column)].SetEnabled(hasCar && column != VehicleIdentifier);
        StatControl(column).SetEnabled(hasCar && column != VehicleIdentifier);
    }
    for (const auto& label : LabStat)
        label->SetEnabled(hasCar);
}

void StatPageBinding::ShowCar(int row) {
    edited_.reset();
    FillingControls = true;
    const CarRow& car = doc_.Cars()[static_cast<std::size_t>(row)];
    for (int i = 0; i < kStatCount; ++i)
        txtStat[static_cast<std::size_t>(i)].SetText(std::string(car[i]));
    SetChoiceControls();
    FillingControls = false;
    MarkChangedValues(row);
    ShowTyping();
}

void StatPageBinding::ClearShownCar() {
    edited_.reset();
    ShowTyping();
    inexact_.reset();
    FillingControls = true;
    for (platform::TextField& field : txtStat)
        field.SetText({});
    for (const ChoiceStat& stat : choices_)
        stat.control->SetListIndex(-1);
    for (int i = 0; i < lvFlags.Count(); ++i)
        lvFlags.SetTicked(i, false);
    chkABS.SetValue(0);
    FillingControls = false;
    MarkChangedValues(-1);
}

void StatPageBinding::SetChoiceControls() {
    for (int column = 0; column < kStatCount; ++column) {
        const StatDescription& stat = DescriptionOf(column);
        const std::string& stored = txtStat[static_cast<std::size_t>(column)].Text();
        const int entry = EntryOf(stat, stored);
        if (stat.control == StatControlKind::ChoiceList)
            static_cast<DropDown&>(StatControl(column)).SetListIndex(entry);
        else if (stat.control == StatControlKind::CheckBox)
            chkABS.SetValue(std::max(entry, 0));
        else
            continue;
        ShowStoredChoice(StatControl(column), column, entry >= 0 && StoredEntry(stat, entry) == stored);
    }
    const FlagTicks ticks = DecodeFlags(txtStat[Flags].Text());
    for (int i = 0; i < kFlagCount; ++i)
        lvFlags.SetTicked(i, ticks[static_cast<std::size_t>(i)]);
    lvFlags.SetCurrent(0);
}

void StatPageBinding::ShowStoredChoice(platform::Control&, int column, bool shownExactly) {
    inexact_.set(static_cast<std::size_t>(column), !shownExactly);
}

// The help of a stat, and what its value was in the saved file when it differs now.
std::string StatPageBinding::ValueTip(int column, int shown) const {
    std::string tip = StatTip(column);
    if (shown < 0 || !doc_.IsChangedValue(shown, column))
        return tip;
    const std::string_view saved = doc_.SavedCars()[static_cast<std::size_t>(doc_.SavedRowOf(shown))][column];
    return tip +
           (saved.empty() ? " Changed from an empty value." : " Changed from " + std::string(saved) + ".");
}

// A changed value's label is drawn bold and coloured, and its help says what the value was: a mark
// that takes no room, so nothing on the page moves and the label is heard as itself.
void StatPageBinding::MarkChangedValues(int shown) {
    std::size_t label = 0;
    for (const StatPage& page : StatPages())
        for (const StatPageRow& row : page.rows) {
            bool changed = false;
            std::string labelTip;
            for (const int column : row.columns) {
                changed = changed || (shown >= 0 && doc_.IsChangedValue(shown, column));
                const std::string tip = ValueTip(column, shown);
                labelTip +=
                    (labelTip.empty() ? "" : "\n") +
                    (row.columns.size() > 1 ? std::string(StatCatalogue::Instance()[column].StatName) + ": "
                                            : std::string()) +
                    tip;
                txtStat[static_cast<std::size_t>(column)].SetTip(tip);
                const std::string note = StoredNote(column, shown);
                StatControl(column).SetTip(note.empty() ? tip : tip + "\n" + note);
            }
            platform::Label& caption = row.caption.empty() ? chkABS : *LabStat.at(label++);
            caption.SetBold(changed);
            caption.SetForeColor(changed ? std::optional(kChangedColour) : std::nullopt);
            if (!row.caption.empty())
                caption.SetTip(labelTip);
        }
    lblFlagsNote.SetCaption(StoredNote(Flags, shown));
}

std::string StatPageBinding::StoredNote(int column, int shown) const {
    const std::string& stored = txtStat[static_cast<std::size_t>(column)].Text();
    if (column == Flags)
        return shown < 0 ? std::string() : FlagsStoredNote(stored);
    return inexact_[static_cast<std::size_t>(column)]
               ? "Stored in the file as \"" + stored + "\"; it stays so until you choose."
               : std::string();
}

void StatPageBinding::Typed(int row, int index) {
    if (FillingControls)
        return;
    const std::string& text = txtStat[static_cast<std::size_t>(index)].Text();
    edited_.set(static_cast<std::size_t>(index),
                row < 0 || text != doc_.Cars()[static_cast<std::size_t>(row)][index]);
    ShowTyping();
}

void StatPageBinding::ShowTyping() {
    if (edited_.any())
        doc_.NoteTyping();
    else
        doc_.DropTyping();
}

void StatPageBinding::Revert(int row, int index) {
    if (row < 0)
        return;
    platform::TextField& field = txtStat[static_cast<std::size_t>(index)];
    FillingControls = true;
    field.SetText(std::string(doc_.Cars()[static_cast<std::size_t>(row)][index]));
    FillingControls = false;
    edited_.reset(static_cast<std::size_t>(index));
    ShowTyping();
    field.Select(0, field.Text().size());
}

bool StatPageBinding::ResolveFormula(int row, int index, bool noteProblem) {
    platform::TextField& field = txtStat[static_cast<std::size_t>(index)];
    if (!IsFormula(field.Text()) || row < 0)
        return true;
    const CarRow& car = doc_.Cars()[static_cast<std::size_t>(row)];
    const FormulaResult result = EvaluateFormula(field.Text(), {car[index], index, &car});
    if (result.value) {
        field.SetText(*result.value);
        return true;
    }
    if (noteProblem)
        services_.ShowMessage({FormulaRefusal(field.Text(), result.problem), "Formula", Buttons::Ok,
                               Icon::Warning, Answer::Ok});
    return false;
}

bool StatPageBinding::KeepFieldEdits(int row) {
    if (doc_.FilePath().empty() || row < 0)
        return false;
    std::vector<CellEdit> edits;
    std::bitset<kStatCount> typed = edited_;
    for (int i = 0; i < kStatCount; ++i)
        // A formula that cannot be worked out stays in its field as typing, and the value as it was.
        if (typed[static_cast<std::size_t>(i)] && ResolveFormula(row, i, false)) {
            edits.push_back({row, i, txtStat[static_cast<std::size_t>(i)].Text()});
            typed.reset(static_cast<std::size_t>(i));
        }
    edited_ = typed;
    Change change = ValuesChange(doc_.Cars(), edits, {});
    if (change.Empty()) {
        ShowTyping();
        return false;
    }
    const std::string car(doc_.Cars()[static_cast<std::size_t>(row)][VehicleIdentifier]);
    change.caption = change.cells.size() == 1
                         ? "Edit " + std::string(StatCatalogue::Instance()[change.cells[0].column].StatName) +
                               " of '" + car + "'"
                         : CountedCaption("Edit '" + car + "'", change.cells.size());
    doc_.Commit(std::move(change));
    ShowTyping();
    return true;
}

// A choice puts its stored form into the stat's hidden field; the user's choice is committed at once.
void StatPageBinding::Choose(const DropDown& control, int row) {
    const auto stat = std::find_if(choices_.begin(), choices_.end(), [&control](const ChoiceStat& choice) {
        return choice.control == &control;
    });
    if (stat == choices_.end())
        throw std::logic_error("not a choice stat: " + control.Name());
    const int position = control.ListIndex();
    // Showing a car only shows its values; the stored text stays until the user chooses.
    if (position < 0 || FillingControls)
        return;
    platform::TextField& field = txtStat[static_cast<std::size_t>(stat->column)];
    const StatDescription& description = DescriptionOf(stat->column);
    // The entry shown already stays as it is stored, also a value shown rounded.
    if (EntryOf(description, field.Text()) == position)
        return;
    field.SetText(StoredEntry(description, position));
    inexact_.reset(static_cast<std::size_t>(stat->column));
    MarkChangedValues(row);
    KeepFieldEdits(row);
}

void StatPageBinding::ChooseAbs(int row) {
    // While a car is shown, the stored value stays as it is, also one the box shows rounded.
    if (FillingControls)
        return;
    txtStat[Abs].SetText(StoredEntry(DescriptionOf(Abs), chkABS.Value() ? 1 : 0));
    inexact_.reset(Abs);
    MarkChangedValues(row);
    KeepFieldEdits(row);
}

void StatPageBinding::ChooseFlags(int row) {
    if (FillingControls)
        return;
    FlagTicks ticks{};
    for (int i = 0; i < kFlagCount; ++i)
        ticks[static_cast<std::size_t>(i)] = lvFlags.Ticked(i);
    platform::TextField& field = txtStat[Flags];
    std::string stored = FlagsAfterTicks(field.Text(), ticks);
    if (stored == field.Text())
        return;
    field.SetText(std::move(stored));
    KeepFieldEdits(row);
}

} // namespace kestrix
