#include "model/stat_description.h"
#include "platform/qt/layout.h"
#include "views/qt/views.h"
#include "windows/frmMain.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>

#include <algorithm>

namespace kestrix::views {

using platform::qt::Piece;

namespace {

constexpr int kNumberFieldWidth = 72;
constexpr int kTextFieldWidth = 150;
constexpr int kChoiceWidth = 120;
constexpr int kCarListWidth = 220;
constexpr int kFlagListWidth = 260;
constexpr int kFlagListHeight = 165;
constexpr int kErrorListHeight = 150;
constexpr int kFoundListHeight = 220;

// A caption drawn bold, as a changed value's is, takes no more room than it has: nothing moves.
void RoomForBold(QWidget& widget) {
    const QString text = widget.property("text").toString();
    QFont bold = widget.font();
    bold.setBold(true);
    const int more =
        QFontMetrics(bold).horizontalAdvance(text) - widget.fontMetrics().horizontalAdvance(text);
    widget.setMinimumWidth(widget.sizeHint().width() + std::max(more, 0));
}

// The control that shows a column, sized for what it holds.
Piece StatPiece(frmMain& form, int column) {
    platform::Control& shown = form.StatControl(column);
    const StatDescription& stat = DescriptionOf(column);
    switch (stat.control) {
    case StatControlKind::Flags:
        return Piece(shown).Size(kFlagListWidth, kFlagListHeight);
    case StatControlKind::CheckBox:
        return Piece(shown).Look(RoomForBold);
    case StatControlKind::ChoiceList:
        return Piece(shown).Width(kChoiceWidth);
    case StatControlKind::Field:
        break;
    }
    return Piece(shown).Width(stat.def.IsText ? kTextFieldWidth : kNumberFieldWidth);
}

// The note under the flag list wraps within the list's width and keeps its room, so nothing moves.
void FlagsNote(QWidget& widget) {
    auto& label = static_cast<QLabel&>(widget);
    label.setWordWrap(true);
    label.setMaximumWidth(kFlagListWidth);
    label.setMinimumHeight(label.fontMetrics().lineSpacing() * 2 + 4);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

// A row's caption stands at the top, level with a single-line field, also beside the tall flag list.
Piece RowCaption(platform::Label& label, int fieldHeight) {
    return Piece(label).Align(Qt::AlignTop).Look([fieldHeight](QWidget& widget) {
        widget.setMinimumHeight(fieldHeight);
        // A caption without a closing colon still stands clear of its field, at any scale.
        widget.setContentsMargins(0, 0, widget.fontMetrics().averageCharWidth(), 0);
        RoomForBold(widget);
    });
}

Piece StatPagePiece(frmMain& form, const StatPage& page, std::size_t& nextLabel, int fieldHeight) {
    std::vector<std::vector<Piece>> rows;
    for (const StatPageRow& row : page.rows) {
        std::vector<Piece> controls;
        for (const int column : row.columns) {
            controls.push_back(StatPiece(form, column));
            platform::TextField& field = form.txtStat.at(static_cast<std::size_t>(column));
            if (&form.StatControl(column) != &field)
                controls.push_back(Piece(field)); // hidden: holds the stored value
        }
        controls.push_back(Piece::Stretch());
        rows.push_back(
            {row.caption.empty() ? Piece::Gap() : RowCaption(*form.LabStat.at(nextLabel++), fieldHeight),
             Piece::Row(std::move(controls))
                 .Align(Qt::AlignTop)}); // Under the flag list, how a value it does not show as it is stands
                                         // in the file.
        if (std::find(row.columns.begin(), row.columns.end(), Flags) != row.columns.end())
            rows.push_back({Piece::Gap(), Piece(form.lblFlagsNote).Look(FlagsNote)});
    }
    return Piece::Column({Piece::Grid(std::move(rows)), Piece::Stretch()});
}

// The car column holds a name of the longest valid length.
void SizeCarColumn(QWidget& widget) {
    auto& view = static_cast<QTreeView&>(widget);
    const int wanted = view.fontMetrics().horizontalAdvance(QStringLiteral("ZEPHYR_RACER_X")) + 16;
    const int grown = std::max(0, wanted - view.header()->sectionSize(1));
    view.header()->resizeSection(1, view.header()->sectionSize(1) + grown);
    view.setMinimumWidth(view.minimumWidth() + grown);
}

// Each caption labels the first control of its row, as assistive tools tell it.
void LabelTheControls(frmMain& form, platform::qt::WindowFrame& frame) {
    const auto label = [&frame](const platform::Control& caption, const platform::Control& control) {
        auto* shown = frame.findChild<QLabel*>(QString::fromStdString(caption.Name()));
        auto* labelled = frame.findChild<QWidget*>(QString::fromStdString(control.Name()));
        if (shown && labelled)
            shown->setBuddy(labelled);
    };
    label(form.Label1, form.cboCars);
    label(form.Label2, form.lvErrors);
    std::size_t next = 0;
    for (const StatPage& page : StatPages())
        for (const StatPageRow& row : page.rows)
            if (!row.caption.empty())
                label(*form.LabStat.at(next++), form.StatControl(row.columns.front()));
}

// The captions of the car list and of the find over it are as wide as the wider of them.
void CaptionBesideCars(const frmMain& form, QWidget& caption) {
    int widest = 0;
    for (const platform::Label* label : {&form.Label1, &form.lblFind})
        widest = std::max(
            widest, caption.fontMetrics().horizontalAdvance(QString::fromLatin1(label->Caption().c_str())));
    caption.setFixedWidth(widest + caption.fontMetrics().averageCharWidth());
}

// The find lies over the car list, as wide and as high, and the cars it found under it, over the page.
Piece FindPiece(frmMain& form) {
    const auto covering = [&form](QWidget& caption) {
        CaptionBesideCars(form, caption);
        caption.setAutoFillBackground(true);
    };
    return Piece::Grid({{Piece(form.lblFind).Look(covering),
                         Piece(form.txtFind).Width(kCarListWidth).Look([](QWidget& field) {
                             field.setFixedHeight(QComboBox().sizeHint().height());
                         })},
                        {Piece::Gap(), Piece(form.lvFound).Size(kCarListWidth, kFoundListHeight)}})
        .Align(Qt::AlignTop | Qt::AlignLeft);
}

void LayOutMain(frmMain& form, platform::qt::WindowFrame& frame) {
    std::vector<Piece> pages;
    std::size_t nextLabel = 0;
    const int fieldHeight = QLineEdit().sizeHint().height();
    for (const StatPage& page : StatPages())
        pages.push_back(StatPagePiece(form, page, nextLabel, fieldHeight));
    Lay(frame,
        Piece::Layer({Piece::Column({
                          Piece::Row({Piece(form.Label1).Look([&form](QWidget& caption) {
                                          CaptionBesideCars(form, caption);
                                      }),
                                      Piece(form.cboCars).Width(kCarListWidth), Piece::Stretch()}),
                          // The pages keep their size, under the car list, however large the window.
                          Piece(form.tabGeneral).Pages(std::move(pages)).Align(Qt::AlignLeft), form.Label2,
                          // The list takes the room a larger window gives.
                          Piece(form.lvErrors)
                              .MinimumSize(0, kErrorListHeight)
                              .Grow()
                              .ColumnWidths({40, 87, 247})
                              .Look(SizeCarColumn),
                          Piece(form.cmdViewErrors).Align(Qt::AlignRight),
                          form.lblChanges, // moves to the status bar
                      }),
                      FindPiece(form)}));
    LabelTheControls(form, frame);
    // The meaning of the stat under the pointer or in the focus, and the count of changed values.
    frame.ShowStatusBar(&form.lblChanges);
    // The line at the foot shows the longest help whole.
    int widest = 0;
    for (int column = 0; column < kStatCount; ++column)
        widest = std::max(widest, frame.fontMetrics().horizontalAdvance(
                                      QString::fromLatin1(form.StatControl(column).Tip().c_str())));
    frame.setMinimumWidth(widest + 4 * frame.fontMetrics().averageCharWidth());
    // It opens with room for a dozen errors under the page.
    const auto* errors = frame.findChild<QTreeView*>(QString::fromStdString(form.lvErrors.Name()));
    const int dozen = errors->header()->sizeHint().height() + 12 * (errors->fontMetrics().height() + 4) +
                      2 * errors->frameWidth();
    frame.SetInitialSize(frame.sizeHint().expandedTo(frame.minimumSize()) +
                         QSize(0, std::max(0, dozen - kErrorListHeight)));
}

} // namespace

void RegisterMainView(platform::qt::QtServices& services) {
    services.RegisterView<frmMain>(LayOutMain);
}

} // namespace kestrix::views
