#include "platform/qt/widgets.h"

#include "platform/qt/text.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <limits>

namespace kestrix::platform::qt {

namespace {

// Tells the control's window when the widget takes the keyboard focus.
class FocusReporter : public QObject {
  public:
    FocusReporter(Control& control, const FocusScope& focus, QObject* parent)
        : QObject(parent), control_(control), focus_(focus) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && IsMove(static_cast<QFocusEvent*>(event)->reason()))
            control_.SetFocus();
        return false;
    }

  private:
    // The focus coming back with the window or after a popup closes has not
    // moved, unless nothing of the window had it yet.
    bool IsMove(Qt::FocusReason reason) const {
        const bool returns = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        return !returns || !focus_.Focused();
    }

    Control& control_;
    const FocusScope& focus_;
};

void ReportFocus(QWidget& widget, Control& control, const FocusScope& focus) {
    widget.installEventFilter(new FocusReporter(control, focus, &widget));
}

void Name(QWidget& widget, const std::string& name) {
    widget.setObjectName(QString::fromStdString(name));
    widget.setAccessibleName(QString::fromStdString(name));
}

// Follows the aspects every control has and hands the others to refresh.
template <typename Refresh> void Follow(QWidget& widget, Control& control, Refresh refresh) {
    Name(widget, control.Name());
    control.Changed = [&widget, &control, refresh](Aspect aspect) {
        switch (aspect) {
        case Aspect::Enabled:
            widget.setEnabled(control.Enabled());
            break;
        case Aspect::Visible:
            widget.setVisible(control.Visible());
            break;
        case Aspect::Focus:
            widget.setFocus(Qt::OtherFocusReason);
            break;
        default:
            refresh(aspect);
        }
    };
    QObject::connect(&widget, &QObject::destroyed, [&control] { control.Changed = nullptr; });
    widget.setEnabled(control.Enabled());
    if (!control.Visible())
        widget.setVisible(false);
}

class DropDownModel : public QAbstractListModel {
  public:
    DropDownModel(const DropDown& list, QObject* parent) : QAbstractListModel(parent), list_(list) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : list_.ListCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || index.row() >= list_.ListCount())
            return {};
        return Latin1(list_.List(index.row()));
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

  private:
    const DropDown& list_;
};

} // namespace

DropDownBox::DropDownBox(DropDown& control, QWidget* parent) : QComboBox(parent), control_(control) {
    auto* model = new DropDownModel(control, this);
    setModel(model);
    // Long car lists: no measuring of every entry, rows of one height.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    // A list that drops below the box and scrolls, rather than one as tall as the screen.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setMaxVisibleItems(16);
    view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    const auto showSelection = [this] {
        if (currentIndex() == control_.ListIndex())
            return;
        const QSignalBlocker quiet(this);
        setCurrentIndex(control_.ListIndex());
    };
    Follow(*this, control, [this, model, showSelection](Aspect aspect) {
        if (aspect == Aspect::Entries) {
            const QSignalBlocker quiet(this);
            model->Reset();
        }
        if (aspect == Aspect::Entries || aspect == Aspect::Selection)
            showSelection();
    });
    // Also raised by the arrow keys and the wheel on the closed list.
    connect(this, &QComboBox::activated, this, [this, showSelection](int position) {
        control_.UserSteps(position);
        showSelection();
    });
    showSelection();
}

void DropDownBox::showPopup() {
    if (control_.Enabled() && control_.DropDownOpening)
        control_.DropDownOpening();
    QComboBox::showPopup();
}

ColumnListModel::ColumnListModel(const ColumnList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

int ColumnListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.RowCount();
}

int ColumnListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.ColumnCount();
}

QVariant ColumnListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || index.row() >= list_.RowCount() || index.column() >= list_.ColumnCount())
        return {};
    return Latin1(list_.Cell(index.row(), index.column()));
}

QVariant ColumnListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= list_.ColumnCount())
        return {};
    return Latin1(list_.Headers()[static_cast<std::size_t>(section)]);
}

void ColumnListModel::Reset() {
    beginResetModel();
    endResetModel();
}

namespace {

constexpr const char* kTabLook = "QPushButton { border: 1px solid palette(dark); border-bottom: none;"
                                 " border-top-left-radius: 4px; border-top-right-radius: 4px;"
                                 " background: palette(midlight); padding: 4px 6px; }"
                                 "QPushButton:checked { background: palette(light); }"
                                 "QPushButton:focus { text-decoration: underline; }";

} // namespace

