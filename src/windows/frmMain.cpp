#include "windows/frmMain.h"

#include "compare/car_paste.h"
#include "document/car_commands.h"
#include "document/cars_in.h"
#include "document/change.h"
#include "files/paths.h"
#include "model/product.h"
#include "model/stat_description.h"
#include "windows/file_dialogs.h"
#include "windows/frmInfo.h"
#include "windows/frmPreferences.h"
#include "windows/git_merge.h"

#include <algorithm>
#include <initializer_list>
#include <numeric>
#include <utility>

namespace kestrix {

using platform::Answer;
using platform::Buttons;
using platform::DropDown;
using platform::Icon;
using platform::Shortcut;

namespace {

// The question names the file that is open.
std::string CloseQuestion(const std::string& path) {
    const std::string name = NameOf(path, kSystemPathStyle);
    return "The current " + name + " file has been modified.\rDo you wish to save your changes?";
}

// A file in the recent files menu: its name, then its folder; "&" stays a character.
std::string RecentCaption(std::size_t index, const std::string& path) {
    const std::string name = NameOf(path, kSystemPathStyle);
    std::string caption = "&" + std::to_string(index + 1) + " " +
                          (name == path ? path : name + "   (" + FolderOf(path, kSystemPathStyle) + ")");
    std::string escaped;
    for (std::size_t i = 0; i < caption.size(); ++i)
        escaped += i > 0 && caption[i] == '&' ? "&&" : std::string(1, caption[i]);
    return escaped;
}

constexpr std::string_view kRevertQuestion =
    "Are you sure you wish to revert to your last save?\rYou will lose any "
    "changes you have made  sinse you last saved the file.";

} // namespace

frmMain::frmMain(Document& doc, platform::Services& services)
    : Window("frmMain"), tabGeneral("tabGeneral", StatPageCaptions()),
      lvErrors("lvErrors", {"", "Car", "Error"}), doc_(doc), services_(services), session_(doc),
      recent_(services),
      stats_(doc, services,
             {txtStat, LabStat, cboDrive, cboEngine, cboFront, cboRear, chkABS, lvFlags, lblFlagsNote}),
      side_(doc, services, *this) {
    SetResizable(true);
    SetMinMaxBoxes(true);
    RememberPlace(services_, "Main/Place");
    Label1.SetCaption("Cars :");
    Label2.SetCaption("Errors :");
    cmdViewErrors.SetCaption("View all errors ...");
    NameAfter(cboCars, Label1);
    NameAfter(lvErrors, Label2);
    mnuRedo.OtherKey = Shortcut::CtrlShiftZ;
    BuildMenus();
    ConnectHandlers();
    ConnectErrorLists();
    doc_.Observe(*this);
}

frmMain::~frmMain() {
    doc_.Forget(*this);
}

void frmMain::ConnectHandlers() {
    side_.CarLinesText = [this](const std::vector<int>& rows) { return session_.CarLinesText(rows); };
    FilesDropped = [this](const std::vector<std::string>& paths) { Form_FilesDropped(paths); };
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
    cboDrive.Click = [this] { cboDrive_Click(); };
    cboEngine.Click = [this] { cboEngine_Click(); };
    cboFront.Click = [this] { cboFront_Click(); };
    cboRear.Click = [this] { cboRear_Click(); };
    chkABS.Click = [this] { chkABS_Click(); };
    lvFlags.Click = [this] { lvFlags_Click(); };
    Focus.Join({&cboCars, &tabGeneral, &cboDrive, &cboEngine, &cboFront, &cboRear, &chkABS, &lvFlags,
                &lvErrors, &cmdViewErrors, &txtFind, &lvFound});
    ConnectFind();
    txtStat[VehicleIdentifier].SetCanFocus(false);
}

platform::Control& frmMain::StatControl(int column) {
    return stats_.StatControl(column);
}

void frmMain::Form_Load() {
    SetCaption(std::string(kProgramTitle));
    stats_.FillChoices();
    SetFileLoaded(false);
    tabGeneral.SetTab(0);
    UpgradeSettings(services_);
    ApplyPreferences();
    session_.SetRecoveryFolder(services_.StateFolder());

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

void frmMain::ConnectFind() {
    lblFind.SetCaption("Find :");
    NameAfter(txtFind, lblFind);
    txtFind.SetTip("Any part of a car's name: Up and Down choose, Enter shows the car, Escape closes");
    for (platform::Control* part : std::initializer_list<platform::Control*>{&lblFind, &txtFind, &lvFound})
        part->SetVisible(false);
    txtFind.Change = [this] { txtFind_Change(); };
    txtFind.Step = [this](int step) { txtFind_Step(step); };
    txtFind.Commit = [this] { FindCar_Show(); };
    txtFind.Revert = [this] { CloseFind(true); };
    // A click on a car found leaves the typing where it was; a double click shows the car.
    lvFound.Click = [this] { txtFind.SetFocus(); };
    lvFound.DblClick = [this] { FindCar_Show(); };
    // The focus going anywhere else closes the find.
    txtFind.LostFocus = [this] {
        if (Focus.Focused() != &lvFound)
            CloseFind(false);
    };
    lvFound.LostFocus = [this] {
        if (Focus.Focused() != &txtFind)
            CloseFind(false);
    };
}

void frmMain::ApplyPreferences() {
    // Strict checks switched on or off check the whole file again under the new rules.
    const CheckRules rules = SettingOn(services_, kStrictChecks) ? CheckRules::Strict : CheckRules::Standard;
    doc_.SetCheckRules(rules);
}

void frmMain::mnuPreferences_Click() {
    side_.ShowPreferences();
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
        stats_.ShowCar(row);
}

void frmMain::cboCars_DropDown() {
    StatsToArray();
}

void frmMain::tabGeneral_Click() {
    StatsToArray();
}

void frmMain::txtStat_Change(int index) {
    stats_.Typed(ShownRow(), index);
}

void frmMain::txtStat_Refused(platform::TextField::Refusal refusal) {
    ShowNote(std::string(RefusalNote(refusal)));
}

void frmMain::txtStat_GotFocus(int index) {
    CurrentStat = static_cast<std::int16_t>(index);
}

void frmMain::txtStat_LostFocus(int index) {
    stats_.ResolveFormula(ShownRow(), index, true);
    StatsToArray();
}

void frmMain::txtStat_Commit(int index) {
    stats_.ResolveFormula(ShownRow(), index, true);
    StatsToArray();
    platform::TextField& field = txtStat[static_cast<std::size_t>(index)];
    field.Select(0, field.Text().size());
}

void frmMain::txtStat_Revert(int index) {
    stats_.Revert(ShownRow(), index);
}

// The shown car's edits, and what was typed in the other windows, are kept before a command goes on.
void frmMain::StatsToArray() {
    KeepFieldEdits();
    doc_.CommitPendingEdits();
    TellFileStep(services_, session_.AfterEdits());
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
    stats_.Choose(cboDrive, ShownRow());
}
void frmMain::cboEngine_Click() {
    stats_.Choose(cboEngine, ShownRow());
}
void frmMain::cboFront_Click() {
    stats_.Choose(cboFront, ShownRow());
}
void frmMain::cboRear_Click() {
    stats_.Choose(cboRear, ShownRow());
}

void frmMain::chkABS_Click() {
    stats_.ChooseAbs(ShownRow());
}

void frmMain::lvFlags_Click() {
    stats_.ChooseFlags(ShownRow());
}

// The star for typing not yet committed; a committed step marks the document itself.
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
    stats_.EnableControls(hasCar);
    EnableMenus(loaded, hasCar);
}

void frmMain::ReportFailure(const std::string& message) {
    kestrix::ReportFailure(services_, message);
}

bool frmMain::ReadFile(bool again) {
    FileStep step;
    {
        platform::BusyPointer busy(services_);
        step = session_.Read(doc_.FilePath(), again);
        if (step.Done())
            AddRecentFile(doc_.FilePath());
    }
    TellFileStep(services_, step);
    return step.Done();
}

void frmMain::AddRecentFile(const std::string& path) {
    recent_.Add(path);
    ShowRecentFiles();
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
    const FileNotice question = session_.OverwriteQuestion(path);
    if (question.kind == FileNotice::Kind::None)
        return true;
    const Answer answer = ShowFileNotice(services_, question);
    if (answer == Answer::No && question.kind == FileNotice::Kind::OverwriteChanged)
        ReloadFromDisk();
    return answer == Answer::Yes;
}

bool frmMain::ReloadFromDisk() {
    StatsToArray();
    FileStep step;
    {
        platform::BusyPointer busy(services_);
        step = session_.Reload();
    }
    TellFileStep(services_, step);
    return step.Done();
}

// Coming back to the editor, a file another program changed is offered for
// reading again; unsaved edits stay undoable after the reload.
void frmMain::Form_Activate() {
    const FileStep offer = session_.ReloadOffer();
    if (TellFileStep(services_, offer) == Answer::Yes && offer.Asks(FileNotice::Kind::ReloadChanged))
        ReloadFromDisk();
}

void frmMain::OfferRecovery(const std::string* file) {
    const FileAsker asker{
        [this](const FileNotice& notice) { return ShowFileNotice(services_, notice) == Answer::Yes; },
        [this](bool busy) { services_.SetBusy(busy); }};
    for (const std::string& read : session_.OfferLeftJournals(file, asker))
        AddRecentFile(read);
}

bool frmMain::SaveTheFile(const std::string& FilePos, bool tidied) {
    if (!ConfirmValueGaps(services_, doc_.Cars()) || !ConfirmOverwrite(FilePos))
        return false;
    const SaveSettings settings{!tidied && SettingOn(services_, kKeepLayout),
                                SettingOn(services_, kKeepBackup)};
    const FileStep saved = session_.Save(FilePos, settings);
    TellFileStep(services_, saved);
    return saved.Done();
}

bool frmMain::SaveFile() {
    platform::BusyPointer busy(services_);
    StatsToArray();
    return SaveTheFile(doc_.FilePath());
}

void frmMain::SaveFileAs(bool tidied) {
    {
        platform::BusyPointer busy(services_);
        StatsToArray();
    }
    const std::string chosen = AskForHandlingFile(
        services_, FileDialogKind::Save, tidied ? "Save Tidied .CFG As" : "Save .CFG As", doc_.FilePath());
    if (chosen.empty())
        return; // cancelled: nothing is saved, so the document keeps its star
    platform::BusyPointer busy(services_);
    if (!SaveTheFile(chosen, tidied))
        return; // the document keeps its path and its changes
    AddRecentFile(chosen);
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
    if (ChangesSetAside())
        LoadFile();
}

// A handling file dropped on the window opens as File > Open opens it.
void frmMain::Form_FilesDropped(const std::vector<std::string>& paths) {
    if (const std::string path = DroppedHandlingFile(services_, paths); !path.empty() && ChangesSetAside())
        OpenFile(path);
}

// Before another file takes the window's place: the user saves, discards or cancels.
bool frmMain::ChangesSetAside() {
    if (!doc_.Modified())
        return true;
    StatsToArray();
    return AskToSaveChanges();
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
    StatsToArray();
    if (doc_.Modified())
        SaveFile();
}

void frmMain::mnuSaveAs_Click() {
    SaveFileAs();
}

void frmMain::mnuSaveTidied_Click() {
    SaveFileAs(true);
}

void frmMain::mnuCopyCarLine_Click() {
    StatsToArray();
    services_.SetClipboardText(session_.CarLinesText({ShownRow()}));
}

void frmMain::mnuPasteCars_Click() {
    StatsToArray();
    const std::optional<std::string> text = services_.ClipboardText();
    const CarPaste paste =
        text ? ReadCarPaste(*text, doc_.Cars())
             : CarPaste{
                   {},
                   {},
                   "The clipboard holds characters the file cannot keep: it holds 8-bit characters only."};
    if (!paste.refusal.empty() || paste.lines.empty()) {
        const std::string reason = paste.refusal.empty() ? "The clipboard holds no car line." : paste.refusal;
        services_.ShowMessage({reason + "\rNothing was pasted.", "Paste Car Lines", platform::Buttons::Ok,
                               platform::Icon::Warning, platform::Answer::Ok});
        return;
    }
    side_.ShowPasteCars(paste);
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
    // The windows beside this one close with it; comments typed but not confirmed go with theirs.
    side_.CloseAll();
    session_.Close();
    return true;
}

// The file comments and about windows.

void frmMain::mnuFileComments_Click() {
    side_.ShowComments();
}

void frmMain::mnuAbout_Click() {
    side_.ShowAbout();
}

void frmMain::mnuManual_Click() {
    side_.ShowManual();
}

// Car management and exchange.

void frmMain::mnuAdd_Click() {
    StatsToArray();
    side_.ShowAddCar(cboCars.Entries());
}

void frmMain::mnuDelete_Click() {
    // The car shown goes, also where another car has its name.
    const int row = ShownRow();
    if (row < 0)
        return;
    const std::string name(doc_.Cars()[static_cast<std::size_t>(row)][VehicleIdentifier]);
    const Answer answer =
        services_.ShowMessage({"Are you sure you wish to delete car '" + name + "'?", "Delete Car...",
                               Buttons::YesNo, Icon::Warning, Answer::Yes});
    if (answer != Answer::Yes)
        return;
    StatsToArray();
    doc_.Commit(DeleteCarChange(doc_.Cars(), row));
}

void frmMain::mnuRename_Click() {
    const int row = ShownRow();
    if (row < 0)
        return;
    StatsToArray();
    side_.ShowRename(row);
}

void frmMain::mnuMoveUp_Click() {
    MoveShownCar(MoveDirection::Up);
}

void frmMain::mnuMoveDown_Click() {
    MoveShownCar(MoveDirection::Down);
}

void frmMain::MoveShownCar(MoveDirection direction) {
    const int row = ShownRow();
    if (row < 0)
        return;
    StatsToArray();
    std::vector<int> every(doc_.Cars().size());
    std::iota(every.begin(), every.end(), 0);
    Change move = MoveCarsChange(doc_.Cars(), every, {row}, direction);
    if (move.Empty()) {
        const std::string name(doc_.Cars()[static_cast<std::size_t>(row)][VehicleIdentifier]);
        ShowNote("'" + name + "' is the " + (direction == MoveDirection::Up ? "first" : "last") +
                 " car of the file.");
        return;
    }
    doc_.Commit(std::move(move));
}

void frmMain::mnuTakeCars_Click() {
    StatsToArray();
    const std::string chosen = AskForHandlingFile(services_, FileDialogKind::Open,
                                                  "Select .CFG File to take cars from...", doc_.FilePath());
    if (chosen.empty())
        return;
    CarPaste paste;
    {
        platform::BusyPointer busy(services_);
        paste = ReadCarPasteFile(chosen, doc_.Cars());
    }
    if (paste.refusal.empty() && paste.lines.empty())
        paste.refusal = "\"" + chosen + "\" holds no car line";
    if (!paste.refusal.empty()) {
        services_.ShowMessage({paste.refusal + "\rNothing was taken.", "Take Cars from File", Buttons::Ok,
                               Icon::Warning, Answer::Ok});
        return;
    }
    side_.ShowPasteCars(std::move(paste));
}

void frmMain::mnuImportCarStats_Click() {
    StatsToArray();
    const std::string chosen =
        AskForHandlingFile(services_, FileDialogKind::Open, "Select .CFG File to import...", doc_.FilePath());
    if (!chosen.empty())
        side_.ShowImport(Exchange, chosen);
}

void frmMain::mnuExportCarStats_Click() {
    StatsToArray();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(cboCars.ListCount()));
    for (const DropDown::Entry& entry : cboCars.Entries())
        names.push_back(entry.text);
    side_.ShowExport(Exchange, std::move(names));
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
        stats_.ClearShownCar();
    // The cars found are those of the list as it now is.
    txtFind_Change();
}

