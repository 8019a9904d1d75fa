#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmComments.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

// Comment lines are laid out by hand in columns, so the fields are fixed-pitch
// and wide enough for a line of 72 characters.
constexpr int kColumns = 72;
constexpr int kBlockLines = 8;

// The same for every field, with room for the scroll bar of the comment blocks.
int FieldWidth(const QWidget& field) {
    return field.fontMetrics().horizontalAdvance(QString(kColumns, QLatin1Char('M'))) + 16 +
           field.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

// The desktop's fixed font, or else any fixed-pitch family that is installed.
QFont FixedFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(font).fixedPitch())
        return font;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family)) {
            font.setFamily(family);
            break;
        }
    }
    return font;
}

void FixedPitch(QWidget& field) {
    field.setFont(FixedFont());
    field.setFixedWidth(FieldWidth(field));
}

void CommentBlock(QWidget& field) {
    FixedPitch(field);
    auto& edit = static_cast<QPlainTextEdit&>(field);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.setFixedHeight(edit.fontMetrics().lineSpacing() * kBlockLines + 2 * edit.frameWidth() + 8 +
                        edit.horizontalScrollBar()->sizeHint().height());
}

void Bold(QWidget& label) {
    QFont font = label.font();
    font.setBold(true);
    label.setFont(font);
}

// Room for two lines, so the window keeps its size whatever the note says.
void Note(QWidget& widget) {
    auto& label = static_cast<QLabel&>(widget);
    label.setWordWrap(true);
    label.setMinimumHeight(label.fontMetrics().lineSpacing() * 2 + 4);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void LayOutComments(frmComments& form, platform::qt::WindowFrame& frame) {
    Lay(frame, Piece::Column({
                   form.lblComments[3],
                   Piece(form.txtAuthor).Look(FixedPitch),
                   Piece::Gap(6),
                   form.lblComments[0],
                   Piece(form.txtBefore).Look(CommentBlock),
                   Piece::Gap(4),
                   Piece(form.lblComments[1]).Align(Qt::AlignHCenter).Look(Bold),
                   Piece::Gap(4),
                   form.lblComments[2],
                   Piece(form.txtAfter).Look(CommentBlock),
                   Piece(form.lblCarLines).Look(Note),
                   Piece::Row({Piece::Stretch(), form.cmdOK, form.cmdClose, Piece::Stretch()}),
               }));
}

} // namespace

void RegisterCommentsView(platform::qt::QtServices& services) {
    services.RegisterView<frmComments>(LayOutComments);
}

} // namespace kestrix::views
