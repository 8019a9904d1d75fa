#include "windows/frmImportExport.h"

#include "document/car_commands.h"
#include "document/cars_in.h"
#include "files/file_operations.h"
#include "windows/file_dialogs.h"

namespace kestrix {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

constexpr std::string_view kImportQuestion =
    "Are you sure you wish to import these files?\r"
    "You will overwrite any cars stats that currently exist in the file.";

// Moves the selected names, as plain text: a name can end up twice in the target.
void MoveSelected(platform::ListBox& from, platform::ListBox& to) {
    to.AddItems(from.TakeSelected());
}

} // namespace

frmImportExport::frmImportExport(Document& doc, CarExchange& exchange, platform::Services& services)
    : Window("frmImportExport"), doc_(doc), exchange_(exchange), services_(services) {
    Label1.SetCaption("Cars :");
    Label2.SetCaption("Exported File :");
    NameAfter(lvLeft, Label1);
    NameAfter(lvRight, Label2);
    cmdCopyRight.SetCaption(">");
    cmdCopyLeft.SetCaption("<");
    cmdCancel.SetCaption("&Cancel");
    cmdCopyRight.Click = [this] { cmdCopyRight_Click(); };
    cmdCopyLeft.Click = [this] { cmdCopyLeft_Click(); };
    lvLeft.DblClick = [this] { cmdCopyRight_Click(); };
    lvRight.DblClick = [this] { cmdCopyLeft_Click(); };
    cmdSave.Click = [this] { cmdSave_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    CancelButton = &cmdCancel;
    SetResizable(true); // long lists of names read more easily in a taller window
    Focus.Join({&lvLeft, &cmdCopyRight, &cmdCopyLeft, &lvRight, &cmdSave, &cmdCancel});
    Form_Load();
}

void frmImportExport::Form_Load() {
    const bool importing = exchange_.ExchangeMode == ExchangeKind::Import;
    SetCaption(importing ? "Import Cars from file..." : "Export Cars to file...");
    cmdSave.SetCaption(importing ? "Import Cars" : "Export Cars");
}

void frmImportExport::cmdCopyRight_Click() {
    MoveSelected(lvLeft, lvRight);
}

void frmImportExport::cmdCopyLeft_Click() {
    MoveSelected(lvRight, lvLeft);
}

void frmImportExport::cmdSave_Click() {
    if (lvRight.ListCount() == 0) {
        services_.ShowMessage(
            {"You have not selected any cars!", "Export Cars", Buttons::Ok, Icon::Warning, Answer::Ok});
        return;
    }
    if (exchange_.ExchangeMode == ExchangeKind::Import)
        ImportChosenCars();
    else
        ExportChosenCars();
}

void frmImportExport::cmdCancel_Click() {
    exchange_.ExportPath.clear();
    Unload();
}

std::vector<std::string> frmImportExport::ChosenNames() const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(lvRight.ListCount()));
    for (int position = 0; position < lvRight.ListCount(); ++position)
        names.push_back(lvRight.List(position));
    return names;
}

void frmImportExport::ImportChosenCars() {
    const Answer answer = services_.ShowMessage({std::string(kImportQuestion), "Import Car Stats..",
                                                 Buttons::OkCancel, Icon::Information, Answer::Ok});
    if (answer != Answer::Ok)
        return;
    doc_.CommitPendingEdits();
    CarsInResult imported = ImportChange(doc_.Data(), exchange_.ImportTable, ChosenNames());
    if (!imported.refusal.empty()) {
        ReportFailure(services_, imported.refusal);
        return; // nothing changed: the user may choose fewer new cars
    }
    doc_.Commit(std::move(imported.change));
    Unload();
}

void frmImportExport::ExportChosenCars() {
    exchange_.ExportPath =
        AskForHandlingFile(services_, FileDialogKind::Save, "Export Cars to .CFG", doc_.FilePath());
    if (exchange_.ExportPath.empty())
        return;
    // Written over the open file, the export would leave the window showing cars the file no longer holds.
    if (!doc_.FilePath().empty() && SameFile(exchange_.ExportPath, doc_.FilePath())) {
        services_.ShowMessage({"The cars cannot be exported to \"" + exchange_.ExportPath +
                                   "\": it is the file open in the editor.\rChoose another file.",
                               "Export Cars", Buttons::Ok, Icon::Warning, Answer::Ok});
        return;
    }
    if (!ConfirmValueGaps(services_, ExportDocument(doc_.Data(), ChosenNames()).Cars) || !ExportFiles())
        return;
    services_.ShowMessage({"File " + exchange_.ExportPath + " has been successfully created!", "",
                           Buttons::Ok, Icon::None, Answer::Ok});
    Unload();
}

bool frmImportExport::ExportFiles() {
    std::string error;
    {
        platform::BusyPointer busy(services_);
        error = ExportCars(exchange_.ExportPath, doc_.Data(), ChosenNames());
    }
    if (error.empty())
        return true;
    ReportFailure(services_, error);
    return false;
}

} // namespace kestrix