// Finding a car by any part of its name.

void frmMain::mnuFindCar_Click() {
    BringToFront();
    if (!finding_) {
        finding_ = true;
        focusBeforeFind_ = Focus.Focused();
        for (platform::Control* part :
             std::initializer_list<platform::Control*>{&lblFind, &txtFind, &lvFound})
            part->SetVisible(true);
        txtFind_Change();
    }
    txtFind.SetFocus();
    txtFind.Select(0, txtFind.Text().size());
}

void frmMain::txtFind_Change() {
    if (!finding_)
        return;
    found_ = FindCars(cboCars.Entries(), txtFind.Text());
    std::vector<std::string> shown;
    shown.reserve(found_.size());
    for (const FoundCar& car : found_)
        shown.push_back(car.shown);
    lvFound.Clear();
    lvFound.AddItems(std::move(shown));
    lvFound.SetListIndex(found_.empty() ? -1 : 0);
    lvFound.SetVisible(!found_.empty()); // the status line says that none was found
    const std::size_t count = found_.size();
    ShowNote(count == 0 ? "No car's name holds \"" + txtFind.Text() + "\"."
                        : CountText(count, "car found", "cars found"));
}

void frmMain::txtFind_Step(int step) {
    if (!found_.empty())
        lvFound.SetListIndex(std::clamp(lvFound.ListIndex() + step, 0, static_cast<int>(found_.size()) - 1));
}

