#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmPasteCars.h"

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutPasteCars(frmPasteCars& form, platform::qt::WindowFrame& frame) {
    frame.SetInitialSize(QSize(760, 520));
    Lay(frame, Piece::Column({
                   form.lblCars,
                   Piece(form.tvCars).MinimumSize(300, 140).Grow(),
                   form.lblValues,
                   Piece(form.lvValues).ColumnWidths({200, 140, 140, 260}).MinimumSize(400, 160).Grow(),
                   Piece::Row({form.lblSummary, Piece::Stretch(), Piece(form.cmdApply).Width(90),
                               Piece(form.cmdCancel).Width(90)}),
               }));
}

} // namespace

void RegisterPasteCarsView(platform::qt::QtServices& services) {
    services.RegisterView<frmPasteCars>(LayOutPasteCars);
}

} // namespace kestrix::views
