#include "windows/side_windows.h"

#include "document/car_commands.h"
#include "document/cars_in.h"
#include "document/version_files.h"
#include "files/file_read.h"
#include "files/paths.h"
#include "windows/file_dialogs.h"
#include "windows/frmAbout.h"
#include "windows/frmAddCar.h"
#include "windows/frmCarTable.h"
#include "windows/frmChanges.h"
#include "windows/frmChart.h"
#include "windows/frmComments.h"
#include "windows/frmCompareFiles.h"
#include "windows/frmErrors.h"
#include "windows/frmFixRange.h"
#include "windows/frmHelp.h"
#include "windows/frmMerge.h"
#include "windows/frmPasteCars.h"
#include "windows/frmPreferences.h"

namespace kestrix {

SideWindows::SideWindows(Document& doc, platform::Services& services, const platform::Window& main)
    : doc_(doc), services_(services), main_(main) {
    focus_->FilterWanted = [this](const std::string& filter) { ShowFiltered(filter); };
}

// The windows beside may outlive the main window for a moment: they no longer reach it.
SideWindows::~SideWindows() {
    focus_->FilterWanted = nullptr;
    const std::shared_ptr<platform::Window> open[] = {comments_.lock(),     carTable_.lock(), changes_.lock(),
                                                      compareFiles_.lock(), chart_.lock(),    manual_.lock()};
    for (const auto& window : open)
        if (window)
            window->StandBeside(nullptr);
}

void SideWindows::OpenBeside(std::shared_ptr<platform::Window> window, std::string key) {
    window->StandBeside(&main_);
    window->RememberPlace(services_, std::move(key));
    services_.ShowBeside(std::move(window));
}

void SideWindows::ShowAbout() {
    frmAbout about(services_);
    services_.ShowModal(about);
}

void SideWindows::ShowPreferences() {
    frmPreferences preferences(services_);
    services_.ShowModal(preferences);
}

void SideWindows::ShowAddCar(std::vector<platform::DropDown::Entry> cars) {
    frmAddCar form(doc_, services_);
    form.cboCars.SetEntries(std::move(cars));
    if (form.cboCars.ListCount() > 0)
        form.cboCars.SetListIndex(0);
    else
        form.optStats[2].SetEnabled(false); // no car to copy
    services_.ShowModal(form);
}

void SideWindows::ShowPasteCars(CarPaste paste) {
    frmPasteCars form(doc_, services_, std::move(paste));
    form.Form_Load();
    services_.ShowModal(form);
}

void SideWindows::ShowRename(int row) {
    frmRenameCar form(doc_, services_, row);
    services_.ShowModal(form);
}

void SideWindows::ShowImport(CarExchange& exchange, const std::string& path) {
    ImportRead read;
    {
        platform::BusyPointer busy(services_);
        read = ReadImportFile(path);
    }
    if (!read.error.empty()) {
        ReportFailure(services_, read.error);
        return;
    }
    exchange.ImportTable = std::move(read.rows);
    exchange.ExchangeMode = ExchangeKind::Import;
    frmImportExport form(doc_, exchange, services_);
    std::vector<std::string> names;
    names.reserve(exchange.ImportTable.size());
    for (const CarRow& car : exchange.ImportTable)
        names.emplace_back(car[VehicleIdentifier]);
    form.lvLeft.AddItems(std::move(names));
    services_.ShowModal(form);
}

void SideWindows::ShowExport(CarExchange& exchange, std::vector<std::string> names) {
    exchange.ExchangeMode = ExchangeKind::Export;
    frmImportExport form(doc_, exchange, services_);
    form.lvLeft.AddItems(std::move(names));
    services_.ShowModal(form);
}

std::optional<int> SideWindows::ShowAllErrors(const platform::ColumnList& errors) {
    std::optional<int> wanted;
    frmErrors window(services_);
    window.CopyRows(errors);
    window.GoToValue = [&wanted](int row) { wanted = row; };
    services_.ShowModal(window);
    return wanted;
}

std::weak_ptr<platform::Window>& SideWindows::Slot(Kind kind) {
    switch (kind) {
    case Kind::CarTable:
        return carTable_;
    case Kind::Chart:
        return chart_;
    case Kind::Manual:
        return manual_;
    case Kind::Changes:
        break;
    }
    return changes_;
}

bool SideWindows::BroughtToFront(Kind kind) {
    const auto open = Slot(kind).lock();
    if (!open || open->IsClosed())
        return false;
    open->BringToFront();
    return true;
}

void SideWindows::OpenCarTable() {
    auto table = std::make_shared<frmCarTable>(doc_, services_, focus_);
    table->CarLinesText = CarLinesText;
    table->Form_Load();
    carTable_ = table;
    OpenBeside(std::move(table), "CarTable/Place");
}

void SideWindows::ShowFiltered(const std::string& filter) {
    if (!BroughtToFront(Kind::CarTable))
        OpenCarTable();
    if (const auto table = std::dynamic_pointer_cast<frmCarTable>(carTable_.lock()))
        table->ShowOnly(filter);
}

void SideWindows::ShowFixRange() {
    frmFixRange form(doc_, services_);
    {
        platform::BusyPointer busy(services_);
        form.Form_Load();
    }
    if (form.FindingCount() == 0) {
        services_.ShowMessage({"Every value is within its limits: there is nothing to fix.", form.Caption(),
                               platform::Buttons::Ok, platform::Icon::Information, platform::Answer::Ok});
        return;
    }
    services_.ShowModal(form);
}

void SideWindows::OpenChart() {
    auto chart = std::make_shared<frmChart>(doc_, services_, focus_);
    chart->Form_Load();
    chart_ = chart;
    OpenBeside(std::move(chart), "Chart/Place");
}

void SideWindows::OpenChanges() {
    auto changes = std::make_shared<frmChanges>(doc_);
    changes_ = changes;
    OpenBeside(std::move(changes), "Changes/Place");
}

void SideWindows::ShowManual() {
    if (BroughtToFront(Kind::Manual))
        return;
    auto help = std::make_shared<frmHelp>(services_, FindManual(services_.ProgramFolder()));
    manual_ = help;
    OpenBeside(std::move(help), "Manual/Place");
}

void SideWindows::ShowComments() {
    std::shared_ptr<frmComments> comments = comments_.lock();
    if (comments && !comments->IsClosed()) {
        comments->Fill();
        comments->BringToFront();
        return;
    }
    comments = std::make_shared<frmComments>(doc_);
    comments->Fill();
    comments_ = comments;
    OpenBeside(std::move(comments), "Comments/Place");
}

void SideWindows::OpenCompare(const std::string& path, const std::string& caption) {
    HandlingFileRead read;
    {
        platform::BusyPointer busy(services_);
        read = ReadHandlingFile(path);
    }
    if (!read.error.empty()) {
        ReportFailure(services_, read.error);
        return;
    }
    // One comparison at a time: a new one replaces the window of the last.
    if (const auto open = compareFiles_.lock())
        open->Unload();
    auto compare = std::make_shared<frmCompareFiles>(doc_, services_, std::move(read.file), path);
    compare->Form_Load();
    compare->SetCaption(caption);
    compareFiles_ = compare;
    OpenBeside(std::move(compare), "CompareFiles/Place");
}

bool SideWindows::ShowMerge(std::array<std::string, 3> versions, const std::string& path) {
    const std::string name = NameOf(path, kSystemPathStyle);
    MergeVersions read;
    {
        platform::BusyPointer busy(services_);
        read =
            ParseMergeVersions(std::move(versions), {"the base of " + name, "our " + name, "their " + name});
    }
    if (!read.error.empty()) {
        ReportFailure(services_, read.error);
        return false;
    }
    const auto take = [this, &read](const HandlingDocument& merged, const std::vector<int>& oursRows) {
        doc_.CommitPendingEdits();
        CarsInResult in =
            MergedChange(doc_.Data(), read.files[static_cast<std::size_t>(MergeSide::Ours)].Cars, merged,
                         oursRows, doc_.SavedRows());
        if (in.refusal.empty())
            doc_.Commit(std::move(in.change));
        return in.refusal;
    };
    frmMerge form(services_, MergeResolution(read.Merge()), name, take, doc_.Numbers(),
                  AskGitForSideNames(services_.Processes(), path));
    form.Form_Load();
    services_.ShowModal(form);
    return form.Saved();
}

void SideWindows::CloseAll() {
    if (const auto comments = comments_.lock())
        comments->Unload();
    if (const auto table = carTable_.lock())
        table->Unload();
    if (const auto compare = compareFiles_.lock())
        compare->Unload();
    if (const auto chart = chart_.lock())
        chart->Unload();
    if (const auto manual = manual_.lock())
        manual->Unload();
}

} // namespace kestrix