// As a car picked in the car list: the shown car keeps its edits first.
void frmMain::FindCar_Show() {
    const int chosen = lvFound.ListIndex();
    if (!finding_ || chosen < 0)
        return;
    const int position = found_[static_cast<std::size_t>(chosen)].position;
    CloseFind(true);
    StatsToArray();
    cboCars.SetListIndex(position);
}

void frmMain::CloseFind(bool focusBack) {
    if (!finding_)
        return;
    finding_ = false;
    platform::Control* before = std::exchange(focusBeforeFind_, nullptr);
    if (focusBack) {
        if (!before || !before->Visible() || !before->Enabled() || !before->CanFocus())
            before = &cboCars;
        before->SetFocus();
    }
    for (platform::Control* part : std::initializer_list<platform::Control*>{&lblFind, &txtFind, &lvFound})
        part->SetVisible(false);
    ShowNote(""); // the count of cars found is the find's
}

// The error lists, the stat properties and the help on every stat.

void frmMain::ConnectErrorLists() {
    lvErrors.ColumnClick = [this](const platform::ColumnList::Header& header) {
        lvErrors_ColumnClick(header);
    };
    lvErrors.DblClick = [this] { lvErrors_DblClick(); };
    cmdViewErrors.Click = [this] { cmdViewErrors_Click(); };
}

