#include "views/qt/views.h"

namespace kestrix::views {

void RegisterMainView(platform::qt::QtServices& services);
void RegisterCommentsView(platform::qt::QtServices& services);
void RegisterAboutView(platform::qt::QtServices& services);

void RegisterViews(platform::qt::QtServices& services) {
    RegisterMainView(services);
    RegisterCommentsView(services);
    RegisterAboutView(services);
}

} // namespace kestrix::views
