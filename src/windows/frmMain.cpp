#include "windows/frmMain.h"

#include "cars/cars.h"
#include "handling_file/file_io.h"
#include "model/stat_description.h"
#include "model/stat_help.h"
#include "windows/file_dialogs.h"
#include "windows/frmAbout.h"
#include "windows/frmAddCar.h"
#include "windows/frmCarTable.h"
#include "windows/frmChanges.h"
#include "windows/frmChart.h"
#include "windows/frmComments.h"
#include "windows/frmCompareFiles.h"
#include "windows/frmErrors.h"
#include "windows/frmInfo.h"
#include "windows/frmPreferences.h"

#include <algorithm>
#include <span>
#include <stdexcept>

namespace kestrix {

using platform::Answer;
using platform::Buttons;
using platform::DropDown;
using platform::Icon;
using platform::MenuEntry;
using platform::Shortcut;

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

int PageOfColumn(int column) {
    return column >= 0 && column < kStatCount ? DescriptionOf(column).place.page : 0;
}

namespace {

// The drop-down list of each choice stat.
struct ChoiceStat {
    DropDown frmMain::*control;
    int column;
};

constexpr ChoiceStat kChoiceStats[] = {
    {&frmMain::cboDrive, DriveType},
    {&frmMain::cboEngine, EngineType},
    {&frmMain::cboFront, FrontLights},
    {&frmMain::cboRear, RearLights},
};

enum class Needs { Nothing, Document, Car };

struct MenuItem {
    MenuEntry frmMain::*entry;
    MenuEntry frmMain::*menu; // nullptr: a menu of the menu bar
    std::string_view caption;
    Shortcut key;
    Needs needs;
    void (frmMain::*handler)();
};

// Entries without a handler open windows that the editor does not have yet.
const MenuItem kMenus[] = {
    {&frmMain::mnuFile, nullptr, "&File", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuLoad, &frmMain::mnuFile, "&Open Handling File...", Shortcut::CtrlO, Needs::Nothing,
     &frmMain::mnuLoad_Click},
    {&frmMain::mnuRecent, &frmMain::mnuFile, "Recent &Files", Shortcut::None, Needs::Nothing,
     &frmMain::mnuRecent_Click},
    {&frmMain::sep3, &frmMain::mnuFile, "-", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuSave, &frmMain::mnuFile, "&Save Current File", Shortcut::CtrlS, Needs::Document,
     &frmMain::mnuSave_Click},
    {&frmMain::mnuSaveAs, &frmMain::mnuFile, "Save &As...", Shortcut::CtrlA, Needs::Document,
     &frmMain::mnuSaveAs_Click},
    {&frmMain::mnuRevert, &frmMain::mnuFile, "&Revert to last save...", Shortcut::CtrlR, Needs::Document,
     &frmMain::mnuRevert_Click},
    {&frmMain::mnuCompareFile, &frmMain::mnuFile, "Co&mpare with File...", Shortcut::None, Needs::Document,
     &frmMain::mnuCompareFile_Click},
    {&frmMain::mnuCompareSaved, &frmMain::mnuFile, "Compare with Sa&ved", Shortcut::None, Needs::Document,
     &frmMain::mnuCompareSaved_Click},
    {&frmMain::sep1, &frmMain::mnuFile, "-", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuImport, &frmMain::mnuFile, "&Import", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuImportCarStats, &frmMain::mnuImport, "&Car Statistics...", Shortcut::None, Needs::Document,
     &frmMain::mnuImportCarStats_Click},
    {&frmMain::mnuExport, &frmMain::mnuFile, "&Export", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuExportCarStats, &frmMain::mnuExport, "&Car Statistics...", Shortcut::None, Needs::Car,
     &frmMain::mnuExportCarStats_Click},
    {&frmMain::sep2, &frmMain::mnuFile, "-", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuExit, &frmMain::mnuFile, "E&xit", Shortcut::None, Needs::Nothing, &frmMain::mnuExit_Click},
    {&frmMain::mnuEdit, nullptr, "&Edit", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuUndo, &frmMain::mnuEdit, "&Undo", Shortcut::CtrlZ, Needs::Document,
     &frmMain::mnuUndo_Click},
    {&frmMain::mnuRedo, &frmMain::mnuEdit, "&Redo", Shortcut::CtrlY, Needs::Document,
     &frmMain::mnuRedo_Click},
    {&frmMain::sep4, &frmMain::mnuEdit, "-", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuChanges, &frmMain::mnuEdit, "&Changes...", Shortcut::None, Needs::Document,
     &frmMain::mnuChanges_Click},
    {&frmMain::mnuCars, nullptr, "&Cars", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuAdd, &frmMain::mnuCars, "&Add new car...", Shortcut::None, Needs::Document,
     &frmMain::mnuAdd_Click},
    {&frmMain::mnuDelete, &frmMain::mnuCars, "&Delete Car...", Shortcut::None, Needs::Car,
     &frmMain::mnuDelete_Click},
    {&frmMain::mnuRename, &frmMain::mnuCars, "&Rename Car...", Shortcut::F2, Needs::Car,
     &frmMain::mnuRename_Click},
    {&frmMain::mnuCarTable, &frmMain::mnuCars, "Car &Table...", Shortcut::CtrlT, Needs::Document,
     &frmMain::mnuCarTable_Click},
    {&frmMain::mnuTools, nullptr, "&Tools", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuViewProperties, &frmMain::mnuTools, "&View Stat Properties...", Shortcut::CtrlP,
     Needs::Nothing, &frmMain::mnuViewProperties_Click},
    {&frmMain::mnuFileComments, &frmMain::mnuTools, "&File Coments...", Shortcut::CtrlC, Needs::Document,
     &frmMain::mnuFileComments_Click},
    {&frmMain::mnuChart, &frmMain::mnuTools, "Stat &Chart...", Shortcut::None, Needs::Document,
     &frmMain::mnuChart_Click},
    {&frmMain::mnuPreferences, &frmMain::mnuTools, "&Preferences...", Shortcut::None, Needs::Nothing,
     &frmMain::mnuPreferences_Click},
    {&frmMain::mnuHelp, nullptr, "&Help", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuAbout, &frmMain::mnuHelp, "&About", Shortcut::None, Needs::Nothing,
     &frmMain::mnuAbout_Click},
};

constexpr const char* kPlaceSetting = "Main/Place";

// The question names the file that is open.
std::string CloseQuestion(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return "The current " + name + " file has been modified.\rDo you wish to save your changes?";
}

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

// A file in the recent files menu: its name, then its folder; "&" stays a character.
std::string RecentCaption(std::size_t index, const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    std::string caption =
        "&" + std::to_string(index + 1) + " " +
        (slash == std::string::npos
             ? path
             : path.substr(slash + 1) + "   (" + path.substr(0, std::max<std::size_t>(slash, 1)) + ")");
    std::string escaped;
    for (std::size_t i = 0; i < caption.size(); ++i)
        escaped += i > 0 && caption[i] == '&' ? "&&" : std::string(1, caption[i]);
    return escaped;
}

// Why a typed or pasted text did not enter a stat field.
std::string_view RefusalNote(platform::TextField::Refusal refusal) {
    return refusal == platform::TextField::Refusal::Separator
               ? "Not taken: a value holds no blank, tab or line end."
               : "Not taken: the file holds 8-bit characters only.";
}

constexpr std::string_view kRevertQuestion =
    "Are you sure you wish to revert to your last save?\rYou will lose any "
    "changes you have made  sinse you last saved the file.";

std::vector<std::string> PageCaptions() {
    std::vector<std::string> captions;
    for (const StatPage& page : StatPages())
        captions.emplace_back(page.caption);
    return captions;
}

const ChoiceStat& ChoiceOf(const frmMain& form, const DropDown& control) {
    for (const ChoiceStat& stat : kChoiceStats)
        if (&(form.*stat.control) == &control)
            return stat;
    throw std::logic_error("not a choice stat: " + control.Name());
}

// A choice puts its stored form into the stat's hidden field; the user's choice is committed at once.
void WriteChoice(frmMain& form, const ChoiceStat& stat) {
    const DropDown& control = form.*stat.control;
    const int position = control.ListIndex();
    // Showing a car only shows its values; the stored text stays until the user chooses.
    if (position < 0 || form.FillingControls)
        return;
    form.txtStat[static_cast<std::size_t>(stat.column)].SetText(
        StoredEntry(DescriptionOf(stat.column), position));
    form.StatControl(stat.column).SetTip(StatTip(stat.column));
    // The user's choice marks the document even when it leaves the value as it was.
    if (!form.FillingControls && !form.KeepFieldEdits())
        form.MarkModified();
}

// A window beside this one opens once: the menu brings it to the front while it is open.
template <class Form> bool BroughtToFront(const std::weak_ptr<Form>& window) {
    const auto open = window.lock();
    if (!open || open->IsClosed())
        return false;
    open->BringToFront();
    return true;
}

template <class Form, class Opened>
void OpenBeside(platform::Services& services, std::weak_ptr<Form>& window, std::shared_ptr<Opened> opened) {
    window = opened;
    services.ShowBeside(std::move(opened));
}

} // namespace

frmMain::frmMain(Document& doc, platform::Services& services)
    : Window("frmMain"), tabGeneral("tabGeneral", PageCaptions()), lvErrors("lvErrors", {"", "Car", "Error"}),
      doc_(doc), services_(services), recent_(services), recovery_(doc) {
    SetResizable(true);
    SetMinMaxBoxes(true);
    SetPlace(platform::PlacementOf(services_.ReadSetting(kPlaceSetting)));
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
        // A value never holds a blank or a line end: the file could not keep it.
        txtStat[static_cast<std::size_t>(i)].SetRefusedCharacters(" \t\r\n");
    }
    Label1.SetCaption("Cars :");
    Label2.SetCaption("Errors :");
    chkABS.SetCaption(std::string(DescriptionOf(Abs).place.label));
    cmdViewErrors.SetCaption("View all errors ...");
    mnuRedo.OtherKey = Shortcut::CtrlShiftZ;
    BuildMenus();
    ConnectHandlers();
    ConnectErrorLists();
    doc_.Observe(*this);
}

