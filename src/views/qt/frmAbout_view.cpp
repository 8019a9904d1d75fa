#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmAbout.h"

#include <QCursor>
#include <QWidget>

// The drawings are built into a static library: they are registered by hand.
static void LoadDrawings() {
    Q_INIT_RESOURCE(drawings);
}

namespace kestrix::views {

using platform::qt::Piece;

namespace {

// The artwork's own size; the version stands under the name drawn on it.
constexpr int kArtWidth = 440;
constexpr int kArtHeight = 260;
constexpr QMargins kVersionPlace{189, 118, 0, 0};
constexpr QMargins kLinksPlace{12, 0, 12, 8};
constexpr QMargins kLicencePlace{189, 2, 0, 0};

void Link(QWidget& label) {
    label.setCursor(Qt::PointingHandCursor);
}

void Small(QWidget& label) {
    QFont font = label.font();
    font.setPointSizeF(font.pointSizeF() * 0.8);
    label.setFont(font);
}

void LayOutAbout(frmAbout& form, platform::qt::WindowFrame& frame) {
    frame.setWindowFlag(Qt::Tool);
    Lay(frame, Piece::Layer(
                   {
                       Piece(form.Image1).Size(kArtWidth, kArtHeight),
                       Piece::Column({Piece::Row({form.lblVersion, Piece::Stretch()}).Margins(kVersionPlace),
                                      Piece::Row({Piece(form.lblLicence).Look(Small), Piece::Stretch()})
                                          .Margins(kLicencePlace),
                                      Piece::Stretch(),
                                      Piece::Row({Piece(form.lblWeb).Look(Link), Piece::Stretch(),
                                                  Piece(form.lblEmail).Look(Link)})
                                          .Margins(kLinksPlace)}),
                   })
                   .Margins({}));
}

} // namespace

void RegisterAboutView(platform::qt::QtServices& services) {
    LoadDrawings();
    services.RegisterView<frmAbout>(LayOutAbout);
}

} // namespace kestrix::views
