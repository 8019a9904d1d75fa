#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmAddCar.h"

#include <QLabel>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

constexpr int kTextWidth = 380;
constexpr int kNameWidth = 200;
constexpr int kIndent = 24;

Piece Wrapped(platform::Label& label) {
    return Piece(label).Width(kTextWidth).Look([](QWidget& widget) {
        static_cast<QLabel&>(widget).setWordWrap(true);
    });
}

Piece Bold(platform::Label& label) {
    return Piece(label).Look([](QWidget& widget) {
        QFont font = widget.font();
        font.setBold(true);
        widget.setFont(font);
    });
}

void LayOutAddCar(frmAddCar& form, platform::qt::WindowFrame& frame) {
    Lay(frame,
        Piece::Column({
            Bold(form.lblHeading),
            Wrapped(form.lblWarning),
            Piece::Gap(6),
            Piece::Row({form.lblCarLabel, Piece(form.txtCarLabel).Width(kNameWidth), Piece::Stretch()}),
            Wrapped(form.lblHint),
            Piece::Gap(6),
            Bold(form.lblCarStats),
            form.optStats[0],
            form.optStats[1],
            form.optStats[2],
            Piece::Row({Piece::Gap(kIndent), Piece(form.cboCars).Width(kNameWidth), Piece::Stretch()}),
            Piece::Gap(6),
            Piece::Row({form.cmdViewErrors, form.cmdCancel, Piece::Stretch()}),
        }));
}

void LayOutRenameCar(frmRenameCar& form, platform::qt::WindowFrame& frame) {
    Lay(frame,
        Piece::Column({
            form.lblPrompt,
            Piece(form.txtName).Width(kNameWidth),
            Piece::Row({Piece::Stretch(), Piece(form.cmdOK).Width(80), Piece(form.cmdCancel).Width(80)}),
        }));
}

} // namespace

void RegisterAddCarView(platform::qt::QtServices& services) {
    services.RegisterView<frmAddCar>(LayOutAddCar);
}

void RegisterRenameCarView(platform::qt::QtServices& services) {
    services.RegisterView<frmRenameCar>(LayOutRenameCar);
}

} // namespace kestrix::views