frmMain::~frmMain() {
    doc_.Forget(*this);
}

void frmMain::BuildMenus() {
    for (const MenuItem& item : kMenus) {
        MenuEntry& entry = this->*item.entry;
        entry.IsSeparator = item.caption == "-";
        entry.SetCaption(entry.IsSeparator ? "" : std::string(item.caption));
        entry.Key = item.key;
        if (item.handler)
            entry.Click = [this, handler = item.handler] { (this->*handler)(); };
        if (item.menu)
            (this->*item.menu).Entries.push_back(&entry);
        else
            MenuBar.push_back(&entry);
    }
    for (std::size_t i = 0; i < mnuRecentFile.size(); ++i) {
        mnuRecentFile[i].SetName("mnuRecentFile" + std::to_string(i));
        mnuRecentFile[i].Click = [this, i] { mnuRecentFile_Click(static_cast<int>(i)); };
        mnuRecent.Entries.push_back(&mnuRecentFile[i]);
    }
    sepRecent.IsSeparator = true;
    mnuRemoveMissing.SetCaption("&Remove Missing Files");
    mnuRemoveMissing.Click = [this] { mnuRemoveMissing_Click(); };
    mnuRecent.Entries.insert(mnuRecent.Entries.end(), {&sepRecent, &mnuRemoveMissing});
    ShowRecentFiles();
}

