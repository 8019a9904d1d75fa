#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmImportExport.h"

namespace kestrix::views {

using platform::qt::Piece;

namespace {

constexpr int kListWidth = 200;
constexpr int kListHeight = 300;
constexpr int kArrowWidth = 32;

void LayOutImportExport(frmImportExport& form, platform::qt::WindowFrame& frame) {
    Lay(frame, Piece::Grid({
                   {form.Label1, Piece::Gap(), form.Label2},
                   {Piece(form.lvLeft).MinimumSize(kListWidth, kListHeight).Grow(),
                    Piece::Column({Piece::Stretch(), Piece(form.cmdCopyRight).Width(kArrowWidth),
                                   Piece(form.cmdCopyLeft).Width(kArrowWidth), Piece::Stretch()}),
                    Piece(form.lvRight).MinimumSize(kListWidth, kListHeight).Grow()},
                   {Piece::Gap(), Piece::Gap(), Piece::Row({form.cmdSave, form.cmdCancel, Piece::Stretch()})},
               }));
}

} // namespace

void RegisterImportExportView(platform::qt::QtServices& services) {
    services.RegisterView<frmImportExport>(LayOutImportExport);
}

} // namespace kestrix::views
