#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmCompare.h"

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutCompare(frmCompare& form, platform::qt::WindowFrame& frame) {
    frame.SetInitialSize(QSize(760, 620));
    std::vector<int> widths{24, 200};
    widths.resize(static_cast<std::size_t>(form.lvCompare.ColumnCount()), 120);
    Lay(frame, Piece::Column({
                   Piece(form.lvCompare).ColumnWidths(std::move(widths)).MinimumSize(300, 200).Grow(),
                   Piece::Row({form.chkDifferent, Piece::Stretch(), Piece(form.cmdClose).Width(90)}),
               }));
}

} // namespace

void RegisterCompareView(platform::qt::QtServices& services) {
    services.RegisterView<frmCompare>(LayOutCompare);
}

} // namespace kestrix::views