void frmMain::ConnectHandlers() {
    Activated = [this] { Form_Activate(); };
    cboCars.Click = [this] { cboCars_Click(); };
    cboCars.DropDownOpening = [this] { cboCars_DropDown(); };
    // Every change of car, also by the arrow keys, first keeps the shown car's edits.
    cboCars.UserSelecting = [this] { StatsToArray(); };
    tabGeneral.Click = [this] { tabGeneral_Click(); };
    for (int i = 0; i < kStatCount; ++i) {
        platform::TextField& field = txtStat[static_cast<std::size_t>(i)];
        field.Change = [this, i] { txtStat_Change(i); };
        field.GotFocus = [this, i] { txtStat_GotFocus(i); };
        field.LostFocus = [this, i] { txtStat_LostFocus(i); };
        field.Commit = [this, i] { txtStat_Commit(i); };
        field.Revert = [this, i] { txtStat_Revert(i); };
        field.Refused = [this](platform::TextField::Refusal refusal) { txtStat_Refused(refusal); };
        field.JoinFocusScope(Focus);
    }
    // A stat edited by a choice keeps its stored value in a hidden field.
    for (int column = 0; column < kStatCount; ++column)
        if (DescriptionOf(column).control != StatControlKind::Field)
            txtStat[static_cast<std::size_t>(column)].SetVisible(false);
    cboDrive.Click = [this] { cboDrive_Click(); };
    cboEngine.Click = [this] { cboEngine_Click(); };
    cboFront.Click = [this] { cboFront_Click(); };
    cboRear.Click = [this] { cboRear_Click(); };
    chkABS.Click = [this] { chkABS_Click(); };
    lvFlags.Click = [this] { lvFlags_Click(); };
    Focus.Join({&cboCars, &tabGeneral, &cboDrive, &cboEngine, &cboFront, &cboRear, &chkABS, &lvFlags,
                &lvErrors, &cmdViewErrors});
    txtStat[VehicleIdentifier].SetCanFocus(false);
}

platform::Control& frmMain::StatControl(int column) {
    switch (DescriptionOf(column).control) {
    case StatControlKind::CheckBox:
        return chkABS;
    case StatControlKind::Flags:
        return lvFlags;
    case StatControlKind::ChoiceList:
        for (const ChoiceStat& stat : kChoiceStats)
            if (stat.column == column)
                return this->*stat.control;
        break;
    case StatControlKind::Field:
        break;
    }
    return txtStat.at(static_cast<std::size_t>(column));
}

void frmMain::Form_Load() {
    SetCaption(std::string(kProgramTitle));
    for (const ChoiceStat& stat : kChoiceStats) {
        DropDown& control = this->*stat.control;
        control.Clear();
        const std::span<const std::string_view> choices = DescriptionOf(stat.column).choices;
        for (std::size_t i = 0; i < choices.size(); ++i)
            control.AddItem(std::string(choices[i]), static_cast<int>(i));
    }
    const std::span<const std::string_view> flags = DescriptionOf(Flags).choices;
    lvFlags.SetEntries(std::vector<std::string>(flags.begin(), flags.end()));
    SetFileLoaded(false);
    tabGeneral.SetTab(0);
    ApplyPreferences();
    recovery_.SetFolder(services_.StateFolder());

    // The desktop passes the file as one quoted path.
    const std::string commandLine = services_.CommandLine();
    std::string path;
    if (commandLine.size() > 2)
        path = commandLine.substr(1, commandLine.size() - 2);
    else if (SettingOn(services_, kReopenLastFile) && !recent_.Paths().empty() &&
             RecentFiles::Exists(recent_.Paths().front()))
        path = recent_.Paths().front();
    if (!path.empty())
        OpenFile(path);
    // Started on a file, its own journals are offered; a plain start offers any.
    OfferRecovery(commandLine.size() > 2 ? &path : nullptr);
    ShowState();
}

void frmMain::ApplyPreferences() {
    TextFieldsKeepEditingKeys = SettingOn(services_, kTextFieldsKeepEditingKeys);
    // Strict checks switched on or off check the whole file again under the new rules.
    const CheckRules rules = SettingOn(services_, kStrictChecks) ? CheckRules::Strict : CheckRules::Standard;
    doc_.SetCheckRules(rules);
}

void frmMain::mnuPreferences_Click() {
    frmPreferences preferences(services_);
    services_.ShowModal(preferences);
    ApplyPreferences();
}

int frmMain::ShownRow() const {
    const int position = cboCars.ListIndex();
    if (position < 0)
        return -1;
    const int row = cboCars.ItemData(position);
    return row < static_cast<int>(doc_.Cars().size()) ? row : -1;
}

void frmMain::cboCars_Click() {
    const int row = ShownRow();
    if (row >= 0)
        ShowCar(row);
}

void frmMain::ShowCar(int row) {
    edited_.reset();
    FillingControls = true;
    const CarRow& car = doc_.Cars()[static_cast<std::size_t>(row)];
    for (int i = 0; i < kStatCount; ++i)
        txtStat[static_cast<std::size_t>(i)].SetText(std::string(car[i]));
    SetChoiceControls();
    FillingControls = false;
    MarkChangedValues();
}

void frmMain::ClearShownCar() {
    edited_.reset();
    FillingControls = true;
    for (platform::TextField& field : txtStat)
        field.SetText({});
    for (const ChoiceStat& stat : kChoiceStats)
        (this->*stat.control).SetListIndex(-1);
    for (int i = 0; i < lvFlags.Count(); ++i)
        lvFlags.SetTicked(i, false);
    chkABS.SetValue(0);
    FillingControls = false;
    MarkChangedValues();
}

