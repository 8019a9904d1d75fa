#include "platform/qt/chart_widget.h"

#include "platform/qt/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>

namespace kestrix::platform::qt {

namespace {

ChartWidgetMaker maker = nullptr;
QStringList moduleFolders;

// Beside the program (a build folder, a Windows installation), or where an
// installation puts it, found from the program's folder.
QStringList ModuleFolders() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    return QStringList(moduleFolders)
           << programFolder << programFolder + QStringLiteral("/" KESTRIX_MODULE_FROM_PROGRAM);
}

ChartWidgetMaker LoadModule(std::string& why) {
    why = "the chart module (kestrix-chart) is not installed beside the program";
    for (const QString& folder : ModuleFolders()) {
        if (QDir(folder).entryList({QStringLiteral("kestrix-chart.*")}, QDir::Files).isEmpty())
            continue;
        QLibrary module(folder + QStringLiteral("/kestrix-chart"));
        if (auto make = reinterpret_cast<ChartWidgetMaker>(module.resolve(kChartWidgetMaker)))
            return make;
        why = PathBytes(module.errorString()); // a module that is there but cannot load says why
    }
    return nullptr;
}

} // namespace

ChartWidget* MakeChartWidget(QWidget* parent, std::string& why) {
    if (!maker)
        maker = LoadModule(why);
    return maker ? maker(parent) : nullptr;
}

void UseChartWidgets(ChartWidgetMaker make) {
    maker = make;
}

void LookForChartModuleIn(const QString& folder) {
    moduleFolders << folder;
}

} // namespace kestrix::platform::qt
