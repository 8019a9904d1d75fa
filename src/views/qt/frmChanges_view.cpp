#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmChanges.h"

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutChanges(frmChanges& form, platform::qt::WindowFrame& frame) {
    Lay(frame,
        Piece::Column({
            form.lblCount,
            Piece(form.lvChanges).Grow().MinimumSize(520, 240).ColumnWidths({130, 170, 100, 100}),
            Piece::Row({Piece::Stretch(), Piece(form.cmdRevert).Width(90), Piece(form.cmdClose).Width(90)}),
        }));
}

} // namespace

void RegisterChangesView(platform::qt::QtServices& services) {
    services.RegisterView<frmChanges>(LayOutChanges);
}

} // namespace kestrix::views