void frmMain::SetChoiceControls() {
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

void frmMain::ShowStoredChoice(platform::Control& control, int column, bool shownExactly) {
    const std::string& stored = txtStat[static_cast<std::size_t>(column)].Text();
    control.SetTip(shownExactly ? StatTip(column)
                                : StatTip(column) + "\nStored in the file as \"" + stored +
                                      "\"; it stays so until you choose.");
}

void frmMain::cboCars_DropDown() {
    StatsToArray();
}

void frmMain::tabGeneral_Click() {
    StatsToArray();
}

void frmMain::txtStat_Change(int index) {
    if (FillingControls)
        return;
    edited_.set(static_cast<std::size_t>(index));
    doc_.NoteTyping();
}

void frmMain::txtStat_Refused(platform::TextField::Refusal refusal) {
    ShowNote(std::string(RefusalNote(refusal)));
}

void frmMain::txtStat_GotFocus(int index) {
    CurrentStat = static_cast<std::int16_t>(index);
}

void frmMain::txtStat_LostFocus(int index) {
    ResolveRelativeInput(index, true);
    StatsToArray();
}

void frmMain::txtStat_Commit(int index) {
    ResolveRelativeInput(index, true);
    StatsToArray();
    platform::TextField& field = txtStat[static_cast<std::size_t>(index)];
    field.Select(0, field.Text().size());
}

void frmMain::txtStat_Revert(int index) {
    const int row = ShownRow();
    if (row < 0)
        return;
    platform::TextField& field = txtStat[static_cast<std::size_t>(index)];
    FillingControls = true;
    field.SetText(std::string(doc_.Cars()[static_cast<std::size_t>(row)][index]));
    FillingControls = false;
    edited_.reset(static_cast<std::size_t>(index));
    field.Select(0, field.Text().size());
}

bool frmMain::ResolveRelativeInput(int index, bool noteTypo) {
    platform::TextField& field = txtStat[static_cast<std::size_t>(index)];
    const int row = ShownRow();
    if (!IsRelativeInput(field.Text()) || row < 0)
        return true;
    const std::string_view committed = doc_.Cars()[static_cast<std::size_t>(row)][index];
    if (const std::optional<std::string> value = RelativeValue(field.Text(), committed)) {
        field.SetText(*value);
        return true;
    }
    if (noteTypo)
        services_.ShowMessage({"\"" + field.Text() + "\" cannot change \"" + std::string(committed) +
                                   "\".\rA relative change is =*1.2, =/2, =+10, =-50 or =+10% on a number.",
                               "Relative Change", Buttons::Ok, Icon::Warning, Answer::Ok});
    return false;
}

void frmMain::StatsToArray() {
    KeepFieldEdits();
    ReportRecoveryProblem();
}

void frmMain::ErrorCheck() {
    ShowErrors({0, lvErrors.RowCount(), static_cast<int>(doc_.Errors().Rows().size())});
}

void frmMain::ShowErrors(const RowSplice& splice) {
    const ErrorRegister& errors = doc_.Errors();
    const std::vector<ErrorRecord>& rows = errors.Rows();
    std::vector<std::string> cells;
    cells.reserve(static_cast<std::size_t>(splice.added) * 3);
    for (int i = splice.first; i < splice.first + splice.added; ++i) {
        const ErrorRecord& row = rows[static_cast<std::size_t>(i)];
        cells.push_back(FirstCellText(row.ErrorNumber));
        cells.push_back(row.CarString);
        cells.push_back(row.ExplanationString);
    }
    lvErrors.ReplaceRows(splice.first, splice.removed, std::move(cells));
    // The list holds so many rows; the caption says how many more there are.
    Label2.SetCaption(errors.LeftOut() > 0
                          ? "Errors : (" + std::to_string(errors.LeftOut()) + " more not listed)"
                          : "Errors :");
}

void frmMain::cboDrive_Click() {
    WriteChoice(*this, ChoiceOf(*this, cboDrive));
}
void frmMain::cboEngine_Click() {
    WriteChoice(*this, ChoiceOf(*this, cboEngine));
}
void frmMain::cboFront_Click() {
    WriteChoice(*this, ChoiceOf(*this, cboFront));
}
void frmMain::cboRear_Click() {
    WriteChoice(*this, ChoiceOf(*this, cboRear));
}

void frmMain::chkABS_Click() {
    // While a car is shown, the stored value stays as it is, also one the box shows rounded.
    if (FillingControls)
        return;
    txtStat[Abs].SetText(StoredEntry(DescriptionOf(Abs), chkABS.Value() ? 1 : 0));
    chkABS.SetTip(StatTip(Abs));
    KeepFieldEdits();
}

void frmMain::lvFlags_Click() {
    if (FillingControls)
        return;
    FlagTicks ticks{};
    for (int i = 0; i < kFlagCount; ++i)
        ticks[static_cast<std::size_t>(i)] = lvFlags.Ticked(i);
    const std::string stored = EncodeFlags(ticks);
    // Emptied, then built digit by digit: each step is a change of the field.
    platform::TextField& field = txtStat[Flags];
    field.SetText({});
    for (std::size_t length = 1; length <= stored.size(); ++length)
        field.SetText(stored.substr(0, length));
    KeepFieldEdits();
}

void frmMain::MarkModified() {
    doc_.NoteTyping();
}

void frmMain::SetFileLoaded(bool loaded) {
    EnableControls(loaded);
    SetCaption(TitleText(doc_.FilePath(), loaded, loaded && doc_.Modified()));
}

void frmMain::EnableControls(bool loaded) {
    const bool hasCar = loaded && !doc_.Cars().empty();
    cboCars.SetEnabled(loaded);
    Label1.SetEnabled(loaded);
    Label2.SetEnabled(loaded);
    lvErrors.SetEnabled(loaded);
    tabGeneral.SetEnabled(hasCar);
    for (int column = 0; column < kStatCount; ++column) {
        txtStat[static_cast<std::size_t>(column)].SetEnabled(hasCar && column != VehicleIdentifier);
        StatControl(column).SetEnabled(hasCar && column != VehicleIdentifier);
    }
    for (const auto& label : LabStat)
        label->SetEnabled(hasCar);
    for (const MenuItem& item : kMenus) {
        const bool available = item.needs == Needs::Nothing || (item.needs == Needs::Document && loaded) ||
                               (item.needs == Needs::Car && hasCar);
        (this->*item.entry).SetEnabled(available);
    }
    mnuUndo.SetEnabled(loaded && doc_.CanUndo());
    mnuRedo.SetEnabled(loaded && doc_.CanRedo());
}

void frmMain::ReportFailure(const std::string& message) {
    kestrix::ReportFailure(services_, message);
}

bool frmMain::ReadFile(bool again) {
    const std::string error = ReadDocument(doc_.FilePath(), again);
    if (!error.empty())
        ReportFailure(error);
    ReportRecoveryProblem();
    return error.empty();
}

std::string frmMain::ReadDocument(const std::string& path, bool again) {
    platform::BusyPointer busy(services_);
    HandlingFileRead read = again ? file_.Reread(path) : file_.Open(path);
    if (!read.error.empty())
        return read.error;
    HandlingDocument data;
    data.FilePath = path;
    ApplyToDocument(std::move(read.file), data);
    recent_.Add(data.FilePath);
    ShowRecentFiles();
    doc_.Read(std::move(data));
    return {};
}

void frmMain::LoadFile() {
    const std::string chosen =
        AskForHandlingFile(services_, FileDialogKind::Open, "Open .CFG File...", doc_.FilePath());
    if (!chosen.empty())
        OpenFile(chosen);
}

// What another program wrote is never overwritten unasked; Cancel, the
// default, saves nothing, and Reload takes the file as it now is.
bool frmMain::ConfirmOverwrite(const std::string& path) {
    const OpenedFile::DiskChange change = file_.ChangeOnDisk(path);
    if (change == OpenedFile::DiskChange::None)
        return true;
    const bool gone = change == OpenedFile::DiskChange::Gone;
    const std::string text = "The file \"" + path + "\" " +
                             (gone ? "was deleted or moved away" : "was changed by another program") +
                             " since it was opened or last saved.\r" +
                             (gone ? "Write it again with the document as it is here?"
                                   : "Overwrite it with the document as it is here, or reload it? Your "
                                     "edits stay undoable after a reload.");
    platform::MessageBox box{text, "File Changed on Disk", Buttons::YesNoCancel, Icon::Warning,
                             Answer::Cancel};
    if (gone)
        box.buttons = Buttons::YesNo; // nothing to reload; No is then the Cancel
    box.yesCaption = "&Overwrite";
    box.noCaption = gone ? "&Cancel" : "&Reload";
    const Answer answer = services_.ShowMessage(box);
    if (answer == Answer::No && !gone)
        ReloadFromDisk();
    return answer == Answer::Yes;
}

bool frmMain::ReloadFromDisk() {
    StatsToArray();
    HandlingFileRead read;
    {
        platform::BusyPointer busy(services_);
        read = file_.Reread(doc_.FilePath());
    }
    if (!read.error.empty()) {
        ReportFailure(read.error);
        return false;
    }
    HandlingDocument data;
    ApplyToDocument(std::move(read.file), data);
    doc_.Commit(ReplacementChange(doc_.Data(), data, "Reload from Disk"));
    doc_.Saved(doc_.FilePath());
    ReportRecoveryProblem();
    return true;
}

// Coming back to the editor, a file another program changed is offered for
// reading again; unsaved edits stay undoable after the reload.
void frmMain::Form_Activate() {
    ReportRecoveryProblem();
    if (doc_.FilePath().empty() || !file_.OfferReload(doc_.FilePath()))
        return;
    if (file_.ChangeOnDisk(doc_.FilePath()) == OpenedFile::DiskChange::Gone) {
        services_.ShowMessage({"The file \"" + doc_.FilePath() +
                                   "\" was deleted or moved away by another program.\rThe document stays "
                                   "open here; a save writes the file again.",
                               "File Changed on Disk", Buttons::Ok, Icon::Warning, Answer::Ok});
        return;
    }
    const std::string text =
        "The file \"" + doc_.FilePath() + "\" was changed by another program.\rRead it again? " +
        (doc_.Modified() ? "Your unsaved edits stay undoable." : "The document has no unsaved edits.");
    platform::MessageBox box{text, "File Changed on Disk", Buttons::YesNo, Icon::Warning, Answer::Yes};
    box.yesCaption = "&Reload";
    box.noCaption = "&Keep";
    if (services_.ShowMessage(box) == Answer::Yes)
        ReloadFromDisk();
}

void frmMain::OfferRecovery(const std::string* file) {
    for (const LeftJournal& journal : recovery_.LeftJournals(file)) {
        if (!journal.error.empty()) {
            RefuseJournal(journal,
                          "The recovery journal \"" + journal.path + "\" cannot be used: " + journal.error);
            continue;
        }
        platform::MessageBox box{
            "Kestrix 3 ended without closing \"" + journal.file +
                "\", which had unsaved edits.\rRecover them? They are applied to the file "
                "as it is on disk, and nothing is saved.",
            "Recover Unsaved Edits", Buttons::YesNo, Icon::Warning, Answer::Yes};
        box.yesCaption = "&Recover";
        box.noCaption = "&Discard";
        if (services_.ShowMessage(box) != Answer::Yes)
            DiscardJournal(journal);
        else if (Recover(journal))
            return; // one document at a time: other journals wait for the next start
    }
}

bool frmMain::Recover(const LeftJournal& journal) {
    if (doc_.FilePath() != journal.file) {
        if (const std::string error = ReadDocument(journal.file, false); !error.empty()) {
            RefuseJournal(journal,
                          "The unsaved edits of \"" + journal.file + "\" cannot be recovered: " + error);
            return false;
        }
    }
    if (const std::string error = ReplayJournal(doc_, journal.records); !error.empty()) {
        RefuseJournal(journal, "The unsaved edits of \"" + journal.file + "\" cannot be recovered: " + error +
                                   ".\rThe file is open as it is on disk.");
        return false;
    }
    DiscardJournal(journal);
    if (const std::string lost = LostInJournal(journal); !lost.empty())
        services_.ShowMessage({lost, "Recover Unsaved Edits", Buttons::Ok, Icon::Warning, Answer::Ok});
    ReportRecoveryProblem();
    return true;
}

// A journal that cannot be applied is never applied in part, and never lost.
void frmMain::RefuseJournal(const LeftJournal& journal, const std::string& why) {
    const std::string aside = SetJournalAside(journal);
    services_.ShowMessage({why + "\rThe journal is kept as \"" + aside + "\".", "Recover Unsaved Edits",
                           Buttons::Ok, Icon::Warning, Answer::Ok});
}

// A journal that cannot be kept is told once; the editor works on without it.
void frmMain::ReportRecoveryProblem() {
    if (const std::string problem = recovery_.TakeProblem(); !problem.empty())
        services_.ShowMessage({problem + ".\rThe editor works on, but its unsaved edits cannot be recovered "
                                         "after a crash.",
                               "Recovery Journal", Buttons::Ok, Icon::Warning, Answer::Ok});
}

bool frmMain::SaveTheFile(const std::string& FilePos) {
    if (!ConfirmValueGaps(services_, doc_.Cars()) || !ConfirmOverwrite(FilePos))
        return false;
    const SaveSettings settings{SettingOn(services_, kKeepLayout)};
    const std::string error = file_.Save(FilePos, doc_.Data(), settings);
    if (error.empty())
        return true;
    ReportFailure(error);
    return false;
}

bool frmMain::SaveFile() {
    platform::BusyPointer busy(services_);
    StatsToArray();
    if (!SaveTheFile(doc_.FilePath()))
        return false;
    doc_.Saved(doc_.FilePath());
    ReportRecoveryProblem();
    return true;
}

void frmMain::SaveFileAs() {
    {
        platform::BusyPointer busy(services_);
        StatsToArray();
    }
    const std::string chosen =
        AskForHandlingFile(services_, FileDialogKind::Save, "Save .CFG As", doc_.FilePath());
    if (chosen.empty())
        return; // cancelled: nothing is saved, so the document keeps its star
    platform::BusyPointer busy(services_);
    if (!SaveTheFile(chosen))
        return; // the document keeps its path and its changes
    doc_.Saved(chosen);
    recent_.Add(chosen);
    ShowRecentFiles();
    ReportRecoveryProblem();
}

bool frmMain::AskToSaveChanges() {
    const Answer answer = services_.ShowMessage(
        {CloseQuestion(doc_.FilePath()), "Close File", Buttons::YesNoCancel, Icon::None, Answer::Yes});
    if (answer == Answer::Cancel)
        return false;
    // A save that fails keeps the changes and the window.
    return answer == Answer::No || SaveFile();
}

void frmMain::mnuLoad_Click() {
    if (doc_.Modified()) {
        StatsToArray();
        if (!AskToSaveChanges())
            return;
    }
    LoadFile();
}

void frmMain::mnuRecent_Click() {
    ShowRecentFiles();
}

void frmMain::ShowRecentFiles() {
    const std::vector<std::string>& paths = recent_.Paths();
    bool missing = false;
    for (std::size_t i = 0; i < mnuRecentFile.size(); ++i) {
        platform::MenuEntry& entry = mnuRecentFile[i];
        entry.SetVisible(i < paths.size());
        if (i >= paths.size())
            continue;
        entry.SetCaption(RecentCaption(i, paths[i]));
        entry.SetTip(paths[i]);
        const bool there = RecentFiles::Exists(paths[i]);
        entry.SetEnabled(there); // a missing file is greyed
        missing = missing || !there;
    }
    sepRecent.SetVisible(!paths.empty());
    mnuRemoveMissing.SetVisible(!paths.empty());
    mnuRemoveMissing.SetEnabled(missing);
}

void frmMain::mnuRecentFile_Click(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= recent_.Paths().size())
        return;
    const std::string path = recent_.Paths()[static_cast<std::size_t>(index)];
    if (doc_.Modified()) {
        StatsToArray();
        if (!AskToSaveChanges())
            return;
    }
    OpenFile(path);
}

