#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmChart.h"

#include <QLabel>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LabelTheLists(frmChart& form, platform::qt::WindowFrame& frame) {
    const auto label = [&frame](const platform::Control& caption, const platform::Control& control) {
        auto* shown = frame.findChild<QLabel*>(QString::fromStdString(caption.Name()));
        auto* labelled = frame.findChild<QWidget*>(QString::fromStdString(control.Name()));
        if (shown && labelled)
            shown->setBuddy(labelled);
    };
    label(form.lblKind, form.cboKind);
    label(form.lblStat, form.cboStat);
    label(form.lblAgainst, form.cboAgainst);
}

void LayOutChart(frmChart& form, platform::qt::WindowFrame& frame) {
    frame.SetInitialSize(QSize(820, 600));
    Lay(frame, Piece::Column({
                   Piece::Row({form.lblKind, Piece(form.cboKind).Width(220), Piece::Gap(12), form.lblStat,
                               Piece(form.cboStat).Width(200), Piece::Gap(12), form.lblAgainst,
                               Piece(form.cboAgainst).Width(200), Piece::Stretch()}),
                   Piece(form.chtStats).MinimumSize(400, 300).Grow(),
                   Piece::Row({form.chkFilter, Piece::Gap(12), Piece(form.lblNote).Grow(),
                               Piece(form.cmdExport).Width(90), Piece(form.cmdClose).Width(90)}),
               }));
    LabelTheLists(form, frame);
}

} // namespace

void RegisterChartView(platform::qt::QtServices& services) {
    services.RegisterView<frmChart>(LayOutChart);
}

} // namespace kestrix::views
