#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmCarTable.h"

#include <QWidget>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutCarTable(frmCarTable& form, platform::qt::WindowFrame& frame) {
    frame.SetInitialSize(QSize(1000, 600));
    Lay(frame, Piece::Column({
                   Piece::Row({form.lblFilter, Piece(form.txtFilter).Width(220), Piece::Gap(12),
                               form.chkErrors, Piece::Gap(12),
                               // A long note is cut rather than widen the window; its tip holds it whole.
                               Piece(form.lblFilterNote).Grow().Look([](QWidget& note) {
                                   note.setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
                               }),
                               form.lblCount}),
                   Piece(form.grdCars).MinimumSize(400, 200).Grow(),
                   Piece::Row({form.cmdSetTo, form.cmdAdd, form.cmdMultiply, Piece::Gap(16), form.cmdCompare,
                               form.cmdCopyLines, Piece::Stretch(), form.cmdNextError}),
               }));
    frame.ShowStatusBar(); // what a bulk edit changed
}

} // namespace

void RegisterCarTableView(platform::qt::QtServices& services) {
    services.RegisterView<frmCarTable>(LayOutCarTable);
}

} // namespace kestrix::views