void frmMain::OpenFile(const std::string& path) {
    const std::string previousPath = doc_.FilePath();
    doc_.SetPath(path);
    if (!ReadFile())
        doc_.SetPath(previousPath);
}

void frmMain::mnuRemoveMissing_Click() {
    recent_.RemoveMissing();
    ShowRecentFiles();
}

void frmMain::mnuSave_Click() {
    if (doc_.Modified())
        SaveFile();
}

void frmMain::mnuSaveAs_Click() {
    SaveFileAs();
}

void frmMain::mnuRevert_Click() {
    const Answer answer = services_.ShowMessage(
        {std::string(kRevertQuestion), "Revert to last save...", Buttons::YesNo, Icon::Warning, Answer::Yes});
    if (answer != Answer::Yes)
        return;
    ReadFile(true);
}

void frmMain::mnuExit_Click() {
    Unload();
}

bool frmMain::QueryUnload() {
    StatsToArray();
    if (doc_.Modified() && !AskToSaveChanges())
        return false;
    if (Place())
        services_.WriteSetting(kPlaceSetting, platform::PlacementText(*Place()));
    // The windows beside this one close with it; comments typed but not confirmed go with theirs.
    if (const auto comments = comments_.lock())
        comments->Unload();
    if (const auto table = carTable_.lock())
        table->Unload();
    if (const auto compare = compareFiles_.lock())
        compare->Unload();
    if (const auto chart = chart_.lock())
        chart->Unload();
    recovery_.Close();
    return true;
}