void frmMain::lvErrors_ColumnClick(const platform::ColumnList::Header& header) {
    lvErrors.SortByHeader(header.text == "Car" ? 1 : header.text == "Error" ? 2 : 0);
}

void frmMain::lvErrors_DblClick() {
    GoToError(lvErrors.SelectedRow());
}

// The list holds the register's rows, and the register knows each row's car:
// a row leads to its own car, whatever other car has the same name.
void frmMain::GoToError(int listRow) {
    if (listRow < 0 || listRow >= lvErrors.RowCount())
        return;
    int car = doc_.Errors().CarOfRow(lvErrors.SourceRow(listRow));
    if (car >= 0 &&
        doc_.Cars()[static_cast<std::size_t>(car)][VehicleIdentifier] != lvErrors.Cell(listRow, 1))
        car = -1; // a row that is not the register's: the car list stays as it is
    const int stat = StatFromFirstCell(lvErrors.Cell(listRow, 0));
    // As with any other change of car, the shown car keeps its edits first; they move no car.
    StatsToArray();
    ShowValue(car, stat);
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
    // Once the window has closed, so that the focus can move to the value.
    if (const auto wanted = side_.ShowAllErrors(lvErrors))
        GoToError(*wanted);
}

void frmMain::mnuViewProperties_Click() {
    ShowStatProperties(services_, CurrentStat);
}

