#include "app/command_line.h"
#include "platform/qt/main_window_view.h"
#include "platform/qt/qt_services.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QFile>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kUsageError = 2;

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

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "");
    if (const auto status = kestrix::RunCommandLineMode({argv + 1, argv + argc}, stdout, stderr))
        return *status;

    QApplication app(argc, argv);
    // Qt sets the whole locale from the environment; numbers are read the user's way on purpose.
    std::setlocale(LC_NUMERIC, "");
    const std::vector<std::string> files(argv + 1, argv + argc); // what Qt left of the arguments
    if (files.size() > 1) {
        std::fputs("kestrix: give at most one file to open\n\n", stderr);
        kestrix::RunCommandLineMode({"--help"}, stderr, stderr);
        return kUsageError;
    }

    kestrix::HandlingDocument doc;
    kestrix::platform::qt::QtServices services(files.empty() ? std::string() : QuotedAbsolutePath(files[0]),
                                               ProgramFolder());
    kestrix::frmMain form(doc, services, kestrix::NumberFormat::FromCurrentLocale());
    kestrix::platform::qt::MainWindowView window(form);
    form.Form_Load();
    window.show();
    return app.exec();
}