// The file comments and about windows.

void frmMain::mnuFileComments_Click() {
    std::shared_ptr<frmComments> comments = comments_.lock();
    if (comments && !comments->IsClosed()) {
        comments->Fill();
        comments->BringToFront();
        return;
    }
    comments = std::make_shared<frmComments>(doc_);
    comments->Fill();
    comments_ = comments;
    services_.ShowBeside(std::move(comments));
}

void frmMain::mnuAbout_Click() {
    frmAbout about(services_);
    services_.ShowModal(about);
}

// Car management and exchange.

void frmMain::mnuAdd_Click() {
    StatsToArray();
    frmAddCar form(doc_, services_);
    form.cboCars.SetEntries(cboCars.Entries());
    if (form.cboCars.ListCount() > 0)
        form.cboCars.SetListIndex(0);
    else
        form.optStats[2].SetEnabled(false); // no car to copy
    services_.ShowModal(form);
}

void frmMain::mnuDelete_Click() {
    const int position = cboCars.ListIndex();
    if (position < 0)
        return;
    // The name decides, not the row: with two cars of a name the first one goes.
    const std::string name = cboCars.List(position);
    const Answer answer =
        services_.ShowMessage({"Are you sure you wish to delete car '" + name + "'?", "Delete Car...",
                               Buttons::YesNo, Icon::Warning, Answer::Yes});
    if (answer != Answer::Yes)
        return;
    StatsToArray();
    doc_.Commit(DeleteCarChange(doc_.Cars(), FirstRowNamed(doc_.Cars(), name)));
}

void frmMain::mnuRename_Click() {
    const int row = ShownRow();
    if (row < 0)
        return;
    StatsToArray();
    frmRenameCar form(doc_, services_, row);
    services_.ShowModal(form);
}

void frmMain::mnuImportCarStats_Click() {
    StatsToArray();
    const std::string chosen =
        AskForHandlingFile(services_, FileDialogKind::Open, "Select .CFG File to import...", doc_.FilePath());
    if (chosen.empty())
        return;
    ImportRead read;
    {
        platform::BusyPointer busy(services_);
        read = ReadImportFile(chosen);
    }
    if (!read.error.empty()) {
        ReportFailure(read.error);
        return;
    }
    Exchange.ImportTable = std::move(read.rows);
    Exchange.ExchangeMode = ExchangeKind::Import;
    {
        frmImportExport form(doc_, Exchange, services_);
        std::vector<std::string> names;
        names.reserve(Exchange.ImportTable.size());
        for (const CarRow& car : Exchange.ImportTable)
            names.emplace_back(car[VehicleIdentifier]);
        form.lvLeft.AddItems(std::move(names));
        services_.ShowModal(form);
    }
}

