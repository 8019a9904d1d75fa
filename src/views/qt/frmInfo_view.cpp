#include "platform/qt/layout.h"
#include "platform/qt/window_frame.h"
#include "views/qt/views.h"
#include "windows/frmInfo.h"

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutInfo(frmInfo& form, platform::qt::WindowFrame& frame) {
    Lay(frame, Piece::Column({
                                 Piece::Row({form.lblStats, Piece(form.cboStats).Width(257)}),
                                 Piece(form.lvProperties).Height(97).ColumnWidths({116, 167}),
                                 Piece(form.Command1).Size(89, 25).Align(Qt::AlignRight),
                             })
                   .Margins(QMargins(8, 8, 8, 8)));
}

} // namespace

void RegisterInfoView(platform::qt::QtServices& services) {
    services.RegisterView<frmInfo>(LayOutInfo);
}

} // namespace kestrix::views
