#include "views/qt/views.h"

namespace kestrix::views {

void RegisterMainView(platform::qt::QtServices& services);
void RegisterCarTableView(platform::qt::QtServices& services);
void RegisterCompareView(platform::qt::QtServices& services);
void RegisterAskNumberView(platform::qt::QtServices& services);

void RegisterViews(platform::qt::QtServices& services) {
    RegisterMainView(services);
    RegisterCarTableView(services);
    RegisterCompareView(services);
    RegisterAskNumberView(services);
}

} // namespace kestrix::views