void frmMain::mnuExportCarStats_Click() {
    StatsToArray();
    Exchange.ExchangeMode = ExchangeKind::Export;
    frmImportExport form(doc_, Exchange, services_);
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(cboCars.ListCount()));
    for (const DropDown::Entry& entry : cboCars.Entries())
        names.push_back(entry.text);
    form.lvLeft.AddItems(std::move(names));
    services_.ShowModal(form);
}

void frmMain::RebuildCarList(int shownRow) {
    const CarTable& cars = doc_.Cars();
    std::vector<DropDown::Entry> entries;
    entries.reserve(cars.size());
    for (std::size_t row = 0; row < cars.size(); ++row)
        entries.push_back({std::string(cars[row][VehicleIdentifier]), static_cast<int>(row)});
    cboCars.SetEntries(std::move(entries));
    int position = cboCars.ListCount() > 0 ? 0 : -1;
    for (int i = 0; i < cboCars.ListCount() && shownRow >= 0; ++i)
        if (cboCars.ItemData(i) == shownRow)
            position = i;
    if (position >= 0)
        cboCars.SetListIndex(position);
    else
        ClearShownCar();
}

// The error lists, the stat properties and the help on every stat.

void frmMain::ConnectErrorLists() {
    lvErrors.ColumnClick = [this](const platform::ColumnList::Header& header) {
        lvErrors_ColumnClick(header);
    };
    lvErrors.DblClick = [this] { lvErrors_DblClick(); };
    cmdViewErrors.Click = [this] { cmdViewErrors_Click(); };
    SetStatTips();
}

void frmMain::SetStatTips() {
    for (int column = 0; column < kStatCount; ++column) {
        txtStat[static_cast<std::size_t>(column)].SetTip(StatTip(column));
        StatControl(column).SetTip(StatTip(column));
    }
    // A label of several fields explains each of them.
    std::size_t label = 0;
    for (const StatPage& page : StatPages()) {
        for (const StatPageRow& row : page.rows) {
            if (row.caption.empty())
                continue;
            std::string tip;
            for (const int column : row.columns) {
                if (!tip.empty())
                    tip += "\n";
                if (row.columns.size() > 1)
                    tip += std::string(StatCatalogue::Instance()[column].StatName) + ": ";
                tip += StatTip(column);
            }
            LabStat.at(label++)->SetTip(std::move(tip));
        }
    }
}

void frmMain::lvErrors_ColumnClick(const platform::ColumnList::Header& header) {
    const int column = header.text == "Car" ? 1 : header.text == "Error" ? 2 : 0;
    using Order = platform::ColumnList::Order;
    Order order = Order::Ascending;
    if (column == lvErrors.SortKey() && lvErrors.SortOrder() == Order::Ascending)
        order = Order::Descending;
    lvErrors.SetSort(true, column, order);
}

void frmMain::lvErrors_DblClick() {
    const int row = lvErrors.SelectedRow();
    if (row < 0)
        return;
    // Copies: every check refills the list.
    GoToValue(lvErrors.Cell(row, 1), StatFromFirstCell(lvErrors.Cell(row, 0)));
}

void frmMain::GoToValue(const std::string& car, int stat) {
    // As with any other change of car, the shown car keeps its edits first.
    StatsToArray();
    // A car deleted since the check leaves the list as it is.
    cboCars.SelectText(car);
    ShowValue(-1, stat);
}

void frmMain::ShowValue(int row, int stat) {
    for (int position = 0; position < cboCars.ListCount() && row >= 0; ++position)
        if (cboCars.ItemData(position) == row && position != cboCars.ListIndex()) {
            cboCars.SetListIndex(position);
            break;
        }
    FocusStat(stat);
}

void frmMain::FocusStat(int stat) {
    tabGeneral.SetTab(PageOfColumn(stat));
    if (stat < 0 || stat >= kStatCount)
        return;
    tabGeneral.SetTab(PageOfColumn(stat));
    platform::TextField& field = txtStat[static_cast<std::size_t>(stat)];
    if (field.Visible() && field.CanFocus()) {
        field.SetFocus();
        field.Select(0, field.Text().size());
    } else if (stat == VehicleIdentifier) {
        cboCars.SetFocus();
    } else {
        StatControl(stat).SetFocus();
    }
}

void frmMain::cmdViewErrors_Click() {
    std::optional<std::pair<std::string, int>> wanted;
    frmErrors errors(services_);
    errors.CopyRows(lvErrors);
    errors.GoToValue = [&wanted](const std::string& car, int stat) { wanted.emplace(car, stat); };
    services_.ShowModal(errors);
    // Once the window has closed, so that the focus can move to the value.
    if (wanted)
        GoToValue(wanted->first, wanted->second);
}

void frmMain::mnuViewProperties_Click() {
    ShowStatProperties(services_, CurrentStat);
}

// The car table.

void frmMain::mnuCarTable_Click() {
    if (BroughtToFront(carTable_))
        return;
    StatsToArray();
    auto table = std::make_shared<frmCarTable>(doc_, services_, focus_);
    table->Form_Load();
    OpenBeside(services_, carTable_, std::move(table));
}

// The stat chart.

void frmMain::mnuChart_Click() {
    if (BroughtToFront(chart_))
        return;
    StatsToArray();
    auto chart = std::make_shared<frmChart>(doc_, services_, focus_);
    chart->Form_Load();
    OpenBeside(services_, chart_, std::move(chart));
}

