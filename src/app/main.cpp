#include "app/command_line.h"
#include "app/process.h"
#include "compare/merge_files.h"
#include "handling_file/file_operations.h"
#include "platform/qt/qt_services.h"
#include "views/qt/views.h"
#include "windows/file_dialogs.h"
#include "windows/frmMain.h"
#include "windows/frmMerge.h"
#ifdef _WIN32
#include "app/windows_processes.h"
#else
#include "app/posix_processes.h"
#endif

#include <QApplication>
#include <QDir>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

// The form the desktop passes a file in: one path in double quotes, with
// "/" between its names as Qt writes paths (after a drive letter on Windows).
std::string QuotedAbsolutePath(const std::string& argument) {
    if (argument.empty())
        return {};
    const std::filesystem::path given(std::u8string(argument.begin(), argument.end()));
    std::error_code failed;
    std::filesystem::path path = std::filesystem::weakly_canonical(given, failed);
    if (failed)
        path = std::filesystem::absolute(given, failed);
    const std::u8string text = (failed ? given : path).generic_u8string();
    return "\"" + std::string(text.begin(), text.end()) + "\"";
}

// Paths go to the file seam as UTF-8 on every system.
std::string PathBytes(const QString& path) {
    return path.toUtf8().toStdString();
}

std::string ProgramFolder() {
    return PathBytes(QCoreApplication::applicationDirPath());
}

// Where file dialogs start when nothing better is known: the sample's folder
// when the editor runs from its build tree, else the user's home.
std::string HomeFolder() {
    const QDir samples(QCoreApplication::applicationDirPath() + QStringLiteral("/../examples"));
    if (samples.exists(QStringLiteral("Handling.cfg")))
        return PathBytes(samples.canonicalPath());
    return PathBytes(QDir::homePath());
}

// Runs a command-line mode (which also refuses bad arguments), or finds what the window opens. Qt is
// then given none of the arguments, so that no file name is taken for one
// of its own options. Returns an exit status when no window is wanted.
std::optional<int> ReadArguments(int argc, char** argv, kestrix::EditorArguments& editor) {
    const std::vector<std::string> args = kestrix::ProgramArguments(argc, argv);
    const kestrix::Output out(stdout, kestrix::IsTerminal(stdout));
    if (const auto status = kestrix::RunCommandLineMode(args, out, stderr))
        return status;
    editor = kestrix::ParseEditorArguments(args); // valid, or the mode above said why not
    return std::nullopt;
}

// git mergetool: the merge window alone, on the files git hands over. The
// exit status tells git whether the merge was saved.
int RunMergeTool(kestrix::platform::qt::QtServices& services, const std::vector<std::string>& files) {
    const kestrix::MergeVersions versions = kestrix::ReadMergeVersions({files[0], files[1], files[2]});
    if (!versions.error.empty()) {
        kestrix::ReportFailure(services, versions.error); // git may have been started from a window
        return kestrix::CommandFailed(stderr, versions.error);
    }
    const std::string& merged = files[3];
    const auto save = [&](const kestrix::HandlingDocument& doc) {
        return kestrix::WriteMergedFile(merged, doc, &versions.oursLayout);
    };
    kestrix::frmMerge form(services, kestrix::MergeResolution(versions.Merge()),
                           std::filesystem::path(merged).filename().string(), save,
                           kestrix::NumberFormat::FromCurrentLocale());
    const auto window = services.CreateFrame(form);
    form.Form_Load();
    window->show();
    QApplication::exec();
    return form.Saved() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "");
    kestrix::UseBinaryOutput();
    kestrix::EditorArguments editor;
    if (const auto status = ReadArguments(argc, argv, editor))
        return *status;

    kestrix::UseLargePagesForTheHeap();
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrix"));
    QApplication::setApplicationName(QStringLiteral("Kestrix 3"));
    // Qt sets the whole locale from the environment; numbers are read the user's way on purpose.
    std::setlocale(LC_NUMERIC, "");

    kestrix::platform::qt::QtServices services(QuotedAbsolutePath(editor.file), ProgramFolder(), HomeFolder(),
                                               kestrix::StateFolder(), kestrix::SettingsFilePath());
    kestrix::views::RegisterViews(services);
#ifdef _WIN32
    kestrix::WindowsProcessRunner processes;
#else
    kestrix::PosixProcessRunner processes;
#endif
    services.SetProcesses(&processes);
    if (!editor.mergeTool.empty())
        return RunMergeTool(services, editor.mergeTool);
    kestrix::Document doc(kestrix::NumberFormat::FromCurrentLocale());
    kestrix::frmMain form(doc, services);
    const auto window = services.CreateFrame(form);
    form.Form_Load();
    window->show();
    return app.exec();
}
