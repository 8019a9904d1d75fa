#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmCompareFiles.h"

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutCompareFiles(frmCompareFiles& form, platform::qt::WindowFrame& frame) {
    frame.SetInitialSize(QSize(860, 560));
    Lay(frame,
        Piece::Column({
            form.lblFiles,
            Piece(form.lvDifferences).ColumnWidths({150, 20, 220, 180, 180}).MinimumSize(400, 200).Grow(),
            Piece::Row({form.chkDifferent, Piece::Stretch(), form.lblSummary}),
            Piece::Row({form.cmdTakeValue, form.cmdTakeCar, form.cmdTakeAll, Piece::Stretch(),
                        Piece(form.cmdClose).Width(90)}),
        }));
}

} // namespace

void RegisterCompareFilesView(platform::qt::QtServices& services) {
    services.RegisterView<frmCompareFiles>(LayOutCompareFiles);
}

} // namespace kestrix::views