bool frmMain::KeepFieldEdits() {
    const int row = ShownRow();
    if (doc_.FilePath().empty() || row < 0)
        return false;
    std::vector<CellEdit> edits;
    for (int i = 0; i < kStatCount; ++i)
        // A relative input that cannot be read stays in its field, and the value as it was.
        if (edited_[static_cast<std::size_t>(i)] && ResolveRelativeInput(i, false))
            edits.push_back({row, i, txtStat[static_cast<std::size_t>(i)].Text()});
    edited_.reset();
    Change change = ValuesChange(doc_.Cars(), edits, {});
    if (change.Empty())
        return false;
    const std::string car(doc_.Cars()[static_cast<std::size_t>(row)][VehicleIdentifier]);
    change.caption = change.cells.size() == 1
                         ? "Edit " + std::string(StatCatalogue::Instance()[change.cells[0].column].StatName) +
                               " of '" + car + "'"
                         : CountedCaption("Edit '" + car + "'", change.cells.size());
    doc_.Commit(std::move(change));
    return true;
}

// The document tells every change; the window shows it.

void frmMain::DocumentChanged(const DocumentEvent& event) {
    switch (event.kind) {
    case DocumentEvent::Kind::Read:
        RebuildCarList();
        tabGeneral.SetTab(0);
        ShowErrors(event.errors);
        break;
    case DocumentEvent::Kind::Changed:
        ShowErrors(event.errors);
        ShowChange(event);
        break;
    case DocumentEvent::Kind::State:
        MarkChangedValues();
        break;
    case DocumentEvent::Kind::Checked:
        ShowErrors(event.errors);
        break;
    case DocumentEvent::Kind::Show:
        StatsToArray();
        ShowValue(event.row, event.column);
        BringToFront();
        return;
    }
    ShowState();
}

void frmMain::ShowChange(const DocumentEvent& event) {
    const Change& change = *event.change;
    const bool replayed = event.replayed;
    const int shown = ShownRow();
    const bool renames = std::any_of(change.cells.begin(), change.cells.end(),
                                     [](const CellChange& cell) { return cell.column == VehicleIdentifier; });
    if (change.ChangesRows() || renames) {
        int row = shown < 0 ? -1 : RowAfter(change, shown, event.undone);
        if (!event.undone && !change.added.empty() && change.kind == Change::Kind::AddCar)
            row = change.added.back().row;
        if (event.undone && !change.removed.empty())
            row = change.removed.front().row;
        if (!event.undone && change.kind == Change::Kind::DeleteCar)
            row = -1; // the first car of the list
        RebuildCarList(row);
    } else if (shown >= 0) {
        // A change made in these fields is shown already; one made elsewhere is shown anew.
        bool stale = false;
        for (const CellChange& cell : change.cells)
            stale =
                stale || (cell.row == shown && txtStat[static_cast<std::size_t>(cell.column)].Text() !=
                                                   doc_.Cars()[static_cast<std::size_t>(shown)][cell.column]);
        if (stale)
            ShowCar(shown);
    }
    // Undo and redo show the value they put back.
    if (replayed && !change.cells.empty())
        ShowValue(change.cells.front().row, change.cells.front().column);
    else
        MarkChangedValues();
}

void frmMain::ShowState() {
    const bool loaded = !doc_.FilePath().empty();
    SetFileLoaded(loaded);
    const Change* undo = doc_.NextUndo();
    const Change* redo = doc_.NextRedo();
    mnuUndo.SetCaption(undo ? "&Undo " + undo->caption : "&Undo");
    mnuRedo.SetCaption(redo ? "&Redo " + redo->caption : "&Redo");
    const std::size_t changed = doc_.ChangedValueCount();
    lblChanges.SetCaption(!loaded || changed == 0 ? ""
                          : changed == 1          ? "1 value changed"
                                                  : std::to_string(changed) + " values changed");
}

// A changed value's label ends in a mark that reads aloud as well as it shows.
std::string frmMain::LabelCaption(std::size_t label, bool changed) const {
    std::size_t next = 0;
    for (const StatPage& page : StatPages())
        for (const StatPageRow& row : page.rows)
            if (!row.caption.empty() && next++ == label)
                return std::string(row.caption) + (changed ? " (changed)" : "");
    return {};
}

void frmMain::MarkChangedValues() {
    const int shown = ShownRow();
    std::size_t label = 0;
    for (const StatPage& page : StatPages())
        for (const StatPageRow& row : page.rows) {
            bool changed = false;
            for (const int column : row.columns)
                changed = changed || (shown >= 0 && doc_.IsChangedValue(shown, column));
            if (row.caption.empty()) {
                chkABS.SetCaption(std::string(DescriptionOf(Abs).place.label) +
                                  (changed ? " (changed)" : ""));
                continue;
            }
            LabStat.at(label)->SetCaption(LabelCaption(label, changed));
            ++label;
        }
}

void frmMain::mnuUndo_Click() {
    // Typing not yet committed is undone first, as the field itself would.
    if (const int shown = ShownRow(); shown >= 0 && edited_.any()) {
        ShowCar(shown);
        doc_.DropTyping();
        ShowState();
        return;
    }
    doc_.Undo();
}

void frmMain::mnuRedo_Click() {
    StatsToArray();
    doc_.Redo();
}

void frmMain::mnuChanges_Click() {
    if (BroughtToFront(changes_))
        return;
    StatsToArray();
    auto changes = std::make_shared<frmChanges>(doc_);
    OpenBeside(services_, changes_, std::move(changes));
}

// Comparing with another file.

void frmMain::mnuCompareFile_Click() {
    StatsToArray();
    const std::string chosen = AskForHandlingFile(services_, FileDialogKind::Open,
                                                  "Select .CFG File to compare with...", doc_.FilePath());
    if (!chosen.empty())
        OpenCompareWindow(chosen, "Compare with File");
}

void frmMain::mnuCompareSaved_Click() {
    StatsToArray();
    OpenCompareWindow(doc_.FilePath(), "Compare with Saved");
}

void frmMain::OpenCompareWindow(const std::string& path, const std::string& caption) {
    HandlingFileRead read;
    {
        platform::BusyPointer busy(services_);
        read = ReadHandlingFile(path);
    }
    if (!read.error.empty()) {
        ReportFailure(read.error);
        return;
    }
    // One comparison at a time: a new one replaces the window of the last.
    if (const auto open = compareFiles_.lock())
        open->Unload();
    auto compare = std::make_shared<frmCompareFiles>(doc_, services_, std::move(read.file), path);
    compare->Form_Load();
    compare->SetCaption(caption);
    compareFiles_ = compare;
    services_.ShowBeside(std::move(compare));
}

} // namespace kestrix