TabArea::TabArea(TabControl& control, const FocusScope& focus, QWidget* parent)
    : QWidget(parent), control_(control), tabRows_(new QGridLayout), pages_(new QStackedWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tabRows_->setSpacing(0);
    layout->addLayout(tabRows_);
    layout->addWidget(pages_);
    pages_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);

    for (std::size_t page = 0; page < control.Captions().size(); ++page) {
        auto* tab = new QPushButton(Latin1(control.Captions()[page]), this);
        tab->setCheckable(true);
        tab->setStyleSheet(kTabLook);
        tab->setObjectName(QString::fromStdString(control.Name()) + "Tab" + QString::number(page));
        tab->setAccessibleName(tab->text());
        tabs_.addButton(tab, static_cast<int>(page));
        ReportFocus(*tab, control, focus);
        pages_->addWidget(new QWidget);
    }
    Follow(*this, control, [this](Aspect aspect) {
        if (aspect == Aspect::Page)
            ShowPage(control_.Tab());
    });
    connect(&tabs_, &QButtonGroup::idClicked, this, [this](int page) {
        control_.UserChoosesPage(page);
        ShowPage(control_.Tab());
    });
    ShowPage(control.Tab());
}

QWidget* TabArea::Page(int page) const {
    return pages_->widget(page);
}

QAbstractButton* TabArea::Tab(int page) const {
    return tabs_.button(page);
}

void TabArea::ShowPage(int page) {
    const int rows = (static_cast<int>(tabs_.buttons().size()) + kTabsPerRow - 1) / kTabsPerRow;
    const int chosenRow = page / kTabsPerRow;
    for (QAbstractButton* tab : tabs_.buttons()) {
        const int id = tabs_.id(tab);
        const int row = id / kTabsPerRow;
        tabRows_->removeWidget(tab);
        tabRows_->addWidget(tab, (row + rows - chosenRow - 1) % rows, id % kTabsPerRow);
    }
    if (QAbstractButton* tab = tabs_.button(page)) {
        tab->setChecked(true);
        setFocusProxy(tab);
    }
    pages_->setCurrentIndex(page);
}

QLabel* CreateLabel(Label& control, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    const auto showCaption = [label, &control] { label->setText(Latin1(control.Caption())); };
    Follow(*label, control, [showCaption](Aspect aspect) {
        if (aspect == Aspect::Caption)
            showCaption();
    });
    showCaption();
    return label;
}

QPushButton* CreateButton(Button& control, const FocusScope& focus, QWidget* parent) {
    auto* button = new QPushButton(parent);
    const auto showCaption = [button, &control] { button->setText(Latin1(control.Caption())); };
    Follow(*button, control, [showCaption](Aspect aspect) {
        if (aspect == Aspect::Caption)
            showCaption();
    });
    QObject::connect(button, &QPushButton::clicked, button, [&control] { control.UserClicks(); });
    ReportFocus(*button, control, focus);
    showCaption();
    return button;
}

QLineEdit* CreateTextField(TextField& control, const FocusScope& focus, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(std::numeric_limits<int>::max()); // no field limits what is typed
    const auto showText = [edit, &control] {
        const QString text = Latin1(control.Text());
        if (edit->text() != text)
            edit->setText(text);
    };
    const auto showSelection = [edit, &control] {
        if (control.SelLength() == 0)
            edit->setCursorPosition(static_cast<int>(control.SelStart()));
        else
            edit->setSelection(static_cast<int>(control.SelStart()), static_cast<int>(control.SelLength()));
    };
    Follow(*edit, control, [showText, showSelection](Aspect aspect) {
        if (aspect == Aspect::Text)
            showText();
        else if (aspect == Aspect::Selection)
            showSelection();
    });
    // A character outside the 8-bit set comes back as the one the field stores.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&control, showText](const QString& text) {
        control.UserTypes(Latin1Bytes(text));
        showText();
    });
    ReportFocus(*edit, control, focus);
    showText();
    return edit;
}

