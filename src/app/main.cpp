#include "app/command_line.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_services.h"
#include "windows/frmMain.h"

#include <QApplication>
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

// Runs a command-line mode (which also refuses bad arguments), or finds the one file the window opens. Qt is
// then given none of the arguments, so that no file name is taken for one
// of its own options. Returns an exit status when no window is wanted.
std::optional<int> ReadArguments(int argc, char** argv, std::string& file) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto status = kestrix::RunCommandLineMode(args, stdout, stderr))
        return status;
    file = kestrix::ParseEditorArguments(args).file; // valid, or the mode above said why not
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "");
    std::string file;
    if (const auto status = ReadArguments(argc, argv, file))
        return *status;

    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    // Qt sets the whole locale from the environment; numbers are read the user's way on purpose.
    std::setlocale(LC_NUMERIC, "");

    kestrix::HandlingDocument doc;
    kestrix::platform::qt::QtServices services(QuotedAbsolutePath(file), ProgramFolder());
    kestrix::frmMain form(doc, services, kestrix::NumberFormat::FromCurrentLocale());
    kestrix::platform::qt::MainWindowView window(form);
    form.Form_Load();
    window.show();
    return app.exec();
}
