#include "platform/qt/layout.h"
#include "platform/qt/window_frame.h"
#include "views/qt/views.h"
#include "windows/frmHelp.h"

#include <QLabel>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutHelp(frmHelp& form, platform::qt::WindowFrame& frame) {
    frame.SetInitialSize(QSize(780, 860));
    Lay(frame, Piece::Column({
                   Piece::Row({Piece(form.cmdBack).Width(80), Piece::Gap(16), form.lblFind,
                               Piece(form.txtFind).Width(220), Piece(form.cmdFindNext).Width(90),
                               Piece(form.lblFound).Grow()}),
                   Piece(form.rtbManual).MinimumSize(420, 300).Grow(),
               }));
    // Alt+F goes to the find field, as its label shows.
    auto* label = frame.findChild<QLabel*>(QString::fromStdString(form.lblFind.Name()));
    auto* field = frame.findChild<QWidget*>(QString::fromStdString(form.txtFind.Name()));
    if (label && field)
        label->setBuddy(field);
}

} // namespace

void RegisterHelpView(platform::qt::QtServices& services) {
    services.RegisterView<frmHelp>(LayOutHelp);
}

} // namespace kestrix::views