// The car table.

void frmMain::mnuCarTable_Click() {
    if (side_.BroughtToFront(SideWindows::Kind::CarTable))
        return;
    StatsToArray();
    side_.OpenCarTable();
}

// Every value out of range, to fix in one step.

void frmMain::mnuFixRange_Click() {
    StatsToArray();
    side_.ShowFixRange();
}

// The stat chart.

void frmMain::mnuChart_Click() {
    if (side_.BroughtToFront(SideWindows::Kind::Chart))
        return;
    StatsToArray();
    side_.OpenChart();
}

bool frmMain::KeepFieldEdits() {
    return stats_.KeepFieldEdits(ShownRow());
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
        // A formula the commit could not work out stays in its field: still typing.
        if (stats_.HasTyping())
            MarkModified();
        break;
    case DocumentEvent::Kind::State:
        stats_.MarkChangedValues(ShownRow());
        break;
    case DocumentEvent::Kind::Checked:
        ShowErrors(event.errors);
        break;
    case DocumentEvent::Kind::Show:
        // Shown, not raised: the user goes on in the window that asked.
        StatsToArray();
        ShowValue(event.row, event.column);
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
    if (change.kind == Change::Kind::Move) {
        // The list stays as it is, alphabetical: its entries point at the cars' new rows.
        cboCars.Renumber([&](int row) { return RowAfter(change, row, event.undone); });
        const int row = shown < 0 ? -1 : RowAfter(change, shown, event.undone);
        for (int i = 0; i < cboCars.ListCount() && row >= 0 && ShownRow() != row; ++i)
            if (cboCars.ItemData(i) == row)
                cboCars.SetListIndex(i);
    } else if (change.ChangesRows() || renames) {
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
            stats_.ShowCar(shown);
    }
    // Undo and redo show the value they put back.
    if (replayed && !change.cells.empty())
        ShowValue(change.cells.front().row, change.cells.front().column);
    else
        stats_.MarkChangedValues(ShownRow());
}

