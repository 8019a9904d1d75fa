#include "app/editor_start.h"

#include "app/process.h"
#include "windows/file_dialogs.h"
#ifdef _WIN32
#include "app/win32_processes.h"
#else
#include "app/posix_processes.h"
#endif

#include <cstdio>
#include <filesystem>

namespace kestrix {

std::optional<int> ReadEditorArguments(int argc, char** argv, EditorArguments& editor) {
    const std::vector<std::string> args = ProgramArguments(argc, argv);
    const Output out(stdout, IsTerminal(stdout));
    if (const auto status = RunCommandLineMode(args, out, stderr))
        return status;
    editor = ParseEditorArguments(args); // valid, or the mode above said why not
    return std::nullopt;
}

std::string QuotedAbsolutePath(const std::string& argument) {
    if (argument.empty())
        return {};
    const std::filesystem::path given(std::u8string(argument.begin(), argument.end()));
    std::error_code failed;
    std::filesystem::path path = std::filesystem::weakly_canonical(given, failed);
    if (failed)
        path = std::filesystem::absolute(given, failed);
    std::filesystem::path shown = failed ? given : path;
    const std::u8string text = shown.make_preferred().u8string();
    return "\"" + std::string(text.begin(), text.end()) + "\"";
}

std::unique_ptr<platform::ProcessRunner> SystemProcessRunner() {
#ifdef _WIN32
    return std::make_unique<Win32ProcessRunner>();
#else
    return std::make_unique<PosixProcessRunner>();
#endif
}

MergeTool::MergeTool(platform::Services& services, const std::vector<std::string>& files)
    : versions_(ReadMergeVersions({files[0], files[1], files[2]})) {
    if (!versions_.error.empty()) {
        ReportFailure(services, versions_.error); // git may have been started from a window
        refusedStatus_ = CommandFailed(stderr, versions_.error);
        return;
    }
    const std::string merged = files[3];
    const auto save = [this, merged](const HandlingDocument& doc, const std::vector<int>& oursRows) {
        return WriteMergedFile(merged, doc, &versions_, oursRows);
    };
    form_ = std::make_unique<frmMerge>(
        services, MergeResolution(versions_.Merge()), std::filesystem::path(merged).filename().string(), save,
        NumberFormat::FromCurrentLocale(), AskGitForSideNames(services.Processes(), merged));
}

int MergeTool::ExitStatus() const {
    if (!form_)
        return refusedStatus_;
    return form_->Saved() ? 0 : 1;
}

} // namespace kestrix
