// The main window's menus, as one table: each entry's caption, key, what it
// needs to be available and its handler.
#include "windows/frmMain.h"

namespace kestrix {

using platform::MenuEntry;
using platform::Shortcut;

namespace {

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
    {&frmMain::mnuSaveTidied, &frmMain::mnuFile, "Save &Tidied As...", Shortcut::None, Needs::Document,
     &frmMain::mnuSaveTidied_Click},
    {&frmMain::mnuRevert, &frmMain::mnuFile, "&Revert to last save...", Shortcut::CtrlR, Needs::Document,
     &frmMain::mnuRevert_Click},
    {&frmMain::mnuCompareFile, &frmMain::mnuFile, "Co&mpare with File...", Shortcut::None, Needs::Document,
     &frmMain::mnuCompareFile_Click},
    {&frmMain::mnuCompareSaved, &frmMain::mnuFile, "Compare with Sa&ved", Shortcut::None, Needs::Document,
     &frmMain::mnuCompareSaved_Click},
    {&frmMain::mnuResolveMerge, &frmMain::mnuFile, "Resolve Mer&ge...", Shortcut::None, Needs::Document,
     &frmMain::mnuResolveMerge_Click},
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
    {&frmMain::sep5, &frmMain::mnuEdit, "-", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuCopyCarLine, &frmMain::mnuEdit, "Copy Car &Line", Shortcut::None, Needs::Car,
     &frmMain::mnuCopyCarLine_Click},
    {&frmMain::mnuPasteCars, &frmMain::mnuEdit, "&Paste Car Lines...", Shortcut::CtrlShiftV, Needs::Document,
     &frmMain::mnuPasteCars_Click},
    {&frmMain::mnuFindCar, &frmMain::mnuEdit, "&Find Car...", Shortcut::CtrlF, Needs::Car,
     &frmMain::mnuFindCar_Click},
    {&frmMain::mnuCars, nullptr, "&Cars", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuAdd, &frmMain::mnuCars, "&Add new car...", Shortcut::None, Needs::Document,
     &frmMain::mnuAdd_Click},
    {&frmMain::mnuDelete, &frmMain::mnuCars, "&Delete Car...", Shortcut::None, Needs::Car,
     &frmMain::mnuDelete_Click},
    {&frmMain::mnuRename, &frmMain::mnuCars, "&Rename Car...", Shortcut::F2, Needs::Car,
     &frmMain::mnuRename_Click},
    {&frmMain::mnuMoveUp, &frmMain::mnuCars, "Move Car &Up", Shortcut::None, Needs::Car,
     &frmMain::mnuMoveUp_Click},
    {&frmMain::mnuMoveDown, &frmMain::mnuCars, "Move Car Do&wn", Shortcut::None, Needs::Car,
     &frmMain::mnuMoveDown_Click},
    {&frmMain::mnuTakeCars, &frmMain::mnuCars, "Take Cars from &File...", Shortcut::None, Needs::Document,
     &frmMain::mnuTakeCars_Click},
    {&frmMain::mnuCarTable, &frmMain::mnuCars, "Car &Table...", Shortcut::CtrlT, Needs::Document,
     &frmMain::mnuCarTable_Click},
    {&frmMain::mnuTools, nullptr, "&Tools", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuViewProperties, &frmMain::mnuTools, "&View Stat Properties...", Shortcut::CtrlP,
     Needs::Nothing, &frmMain::mnuViewProperties_Click},
    {&frmMain::mnuFileComments, &frmMain::mnuTools, "&File Coments...", Shortcut::CtrlC, Needs::Document,
     &frmMain::mnuFileComments_Click},
    {&frmMain::mnuChart, &frmMain::mnuTools, "Stat &Chart...", Shortcut::None, Needs::Document,
     &frmMain::mnuChart_Click},
    {&frmMain::mnuFixRange, &frmMain::mnuTools, "Fix &Out-of-Range Values...", Shortcut::None,
     Needs::Document, &frmMain::mnuFixRange_Click},
    {&frmMain::mnuPreferences, &frmMain::mnuTools, "&Preferences...", Shortcut::None, Needs::Nothing,
     &frmMain::mnuPreferences_Click},
    {&frmMain::mnuHelp, nullptr, "&Help", Shortcut::None, Needs::Nothing, nullptr},
    {&frmMain::mnuManual, &frmMain::mnuHelp, "Kestrix &Manual", Shortcut::F1, Needs::Nothing,
     &frmMain::mnuManual_Click},
    {&frmMain::mnuAbout, &frmMain::mnuHelp, "&About", Shortcut::None, Needs::Nothing,
     &frmMain::mnuAbout_Click},
};

} // namespace

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

void frmMain::EnableMenus(bool loaded, bool hasCar) {
    for (const MenuItem& item : kMenus) {
        const bool available = item.needs == Needs::Nothing || (item.needs == Needs::Document && loaded) ||
                               (item.needs == Needs::Car && hasCar);
        (this->*item.entry).SetEnabled(available);
    }
    mnuUndo.SetEnabled(loaded && doc_.CanUndo());
    mnuRedo.SetEnabled(loaded && doc_.CanRedo());
}

} // namespace kestrix
