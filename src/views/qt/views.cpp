#include "views/qt/views.h"

namespace kestrix::views {

void RegisterMainView(platform::qt::QtServices& services);

void RegisterViews(platform::qt::QtServices& services) {
    RegisterMainView(services);
}

} // namespace kestrix::views
