#include "platform/qt/layout.h"
#include "platform/qt/window_frame.h"
#include "views/qt/views.h"
#include "windows/frmFixRange.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutFixRange(frmFixRange& form, platform::qt::WindowFrame& frame) {
    frame.SetInitialSize(QSize(860, 460));
    Lay(frame,
        Piece::Column({
            form.lblCount,
            Piece::Row({form.lblStat, Piece(form.cboStat).Width(240), Piece::Stretch()}),
            Piece(form.grdFixes).MinimumSize(600, 240).Grow(),
            Piece::Row({Piece(form.cmdSelectAll).Width(100), Piece(form.cmdSelectNone).Width(100),
                        Piece::Stretch(), Piece(form.cmdApply).Width(90), Piece(form.cmdCancel).Width(90)}),
        }));
    // The stat list is heard, and reached with Alt+S, by its label.
    auto* label = frame.findChild<QLabel*>(QString::fromStdString(form.lblStat.Name()));
    auto* list = frame.findChild<QWidget*>(QString::fromStdString(form.cboStat.Name()));
    if (label && list)
        label->setBuddy(list);
    // The reason is the longest text of a row: it takes the room the window has. Nothing
    // in the list is typed, so Tab goes on to the buttons and the arrows move in the list.
    if (auto* grid = frame.findChild<QTableView*>(QString::fromStdString(form.grdFixes.Name()))) {
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setTabKeyNavigation(false);
    }
}

} // namespace

void RegisterFixRangeView(platform::qt::QtServices& services) {
    services.RegisterView<frmFixRange>(LayOutFixRange);
}

} // namespace kestrix::views
