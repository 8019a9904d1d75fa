#pragma once

#include "files/file_operations.h"
#include "platform/controls.h"
#include "platform/markdown_view.h"
#include "platform/services.h"
#include "platform/window.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kestrix {

// The user's manual as found: its path and text, or, when none was read, why not at each place.
struct ManualFile {
    std::string path;
    std::string text;
    std::vector<std::string> failures;
};

// Where the manual may be, first first: in "manual" beside the program (its build folder, and the
// folder it is unpacked into on Windows), then where the package installs it.
std::vector<std::string> ManualPlaces(const std::string& programFolder);
// The first manual that reads of those places.
ManualFile FindManual(const std::string& programFolder, FileOperations& files = SystemFiles());

// The user's manual beside the main window, with its pictures: a link to a
// heading goes there, Back returns to where the reader was, and Find finds text.
// A manual that was not found is named as such, with the places looked at.
class frmHelp : public platform::Window {
  public:
    frmHelp(platform::Services& services, ManualFile manual);

    platform::Button cmdBack{"cmdBack"};
    platform::Label lblFind{"lblFind"};
    platform::TextField txtFind{"txtFind"};
    platform::Button cmdFindNext{"cmdFindNext"};
    platform::Label lblFound{"lblFound"};
    platform::MarkdownView rtbManual{"rtbManual"};

    void rtbManual_LinkClick(const std::string& target);
    // Back, and Alt+Left: to where the reader was before the last link.
    void cmdBack_Click();
    // Find Next, Enter in the find field and F3.
    void cmdFindNext_Click();
    // Ctrl+F: to the find field, its text selected to be typed over.
    void FindKey();
    // Escape in the find field: the find ends, and the reader goes on from the text found.
    void txtFind_Revert();

  private:
    void ShowBackEnabled() { cmdBack.SetEnabled(!places_.empty()); }

    platform::Services& services_;
    // The places the reader followed a link from, last last.
    std::vector<std::size_t> places_;
};

} // namespace kestrix
