#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmMerge.h"

#include <QLabel>

#include <algorithm>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

void LayOutMerge(frmMerge& form, platform::qt::WindowFrame& frame) {
    frame.SetInitialSize(QSize(980, 620));
    // Ours and theirs show the whole of a branch's name in their headers.
    const auto fits = [&](std::size_t column) {
        const QString header = QString::fromStdString(form.lvConflicts.Headers()[column]);
        return std::max(110, frame.fontMetrics().horizontalAdvance(header) + 24);
    };
    const std::vector<int> widths{170, 170, 110, fits(3), fits(4), 110, 200};
    Lay(frame,
        Piece::Column({
            Piece(form.lblHelp).Look([](QWidget& widget) { static_cast<QLabel&>(widget).setWordWrap(true); }),
            Piece(form.lvConflicts).ColumnWidths(widths).MinimumSize(500, 160).Grow(3),
            Piece::Row({form.cmdTakeOurs, form.cmdTakeTheirs, form.cmdTakeBase, Piece::Gap(16), form.lblValue,
                        Piece(form.txtValue).Width(140), form.cmdUseValue, Piece::Stretch()}),
            Piece::Row({form.cmdOursForCar, form.cmdTheirsForCar, Piece::Gap(16), form.cmdOursForAll,
                        form.cmdTheirsForAll, Piece::Stretch()}),
            form.chkMerged,
            Piece(form.lvMerged).ColumnWidths(widths).MinimumSize(500, 120).Grow(2),
            Piece::Row({Piece::Stretch(), Piece(form.cmdSave).Width(90), Piece(form.cmdClose).Width(90)}),
        }));
    frame.ShowStatusBar();
    // Alt+V goes to the value field, as its label shows.
    auto* label = frame.findChild<QLabel*>(QString::fromStdString(form.lblValue.Name()));
    auto* field = frame.findChild<QWidget*>(QString::fromStdString(form.txtValue.Name()));
    if (label && field)
        label->setBuddy(field);
}

} // namespace

void RegisterMergeView(platform::qt::QtServices& services) {
    services.RegisterView<frmMerge>(LayOutMerge);
}

} // namespace kestrix::views
