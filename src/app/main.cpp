#include "app/command_line.h"
#include "app/posix_processes.h"
#include "compare/merge_files.h"
#include "handling_file/recovery_journal.h"
#include "handling_file/settings_file.h"
#include "platform/qt/qt_services.h"
#include "views/qt/views.h"
#include "windows/file_dialogs.h"
#include "windows/frmMain.h"
#include "windows/frmMerge.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

// The form the desktop passes a file in: one path in double quotes.
std::string QuotedAbsolutePath(const std::string& argument) {
    if (argument.empty())
        return {};
    std::error_code failed;
    std::filesystem::path path = std::filesystem::weakly_canonical(argument, failed);
    if (failed)
        path = std::filesystem::absolute(argument, failed);
    return "\"" + (failed ? argument : path.string()) + "\"";
}

std::string ProgramFolder() {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

// Where file dialogs start when nothing better is known: the sample's folder
// when the editor runs from its build tree, else the user's home.
std::string HomeFolder() {
    const QDir samples(QCoreApplication::applicationDirPath() + QStringLiteral("/../examples"));
    if (samples.exists(QStringLiteral("Handling.cfg")))
        return QFile::encodeName(samples.canonicalPath()).toStdString();
    return QFile::encodeName(QDir::homePath()).toStdString();
}

// Runs a command-line mode (which also refuses bad arguments), or finds what the window opens. Qt is
// then given none of the arguments, so that no file name is taken for one
// of its own options. Returns an exit status when no window is wanted.
std::optional<int> ReadArguments(int argc, char** argv, kestrix::EditorArguments& editor) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto status = kestrix::RunCommandLineMode(args, stdout, stderr))
        return status;
    editor = kestrix::ParseEditorArguments(args); // valid, or the mode above said why not
    return std::nullopt;
}

// git mergetool: the merge window alone, on the files git hands over. The
// exit status tells git whether the merge was saved.
int RunMergeTool(kestrix::platform::qt::QtServices& services, const std::vector<std::string>& files) {
    const kestrix::MergeVersions versions = kestrix::ReadMergeVersions({files[0], files[1], files[2]});
    if (!versions.error.empty()) {
        std::fprintf(stderr, "kestrix: %s\n", versions.error.c_str());
        kestrix::ReportFailure(services, versions.error); // git may have been started from a window
        return 2;
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
    kestrix::EditorArguments editor;
    if (const auto status = ReadArguments(argc, argv, editor))
        return *status;

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrix"));
    QApplication::setApplicationName(QStringLiteral("Kestrix 3"));
    // Qt sets the whole locale from the environment; numbers are read the user's way on purpose.
    std::setlocale(LC_NUMERIC, "");

    kestrix::platform::qt::QtServices services(QuotedAbsolutePath(editor.file), ProgramFolder(), HomeFolder(),
                                               kestrix::RecoveryFolder(), kestrix::SettingsFilePath());
    kestrix::views::RegisterViews(services);
    kestrix::PosixProcessRunner processes;
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
