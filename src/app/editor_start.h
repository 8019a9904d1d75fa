#pragma once

#include "app/command_line.h"
#include "document/version_files.h"
#include "platform/processes.h"
#include "platform/services.h"
#include "windows/frmMerge.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The editor's start apart from the toolkit: what it makes of its arguments,
// and the windows it opens on them.
namespace kestrix {

// Runs a command-line mode (which also refuses bad arguments), or finds what
// the window opens. Returns an exit status when no window is wanted.
std::optional<int> ReadEditorArguments(int argc, char** argv, EditorArguments& editor);

// The form the desktop passes a file in: one whole path in double quotes, in
// the system's own form (a drive letter and backslashes on Windows).
std::string QuotedAbsolutePath(const std::string& argument);

// The runner of other programs (git) on this system.
std::unique_ptr<platform::ProcessRunner> SystemProcessRunner();

// git mergetool: the merge window alone, on the files git hands over.
class MergeTool {
  public:
    // Reads the versions; a refusal is told on standard error and in a message.
    MergeTool(platform::Services& services, const std::vector<std::string>& files);
    bool Refused() const { return !form_; }
    frmMerge& Form() { return *form_; }
    // What git reads: 0 when the merge was saved, 1 when not, 2 when refused.
    int ExitStatus() const;

  private:
    MergeVersions versions_;
    std::unique_ptr<frmMerge> form_;
    int refusedStatus_ = 0;
};

} // namespace kestrix
