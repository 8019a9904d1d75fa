#pragma once

#include "document/file_session.h"
#include "model/handling_document.h"
#include "platform/services.h"

#include <string>
#include <vector>

namespace kestrix {

enum class FileDialogKind {
    Open, // the file must exist
    Save, // replacing a file is confirmed first
};

// Asks for a handling file with the settings every file dialog of the program
// shares. The dialog starts in the folder of openFile when one is open, else in
// the folder last chosen, else in the home folder; the folder chosen is remembered.
// Returns the path, or empty text when the user cancelled.
std::string AskForHandlingFile(platform::Services& services, FileDialogKind kind, std::string title,
                               const std::string& openFile);
// The first handling file (.cfg) among files dropped on a window; where there
// is none, the user is told so and the result is empty.
std::string DroppedHandlingFile(platform::Services& services, const std::vector<std::string>& paths);
// The same for a file of another kind: its filter ("PNG Picture|*.png") and ending.
std::string AskForFile(platform::Services& services, FileDialogKind kind, std::string title,
                       const std::string& openFile, std::string filter, std::string defaultExtension);

// A file that could not be read or written: the message names the path and the reason.
void ReportFailure(platform::Services& services, const std::string& message);

// The file cannot hold an empty value with values after it: on reading, those
// values would move one column to the left. Asks before anything is written;
// true when the cars have no such value or the user answers Yes.
bool ConfirmValueGaps(platform::Services& services, const CarTable& cars);

// Shows what the file session has to tell or ask, with the buttons it needs;
// returns the answer. A notice of kind None shows nothing.
platform::Answer ShowFileNotice(platform::Services& services, const FileNotice& notice);
// Tells what a step of the file session has to tell: its failure, then its
// notices in turn; returns the answer to the last of them.
platform::Answer TellFileStep(platform::Services& services, const FileStep& step);

} // namespace kestrix
