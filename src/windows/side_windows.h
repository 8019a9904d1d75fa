#pragma once

#include "compare/car_paste.h"
#include "document/document.h"
#include "platform/controls.h"
#include "platform/services.h"
#include "platform/window.h"
#include "windows/car_focus.h"
#include "windows/frmImportExport.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrix {

class frmComments;
class frmCompareFiles;

// The windows the main window opens on its document: beside it, each once and
// brought to the front when asked for again, or blocking it until they close.
// A window beside it stands beside the main window: the main menu's keys work
// there too, and it opens where it was last, else beside the main window.
class SideWindows {
  public:
    SideWindows(Document& doc, platform::Services& services, const platform::Window& main);
    SideWindows(const SideWindows&) = delete;
    SideWindows& operator=(const SideWindows&) = delete;
    ~SideWindows();

    void ShowAbout();
    void ShowPreferences();
    // The add-car window offers the cars of the list to copy from.
    void ShowAddCar(std::vector<platform::DropDown::Entry> cars);
    void ShowRename(int row);
    // Reads path and offers its cars; a file that cannot be read opens no window.
    void ShowImport(CarExchange& exchange, const std::string& path);
    void ShowExport(CarExchange& exchange, std::vector<std::string> names);
    // What the pasted car lines would change, applied when the user says so.
    void ShowPasteCars(CarPaste paste);
    // Given to the car table, whose Copy Car Lines writes the lines as the file holds them.
    std::function<std::string(const std::vector<int>&)> CarLinesText;
    // Every row of the error list; the row (as the list shows it) whose value the user asked to go to.
    std::optional<int> ShowAllErrors(const platform::ColumnList& errors);
    // Every finding of the check with its repair; a document without one says so instead.
    void ShowFixRange();

    enum class Kind { CarTable, Chart, Changes, Manual };
    // Brings the window to the front when it is open; false when it is not.
    bool BroughtToFront(Kind kind);
    void OpenCarTable();
    void OpenChart();
    void OpenChanges();
    // The manual, found beside the program or where the package installs it; brought to the front when open.
    void ShowManual();
    // Opened, or filled anew and brought to the front: comments typed there but not confirmed go.
    void ShowComments();
    // Reads path and compares the document with it; a new comparison replaces the window of the last.
    void OpenCompare(const std::string& path, const std::string& caption);
    // The merge window on the versions of the open file at path (base, ours,
    // theirs); its save takes the merged file into the document as one step.
    // True when it did.
    bool ShowMerge(std::array<std::string, 3> versions, const std::string& path);
    // As the main window closes: comments typed but not confirmed go with their window.
    void CloseAll();

  private:
    std::weak_ptr<platform::Window>& Slot(Kind kind);
    // Shows the window beside the main window, at the place kept under key.
    void OpenBeside(std::shared_ptr<platform::Window> window, std::string key);
    // The car table shows the cars of a filter another window wrote, opened for it when closed.
    void ShowFiltered(const std::string& filter);

    Document& doc_;
    platform::Services& services_;
    const platform::Window& main_;
    std::weak_ptr<frmComments> comments_;
    std::weak_ptr<platform::Window> carTable_;
    std::weak_ptr<platform::Window> changes_;
    std::weak_ptr<frmCompareFiles> compareFiles_;
    std::weak_ptr<platform::Window> chart_;
    std::weak_ptr<platform::Window> manual_;
    // What the car table shows and has selected, for the chart; shared, as either may outlive the main
    // window.
    std::shared_ptr<CarFocus> focus_ = std::make_shared<CarFocus>();
};

} // namespace kestrix
