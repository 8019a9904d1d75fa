#include "app/editor_start.h"
#include "app/process.h"
#include "files/file_operations.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/text.h"
#include "views/qt/views.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QDir>

#include <clocale>
#include <string>

namespace {

using kestrix::platform::qt::NativePathBytes;

std::string ProgramFolder() {
    return NativePathBytes(QCoreApplication::applicationDirPath());
}

// Where file dialogs start when nothing better is known: the sample's folder
// when the editor runs from its build tree, else the user's home.
std::string HomeFolder() {
    const QDir samples(QCoreApplication::applicationDirPath() + QStringLiteral("/../examples"));
    if (samples.exists(QStringLiteral("Handling.cfg")))
        return NativePathBytes(samples.canonicalPath());
    return NativePathBytes(QDir::homePath());
}

int RunMergeTool(kestrix::platform::qt::QtServices& services, const std::vector<std::string>& files) {
    kestrix::MergeTool tool(services, files);
    if (tool.Refused())
        return tool.ExitStatus();
    const auto window = services.CreateFrame(tool.Form());
    tool.Form().Form_Load();
    window->show();
    QApplication::exec();
    return tool.ExitStatus();
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "");
    kestrix::UseBinaryOutput();
    kestrix::EditorArguments editor;
    // Qt is then given none of the arguments, so that no file name is taken for one of its own options.
    if (const auto status = kestrix::ReadEditorArguments(argc, argv, editor))
        return *status;

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrix"));
    QApplication::setApplicationName(QStringLiteral("Kestrix 3"));
    // Qt sets the whole locale from the environment; numbers are read the user's way on purpose.
    std::setlocale(LC_NUMERIC, "");

    kestrix::platform::qt::QtServices services(kestrix::QuotedAbsolutePath(editor.file), ProgramFolder(),
                                               HomeFolder(), kestrix::StateFolder(),
                                               kestrix::SettingsFilePath());
    kestrix::views::RegisterViews(services);
    const auto processes = kestrix::SystemProcessRunner();
    services.SetProcesses(processes.get());
    if (!editor.mergeTool.empty())
        return RunMergeTool(services, editor.mergeTool);
    kestrix::Document doc(kestrix::NumberFormat::FromCurrentLocale());
    kestrix::frmMain form(doc, services);
    const auto window = services.CreateFrame(form);
    form.Form_Load();
    window->show();
    return app.exec();
}
