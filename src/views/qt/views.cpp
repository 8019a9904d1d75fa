#include "views/qt/views.h"

namespace kestrix::views {

void RegisterMainView(platform::qt::QtServices& services);
void RegisterAddCarView(platform::qt::QtServices& services);
void RegisterImportExportView(platform::qt::QtServices& services);

void RegisterViews(platform::qt::QtServices& services) {
    RegisterMainView(services);
    RegisterAddCarView(services);
    RegisterImportExportView(services);
}

} // namespace kestrix::views
