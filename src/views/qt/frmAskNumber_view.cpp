#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmAskNumber.h"

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutAskNumber(frmAskNumber& form, platform::qt::WindowFrame& frame) {
    Lay(frame,
        Piece::Column({
            form.lblPrompt,
            Piece(form.txtNumber).Width(260),
            Piece::Row({Piece::Stretch(), Piece(form.cmdOK).Width(80), Piece(form.cmdCancel).Width(80)}),
        }));
}

} // namespace

void RegisterAskNumberView(platform::qt::QtServices& services) {
    services.RegisterView<frmAskNumber>(LayOutAskNumber);
}

} // namespace kestrix::views
