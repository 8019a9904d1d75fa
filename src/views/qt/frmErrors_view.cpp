#include "platform/qt/layout.h"
#include "platform/qt/window_frame.h"
#include "views/qt/views.h"
#include "windows/frmErrors.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

// Each column is wide enough for what it commonly holds, and the window opens
// wide enough for the columns and tall enough for its rows, as far as the
// screen allows; made smaller, the list scrolls.
void SizeColumns(QTreeView& view, platform::qt::WindowFrame& frame, int rows) {
    const QFontMetrics metrics = view.fontMetrics();
    const auto fits = [&metrics](int least, const char* text) {
        return std::max(least, metrics.horizontalAdvance(QString::fromLatin1(text)) + 16);
    };
    const int widths[] = {fits(40, "#31"), fits(133, "Collision Damage Multiplier"),
                          fits(87, "ZEPHYR_RACER_X"), fits(240, "0.3 is smaller than minimum value 0.5.")};
    int total = 2 * view.frameWidth() + view.verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < 4; ++column) {
        view.header()->resizeSection(column, widths[column]);
        total += widths[column];
    }
    const int rowHeight = std::max(view.sizeHintForRow(0), view.fontMetrics().height() + 4);
    const int around =
        view.header()->sizeHint().height() + 2 * view.frameWidth() + 60; // header, Close, margins
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int tallest = screen ? screen->availableGeometry().height() * 4 / 5 : 600;
    frame.SetInitialSize(
        QSize(std::max(522, total + 17), std::clamp(rows * rowHeight + around, 249, tallest)));
}

// The list grows with the window; Close keeps to the lower right corner.
void LayOutErrors(frmErrors& form, platform::qt::WindowFrame& frame) {
    Lay(frame, Piece::Column(
                   {
                       Piece(form.lvErrors).Grow().MinimumSize(240, 90).Look([&frame, &form](QWidget& list) {
                           SizeColumns(static_cast<QTreeView&>(list), frame, form.lvErrors.RowCount());
                       }),
                       Piece::Gap(1),
                       Piece(form.cmdClose).Size(97, 25).Align(Qt::AlignRight),
                   })
                   .Margins(QMargins(8, 8, 9, 8)));
}

} // namespace

void RegisterErrorsView(platform::qt::QtServices& services) {
    services.RegisterView<frmErrors>(LayOutErrors);
}

} // namespace kestrix::views
