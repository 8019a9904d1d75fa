#include "app/command_line.h"
#include "platform/qt/qt_services.h"
#include "views/qt/views.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QDir>
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

// Where file dialogs start when nothing better is known: the sample's folder
// when the editor runs from its build tree, else the user's home.
std::string HomeFolder() {
    const QDir samples(QCoreApplication::applicationDirPath() + QStringLiteral("/../examples"));
    if (samples.exists(QStringLiteral("Handling.cfg")))
        return QFile::encodeName(samples.canonicalPath()).toStdString();
    return QFile::encodeName(QDir::homePath()).toStdString();
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "");
    if (const auto status = kestrix::RunCommandLineMode({argv + 1, argv + argc}, stdout, stderr))
        return *status;

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kestrix"));
    QApplication::setApplicationName(QStringLiteral("Kestrix 3"));
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
                                               ProgramFolder(), HomeFolder());
    kestrix::views::RegisterViews(services);
    kestrix::frmMain form(doc, services, kestrix::NumberFormat::FromCurrentLocale());
    const auto window = services.CreateFrame(form);
    form.Form_Load();
    window->show();
    return app.exec();
}