QCheckBox* CreateCheckBox(CheckBox& control, const FocusScope& focus, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    const auto showValue = [box, &control] {
        const QSignalBlocker quiet(box);
        box->setChecked(control.Value() != 0);
    };
    const auto showCaption = [box, &control] { box->setText(Latin1(control.Caption())); };
    Follow(*box, control, [showValue, showCaption](Aspect aspect) {
        if (aspect == Aspect::Value)
            showValue();
        else if (aspect == Aspect::Caption)
            showCaption();
    });
    QObject::connect(box, &QCheckBox::clicked, box, [&control, showValue] {
        control.UserClicks();
        showValue();
    });
    ReportFocus(*box, control, focus);
    showValue();
    showCaption();
    return box;
}

DropDownBox* CreateDropDown(DropDown& control, const FocusScope& focus, QWidget* parent) {
    auto* box = new DropDownBox(control, parent);
    ReportFocus(*box, control, focus);
    return box;
}

QListWidget* CreateTickList(TickList& control, const FocusScope& focus, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    const auto showTicks = [list, &control] {
        const QSignalBlocker quiet(list);
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(control.Ticked(i) ? Qt::Checked : Qt::Unchecked);
    };
    const auto showCurrent = [list, &control] {
        const QSignalBlocker quiet(list);
        list->setCurrentRow(control.Current());
    };
    const auto showEntries = [list, &control, showTicks, showCurrent] {
        {
            const QSignalBlocker quiet(list);
            list->clear();
            for (int i = 0; i < control.Count(); ++i) {
                auto* item = new QListWidgetItem(Latin1(control.Entry(i)), list);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            }
        }
        showTicks();
        showCurrent();
    };
    Follow(*list, control, [showEntries, showTicks, showCurrent](Aspect aspect) {
        if (aspect == Aspect::Entries)
            showEntries();
        else if (aspect == Aspect::Ticks)
            showTicks();
        else if (aspect == Aspect::Selection)
            showCurrent();
    });
    QObject::connect(list, &QListWidget::itemChanged, list,
                     [list, &control, showTicks](QListWidgetItem* item) {
                         const int index = list->row(item);
                         if ((item->checkState() == Qt::Checked) != control.Ticked(index))
                             control.UserToggles(index);
                         showTicks();
                     });
    QObject::connect(list, &QListWidget::currentRowChanged, list, [&control, showCurrent](int index) {
        if (index >= 0 && index != control.Current())
            control.UserMovesTo(index);
        showCurrent();
    });
    ReportFocus(*list, control, focus);
    showEntries();
    return list;
}

QTreeView* CreateColumnList(ColumnList& control, const FocusScope& focus, QWidget* parent) {
    auto* view = new QTreeView(parent);
    auto* model = new ColumnListModel(control, view);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true); // thousands of rows stay quick
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const auto showSelection = [view, model, &control] {
        if (control.SelectedRow() < 0)
            view->clearSelection();
        else
            view->setCurrentIndex(model->index(control.SelectedRow(), 0));
    };
    Follow(*view, control, [model, showSelection](Aspect aspect) {
        if (aspect == Aspect::Rows)
            model->Reset();
        else if (aspect == Aspect::Selection)
            showSelection();
    });
    QObject::connect(view, &QTreeView::doubleClicked, view,
                     [&control](const QModelIndex& index) { control.UserDoubleClicks(index.row()); });
    ReportFocus(*view, control, focus);
    return view;
}

QWidget* CreateControlWidget(Control& control, const FocusScope& focus, QWidget* parent) {
    if (auto* field = dynamic_cast<TextField*>(&control))
        return CreateTextField(*field, focus, parent);
    if (auto* list = dynamic_cast<DropDown*>(&control))
        return CreateDropDown(*list, focus, parent);
    if (auto* box = dynamic_cast<CheckBox*>(&control))
        return CreateCheckBox(*box, focus, parent);
    if (auto* ticks = dynamic_cast<TickList*>(&control))
        return CreateTickList(*ticks, focus, parent);
    if (auto* columns = dynamic_cast<ColumnList*>(&control))
        return CreateColumnList(*columns, focus, parent);
    if (auto* tabs = dynamic_cast<TabControl*>(&control))
        return new TabArea(*tabs, focus, parent);
    if (auto* button = dynamic_cast<Button*>(&control))
        return CreateButton(*button, focus, parent);
    if (auto* label = dynamic_cast<Label*>(&control))
        return CreateLabel(*label, parent);
    return nullptr;
}

} // namespace kestrix::platform::qt