void frmMain::ShowState() {
    const bool loaded = !doc_.FilePath().empty();
    SetFileLoaded(loaded);
    const Change* undo = doc_.NextUndo();
    const Change* redo = doc_.NextRedo();
    mnuUndo.SetCaption(undo ? "&Undo " + undo->caption : "&Undo");
    mnuRedo.SetCaption(redo ? "&Redo " + redo->caption : "&Redo");
    const std::size_t changed = doc_.ChangedValueCount();
    lblChanges.SetCaption(!loaded || changed == 0 ? "" : ChangedValuesText(changed));
}

void frmMain::mnuUndo_Click() {
    // Typing not yet committed is undone first, as the field itself would.
    if (const int shown = ShownRow(); shown >= 0 && stats_.HasTyping()) {
        stats_.ShowCar(shown);
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
    if (side_.BroughtToFront(SideWindows::Kind::Changes))
        return;
    StatsToArray();
    side_.OpenChanges();
}

// Comparing with another file.

void frmMain::mnuCompareFile_Click() {
    StatsToArray();
    const std::string chosen = AskForHandlingFile(services_, FileDialogKind::Open,
                                                  "Select .CFG File to compare with...", doc_.FilePath());
    if (!chosen.empty())
        side_.OpenCompare(chosen, "Compare with File");
}

void frmMain::mnuCompareSaved_Click() {
    StatsToArray();
    side_.OpenCompare(doc_.FilePath(), "Compare with Saved");
}

void frmMain::mnuResolveMerge_Click() {
    StatsToArray();
    const std::string& path = doc_.FilePath();
    platform::ProcessRunner* processes = services_.Processes();
    if (!processes) {
        ReportFailure("Cannot ask git about \"" + path + "\": this editor runs no other program");
        return;
    }
    GitMergeVersions git;
    {
        platform::BusyPointer busy(services_);
        git = AskGitForMergeVersions(*processes, path);
    }
    if (git.kind == GitMergeVersions::Kind::Failed) {
        ReportFailure(git.message);
        return;
    }
    if (git.kind == GitMergeVersions::Kind::NotMerging) {
        services_.ShowMessage({git.message, "Resolve Merge", Buttons::Ok, Icon::Information, Answer::Ok});
        return;
    }
    if (side_.ShowMerge(std::move(git.bytes), path))
        ShowNote("Merged. Save the file, then tell git it is resolved: git add");
}

} // namespace kestrix
