#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmPreferences.h"

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutPreferences(frmPreferences& form, platform::qt::WindowFrame& frame) {
    std::vector<Piece> rows;
    for (const auto& box : form.chkSetting)
        rows.emplace_back(*box);
    rows.push_back(Piece::Gap(8));
    rows.push_back(Piece::Row({Piece::Stretch(), form.cmdOk, form.cmdCancel}));
    Lay(frame, Piece::Column(std::move(rows)));
}

} // namespace

void RegisterPreferencesView(platform::qt::QtServices& services) {
    services.RegisterView<frmPreferences>(LayOutPreferences);
}

} // namespace kestrix::views
