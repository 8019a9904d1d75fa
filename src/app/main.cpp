#include "app/command_line.h"
#include "handling_file/file_operations.h"
#include "platform/qt/qt_services.h"
#include "views/qt/views.h"
#include "windows/frmMain.h"

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
    QApplication::setOrganizationName(QStringLiteral("Kestrix"));
    QApplication::setApplicationName(QStringLiteral("Kestrix 3"));
    // Qt sets the whole locale from the environment; numbers are read the user's way on purpose.
    std::setlocale(LC_NUMERIC, "");

    kestrix::Document doc(kestrix::NumberFormat::FromCurrentLocale());
    kestrix::platform::qt::QtServices services(QuotedAbsolutePath(file), ProgramFolder(), HomeFolder(),
                                               kestrix::StateFolder());
    kestrix::views::RegisterViews(services);
    kestrix::frmMain form(doc, services);
    const auto window = services.CreateFrame(form);
    form.Form_Load();
    window->show();
    return app.exec();
}
