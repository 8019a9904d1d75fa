#include "views/qt/views.h"

namespace kestrix::views {

void RegisterMainView(platform::qt::QtServices& services);
void RegisterErrorsView(platform::qt::QtServices& services);
void RegisterInfoView(platform::qt::QtServices& services);

void RegisterViews(platform::qt::QtServices& services) {
    RegisterMainView(services);
    RegisterErrorsView(services);
    RegisterInfoView(services);
}

} // namespace kestrix::views
