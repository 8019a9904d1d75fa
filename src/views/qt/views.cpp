#include "views/qt/views.h"

namespace kestrix::views {

void RegisterMainView(platform::qt::QtServices& services);
void RegisterAddCarView(platform::qt::QtServices& services);
void RegisterImportExportView(platform::qt::QtServices& services);
void RegisterErrorsView(platform::qt::QtServices& services);
void RegisterInfoView(platform::qt::QtServices& services);
void RegisterCommentsView(platform::qt::QtServices& services);
void RegisterAboutView(platform::qt::QtServices& services);
void RegisterCarTableView(platform::qt::QtServices& services);
void RegisterCompareView(platform::qt::QtServices& services);
void RegisterAskNumberView(platform::qt::QtServices& services);
void RegisterChangesView(platform::qt::QtServices& services);
void RegisterRenameCarView(platform::qt::QtServices& services);
void RegisterPreferencesView(platform::qt::QtServices& services);
void RegisterCompareFilesView(platform::qt::QtServices& services);
void RegisterChartView(platform::qt::QtServices& services);
void RegisterPasteCarsView(platform::qt::QtServices& services);
void RegisterFixRangeView(platform::qt::QtServices& services);
void RegisterMergeView(platform::qt::QtServices& services);
void RegisterHelpView(platform::qt::QtServices& services);

void RegisterViews(platform::qt::QtServices& services) {
    RegisterMainView(services);
    RegisterAddCarView(services);
    RegisterImportExportView(services);
    RegisterErrorsView(services);
    RegisterInfoView(services);
    RegisterCommentsView(services);
    RegisterAboutView(services);
    RegisterCarTableView(services);
    RegisterCompareView(services);
    RegisterAskNumberView(services);
    RegisterChangesView(services);
    RegisterRenameCarView(services);
    RegisterPreferencesView(services);
    RegisterCompareFilesView(services);
    RegisterChartView(services);
    RegisterPasteCarsView(services);
    RegisterFixRangeView(services);
    RegisterMergeView(services);
    RegisterHelpView(services);
}

} // namespace kestrix::views
