#include "platform/qt/main_window_view.h"

#include "platform/qt/menus.h"
#include "platform/qt/text.h"
#include "platform/qt/widgets.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace kestrix::platform::qt {

namespace {

constexpr int kNumberFieldWidth = 72;
constexpr int kTextFieldWidth = 150;
constexpr int kChoiceWidth = 120;
constexpr int kCarListWidth = 220;
constexpr QSize kFlagListSize{260, 165};
constexpr int kErrorListHeight = 150;
constexpr int kErrorColumnWidths[] = {40, 87, 247};

void SizeStatWidget(QWidget& widget, int column) {
    if (qobject_cast<QLineEdit*>(&widget))
        widget.setFixedWidth(StatCatalogue::Instance()[column].IsText ? kTextFieldWidth : kNumberFieldWidth);
    else if (qobject_cast<QComboBox*>(&widget))
        widget.setFixedWidth(kChoiceWidth);
    else if (qobject_cast<QListWidget*>(&widget))
        widget.setFixedSize(kFlagListSize);
}

// A row's caption stands at the top, level with a single-line field, also
// beside the tall flag list.
QLabel* RowLabel(Label& control, QWidget& page) {
    QLabel* label = CreateLabel(control, &page);
    label->setMinimumHeight(QLineEdit().sizeHint().height());
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

} // namespace

MainWindowView::MainWindowView(frmMain& form) : form_(form) {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(CarRow(*central));
    layout->addWidget(StatArea(*central));
    AddErrorArea(*layout, *central);
    setCentralWidget(central);
    BuildMenus(*central);
    FollowCaption();
    form_.CloseRequested = [this] { close(); };
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    FixSizeAndCentre();
}

MainWindowView::~MainWindowView() {
    form_.Changed = nullptr;
    form_.CloseRequested = nullptr;
}

void MainWindowView::closeEvent(QCloseEvent* event) {
    if (form_.TryClose())
        event->accept();
    else
        event->ignore();
}

QHBoxLayout* MainWindowView::CarRow(QWidget& parent) {
    auto* row = new QHBoxLayout;
    row->addWidget(CreateLabel(form_.Label1, &parent));
    QWidget* cars = CreateDropDown(form_.cboCars, form_.Focus, &parent);
    cars->setFixedWidth(kCarListWidth);
    row->addWidget(cars);
    row->addStretch();
    return row;
}

TabArea* MainWindowView::StatArea(QWidget& parent) {
    auto* area = new TabArea(form_.tabGeneral, form_.Focus, &parent);
    std::size_t nextLabel = 0;
    const std::vector<StatPage>& pages = StatPages();
    for (std::size_t page = 0; page < pages.size(); ++page)
        FillPage(*area->Page(static_cast<int>(page)), pages[page], nextLabel);
    return area;
}

void MainWindowView::FillPage(QWidget& page, const StatPage& stats, std::size_t& nextLabel) {
    auto* grid = new QGridLayout(&page);
    grid->setHorizontalSpacing(12);
    int line = 0;
    for (const StatPageRow& row : stats.rows) {
        if (!row.caption.empty())
            grid->addWidget(RowLabel(*form_.LabStat.at(nextLabel++), page), line, 0, Qt::AlignTop);
        grid->addLayout(RowControls(row, page), line, 1, Qt::AlignTop);
        ++line;
    }
    grid->setRowStretch(line, 1);
    grid->setColumnStretch(1, 1);
}

QHBoxLayout* MainWindowView::RowControls(const StatPageRow& row, QWidget& page) {
    auto* controls = new QHBoxLayout;
    controls->setSpacing(6);
    for (const int column : row.columns) {
        Control& shown = form_.StatControl(column);
        QWidget* widget = CreateControlWidget(shown, form_.Focus, &page);
        SizeStatWidget(*widget, column);
        controls->addWidget(widget);
        TextField& field = form_.txtStat.at(static_cast<std::size_t>(column));
        if (&shown != &field)
            controls->addWidget(CreateTextField(field, form_.Focus, &page)); // hidden, holds the stored value
        else if (column == VehicleIdentifier)
            widget->setFocusPolicy(Qt::NoFocus);
    }
    controls->addStretch();
    return controls;
}

void MainWindowView::AddErrorArea(QVBoxLayout& layout, QWidget& parent) {
    layout.addWidget(CreateLabel(form_.Label2, &parent));
    QTreeView* errors = CreateColumnList(form_.lvErrors, form_.Focus, &parent);
    int width = 2 * errors->frameWidth() + errors->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < static_cast<int>(std::size(kErrorColumnWidths)); ++column) {
        errors->header()->resizeSection(column, kErrorColumnWidths[column]);
        width += kErrorColumnWidths[column];
    }
    errors->setMinimumWidth(width);
    errors->setFixedHeight(kErrorListHeight);
    layout.addWidget(errors);
    layout.addWidget(CreateButton(form_.cmdViewErrors, form_.Focus, &parent), 0, Qt::AlignRight);
}

void MainWindowView::BuildMenus(QWidget& central) {
    menuBar()->setObjectName(QStringLiteral("MenuBar"));
    const QList<QKeySequence> keys = BuildMenuBar(*menuBar(), form_.MenuBar);
    for (QWidget* widget : central.findChildren<QWidget*>())
        if (widget->focusPolicy() != Qt::NoFocus)
            GiveMenuKeysPrecedence(*widget, keys);
}

void MainWindowView::FollowCaption() {
    const auto showCaption = [this] { setWindowTitle(MixedText(form_.Caption())); };
    form_.Changed = [showCaption](Aspect aspect) {
        if (aspect == Aspect::Caption)
            showCaption();
    };
    showCaption();
}

void MainWindowView::FixSizeAndCentre() {
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace kestrix::platform::qt
