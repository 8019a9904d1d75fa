#include "platform/qt/grid_view.h"

#include "platform/qt/event_filters.h"
#include "platform/qt/text.h"
#include "platform/qt/widgets.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <vector>

namespace kestrix::platform::qt {

using Editing = GridColumn::Editing;

class GridModel : public QAbstractTableModel {
  public:
    explicit GridModel(QObject* parent) : QAbstractTableModel(parent) {}
    void SetBinding(const Binding& binding) { binding_ = &binding; }
    Grid* Control() const { return binding_ ? binding_->Get<Grid>() : nullptr; }

    int rowCount(const QModelIndex& parent = {}) const override {
        const Grid* grid = Control();
        return parent.isValid() || !grid ? 0 : grid->RowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        const Grid* grid = Control();
        return parent.isValid() || !grid ? 0 : grid->ColumnCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Grid* grid = Control();
        if (!grid || index.row() >= grid->RowCount() || index.column() >= grid->ColumnCount())
            return {};
        const GridColumn& column = grid->Column(index.column());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return Latin1(grid->Text(index.row(), index.column()));
        case Qt::ToolTipRole: {
            QString tip = Latin1(grid->Error(index.row(), index.column()));
            if (grid->Changed(index.row(), index.column()))
                tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) +
                       QStringLiteral("Changed since the last save");
            return tip.isEmpty() ? QVariant() : QVariant(tip);
        }
        // A changed value is in bold italics, which shows without colour.
        case Qt::FontRole: {
            if (!grid->Changed(index.row(), index.column()))
                return {};
            QFont font;
            font.setBold(true);
            font.setItalic(true);
            return font;
        }
        // An error is marked by a colour and an icon, so that it shows without colour too.
        case Qt::BackgroundRole:
            return grid->Error(index.row(), index.column()).empty() ? QVariant() : QVariant(kErrorColor);
        case Qt::ForegroundRole:
            return grid->Error(index.row(), index.column()).empty() ? QVariant()
                                                                    : QVariant(QColor(Qt::black));
        case Qt::DecorationRole:
            return grid->Error(index.row(), index.column()).empty() ? QVariant() : QVariant(errorIcon_);
        case Qt::CheckStateRole:
            if (column.editing != Editing::Tick || !column.entryOf)
                return {};
            return column.entryOf(grid->Text(index.row(), index.column())) == 1 ? Qt::Checked : Qt::Unchecked;
        default:
            return {};
        }
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        const Grid* grid = Control();
        if (!grid || !index.isValid() || index.column() >= grid->ColumnCount())
            return Qt::NoItemFlags;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        const Editing editing = grid->Column(index.column()).editing;
        if (editing == Editing::Tick)
            flags |= Qt::ItemIsUserCheckable;
        else if (editing != Editing::ReadOnly)
            flags |= Qt::ItemIsEditable;
        return flags;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        Grid* grid = Control();
        if (!grid || !index.isValid())
            return false;
        if (role == Qt::CheckStateRole)
            grid->UserPicks(index.row(), index.column(),
                            value.value<Qt::CheckState>() == Qt::Checked ? 1 : 0);
        else if (role == Qt::EditRole)
            grid->UserEdits(index.row(), index.column(), Latin1Bytes(value.toString()));
        else
            return false;
        return true;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        const Grid* grid = Control();
        if (!grid)
            return {};
        if (orientation == Qt::Vertical) {
            // The car's place in the file, whatever the order shown.
            if (role != Qt::DisplayRole || section >= grid->RowCount())
                return {};
            return QString::number(grid->SourceRow(section) + 1);
        }
        if (section >= grid->ColumnCount())
            return {};
        if (role == Qt::DisplayRole)
            return Latin1(grid->Column(section).header);
        if (role == Qt::ToolTipRole)
            return Latin1(grid->Column(section).tip);
        return {};
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void ValuesChanged() {
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }

  private:
    static inline const QColor kErrorColor{255, 205, 205};
    const Binding* binding_ = nullptr;
    QIcon errorIcon_ = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
};

namespace {

// The flags: a tick per name, and the stored digits as they come.
class TicksEditor : public QFrame {
  public:
    TicksEditor(const GridColumn& column, QWidget* parent) : QFrame(parent), column_(column) {
        setFrameShape(QFrame::Box);
        setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(4, 4, 4, 4);
        digits_ = new QLabel(this);
        digits_->setObjectName(QStringLiteral("lblDigits"));
        list_ = new QListWidget(this);
        list_->setObjectName(QStringLiteral("lstTicks"));
        for (const std::string& name : column.entries) {
            auto* item = new QListWidgetItem(Latin1(name), list_);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        list_->setCurrentRow(0);
        layout->addWidget(digits_);
        layout->addWidget(list_);
        setFocusProxy(list_);
        QObject::connect(list_, &QListWidget::itemChanged, this, [this] { ShowDigits(); });
        ShowDigits();
    }
    std::vector<bool> Ticks() const {
        std::vector<bool> ticks;
        for (int i = 0; i < list_->count(); ++i)
            ticks.push_back(list_->item(i)->checkState() == Qt::Checked);
        return ticks;
    }
    void SetTicks(std::string_view stored, const std::vector<bool>& ticks) {
        stored_ = stored;
        for (int i = 0; i < list_->count() && i < static_cast<int>(ticks.size()); ++i)
            list_->item(i)->setCheckState(ticks[static_cast<std::size_t>(i)] ? Qt::Checked : Qt::Unchecked);
        ShowDigits();
    }
    QSize sizeHint() const override {
        const int rowHeight = list_->sizeHintForRow(0) > 0 ? list_->sizeHintForRow(0) : 18;
        return {list_->sizeHintForColumn(0) + 40,
                digits_->sizeHint().height() + rowHeight * list_->count() + 24};
    }

  private:
    void ShowDigits() {
        if (column_.ticksStored)
            digits_->setText(Latin1(column_.ticksStored(stored_, Ticks())));
    }
    const GridColumn& column_;
    std::string stored_;
    QLabel* digits_;
    QListWidget* list_;
};

// The editor of each kind of column; a commit goes to the control.
class GridDelegate : public QStyledItemDelegate {
  public:
    GridDelegate(GridModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const Grid* grid = model_.Control();
        if (!grid)
            return nullptr;
        const GridColumn& column = grid->Column(index.column());
        switch (column.editing) {
        case Editing::Text: {
            auto* edit = qobject_cast<QLineEdit*>(QStyledItemDelegate::createEditor(parent, option, index));
            if (edit) // no value holds a blank, a line end, or a character the 8-bit file cannot hold
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[^ \\t\\r\\n\\x{100}-\\x{FFFF}]*")), edit));
            return edit;
        }
        case Editing::Choice: {
            auto* box = new QComboBox(parent);
            for (const std::string& entry : column.entries)
                box->addItem(Latin1(entry));
            return box;
        }
        case Editing::Ticks:
            return new TicksEditor(column, parent);
        default:
            return nullptr;
        }
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const Grid* grid = model_.Control();
        if (!grid)
            return;
        const GridColumn& column = grid->Column(index.column());
        const std::string_view value = grid->Text(index.row(), index.column());
        if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentIndex(column.entryOf ? column.entryOf(value) : -1);
        else if (auto* ticks = dynamic_cast<TicksEditor*>(editor))
            ticks->SetTicks(value, column.ticksOf ? column.ticksOf(value) : std::vector<bool>());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        Grid* grid = model_.Control();
        if (!grid)
            return;
        if (auto* box = qobject_cast<QComboBox*>(editor))
            grid->UserPicks(index.row(), index.column(), box->currentIndex());
        else if (auto* ticks = dynamic_cast<TicksEditor*>(editor))
            grid->UserSetsTicks(index.row(), index.column(), ticks->Ticks());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }
    // A text editor keeps the undo keys while it holds typing; with none, it closes unchanged and
    // the keys go on to the table and its window, which undo and redo the document.
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
        const HistoryKey history =
            edit && key ? HistoryKeyOf(*static_cast<QKeyEvent*>(event)) : HistoryKey::None;
        if (history == HistoryKey::None)
            return QStyledItemDelegate::eventFilter(watched, event);
        if (event->type() == QEvent::ShortcutOverride ||
            (history == HistoryKey::Undo ? edit->isUndoAvailable() : edit->isRedoAvailable()))
            return false;
        emit closeEditor(edit, RevertModelCache);
        event->ignore();
        return true;
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        if (!dynamic_cast<TicksEditor*>(editor)) {
            QStyledItemDelegate::updateEditorGeometry(editor, option, index);
            return;
        }
        // The ticks need more room than a cell: below the cell, kept inside the table.
        QRect place(option.rect.topLeft(), editor->sizeHint());
        const QRect room = editor->parentWidget()->rect();
        place.moveRight(std::min(place.right(), room.right()));
        place.moveBottom(std::min(place.bottom(), room.bottom()));
        place.moveTopLeft(QPoint(std::max(place.left(), 0), std::max(place.top(), 0)));
        editor->setGeometry(place);
    }

  private:
    GridModel& model_;
};

} // namespace

GridView::GridView(QWidget* parent)
    : QTableView(parent), model_(new GridModel(this)), frozen_(new QTableView(this)) {
    setModel(model_);
    setItemDelegate(new GridDelegate(*model_, this));
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    // Thousands of rows: every row one height, nothing measured per row.
    const int rowHeight = fontMetrics().height() + 8;
    for (QTableView* view : {static_cast<QTableView*>(this), frozen_}) {
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view->verticalHeader()->setDefaultSectionSize(rowHeight);
        view->horizontalHeader()->setHighlightSections(false);
    }
    horizontalHeader()->setSectionsClickable(true);

    frozen_->setObjectName(QStringLiteral("grdCarsNames"));
    frozen_->setModel(model_);
    frozen_->setSelectionModel(selectionModel());
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    frozen_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    frozen_->verticalHeader()->hide();
    frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    frozen_->horizontalHeader()->setSectionsClickable(true);
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
    frozen_->setWordWrap(false);
    viewport()->stackUnder(frozen_);
    frozen_->show();

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (column == 0) {
            frozen_->setColumnWidth(0, size);
            PlaceFrozenPart();
        }
    });
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    installEventFilter(this);
    viewport()->installEventFilter(this);
    frozen_->viewport()->installEventFilter(this);
}

void GridView::Connect(const Binding& binding) {
    binding_ = &binding;
    model_->SetBinding(binding);
    const auto clickHeader = [this](int column) {
        binding_->Act<Grid>([column](Grid& grid) { grid.UserClicksHeader(column); });
    };
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, clickHeader);
    connect(frozen_->horizontalHeader(), &QHeaderView::sectionClicked, this, clickHeader);
    connect(verticalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int row) {
        binding_->Act<Grid>([row](Grid& grid) { grid.UserDoubleClicksRowHeader(row); });
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { ReportSelection(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ReportSelection(); });
}

void GridView::Refresh(Aspect aspect) {
    const Grid* grid = model_->Control();
    if (!grid)
        return;
    switch (aspect) {
    case Aspect::Entries:
    case Aspect::Rows: {
        const QSignalBlocker quiet(selectionModel());
        // A reset gives every column its first width: the widths the user chose come back.
        std::vector<int> widths;
        for (int column = 0; column < horizontalHeader()->count(); ++column)
            widths.push_back(columnWidth(column));
        model_->Reset();
        if (static_cast<int>(widths.size()) == model_->columnCount())
            for (int column = 0; column < model_->columnCount(); ++column)
                setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
        ShowColumns();
        horizontalHeader()->setSortIndicatorShown(grid->SortColumn() >= 0);
        horizontalHeader()->setSortIndicator(grid->SortColumn(), grid->SortOrder() == Grid::Order::Ascending
                                                                     ? Qt::AscendingOrder
                                                                     : Qt::DescendingOrder);
        ShowSelection();
        PlaceFrozenPart();
        break;
    }
    case Aspect::Value:
        model_->ValuesChanged();
        break;
    case Aspect::Typing:
        if (state() == EditingState)
            if (QWidget* editor = indexWidget(currentIndex())) {
                commitData(editor);
                closeEditor(editor, QAbstractItemDelegate::NoHint);
            }
        break;
    case Aspect::Selection:
        ShowSelection();
        if (grid->Current().row >= 0)
            scrollTo(model_->index(grid->Current().row, grid->Current().column), EnsureVisible);
        break;
    default:
        break;
    }
}

void GridView::ShowColumns() {
    const Grid* grid = model_->Control();
    for (int column = 0; column < model_->columnCount(); ++column) {
        // Wide enough for the header, never measured over the rows.
        const int wanted =
            std::max(fontMetrics().horizontalAdvance(Latin1(grid->Column(column).header)) + 28,
                     column == 0 ? fontMetrics().horizontalAdvance(QStringLiteral("W")) * 15 : 64);
        if (columnWidth(column) < wanted)
            setColumnWidth(column, wanted);
        frozen_->setColumnHidden(column, column >= grid->FrozenColumns());
    }
    frozen_->setColumnWidth(0, columnWidth(0));
}

void GridView::ShowSelection() {
    const Grid* grid = model_->Control();
    if (!grid || showing_)
        return;
    showing_ = true;
    QItemSelection selection;
    for (const GridRange& range : grid->Selection())
        selection.select(model_->index(range.top, range.left), model_->index(range.bottom, range.right));
    {
        const QSignalBlocker quiet(selectionModel());
        const GridCell current = grid->Current();
        if (current.row >= 0)
            selectionModel()->setCurrentIndex(model_->index(current.row, current.column),
                                              QItemSelectionModel::NoUpdate);
        else
            selectionModel()->clearCurrentIndex();
        selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    viewport()->update();
    frozen_->viewport()->update();
    verticalHeader()->viewport()->update(); // the numbers of the selected rows in bold
    showing_ = false;
}

void GridView::ReportSelection() {
    if (showing_ || !binding_)
        return;
    showing_ = true;
    std::vector<GridRange> ranges;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        ranges.push_back({range.top(), range.left(), range.bottom(), range.right()});
    const QModelIndex current = selectionModel()->currentIndex();
    binding_->Act<Grid>([&](Grid& grid) {
        grid.UserSelects(std::move(ranges),
                         current.isValid() ? GridCell{current.row(), current.column()} : GridCell{});
    });
    showing_ = false;
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == this)
        return Key(*static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == viewport() || watched == frozen_->viewport()))
        return ShiftClick(*static_cast<QMouseEvent*>(event), watched == viewport() ? *this : *frozen_);
    return QTableView::eventFilter(watched, event);
}

// Shift+click carries the selection from the grid's anchor, as the keys do.
bool GridView::ShiftClick(const QMouseEvent& click, QTableView& part) {
    const QModelIndex cell = part.indexAt(click.position().toPoint());
    if (!binding_ || click.button() != Qt::LeftButton || click.modifiers() != Qt::ShiftModifier ||
        !cell.isValid())
        return false;
    setFocus(Qt::MouseFocusReason);
    binding_->Act<Grid>([&cell](Grid& grid) { grid.UserExtendsTo({cell.row(), cell.column()}); });
    return true;
}

namespace {

using Reach = Grid::Reach;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;
// The keys that move as spreadsheets do: with Shift they carry the selection from its anchor.
struct ReachKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    Reach reach;
};
constexpr ReachKey kReachKeys[] = {
    {Qt::Key_Up, kShift, Reach::Up},
    {Qt::Key_Down, kShift, Reach::Down},
    {Qt::Key_Left, kShift, Reach::Left},
    {Qt::Key_Right, kShift, Reach::Right},
    {Qt::Key_PageUp, kShift, Reach::PageUp},
    {Qt::Key_PageDown, kShift, Reach::PageDown},
    {Qt::Key_Home, kShift, Reach::FirstColumn},
    {Qt::Key_End, kShift, Reach::LastColumn},
    {Qt::Key_Up, kCtrlShift, Reach::FirstRow},
    {Qt::Key_Down, kCtrlShift, Reach::LastRow},
    {Qt::Key_Left, kCtrlShift, Reach::FirstColumn},
    {Qt::Key_Right, kCtrlShift, Reach::LastColumn},
    {Qt::Key_Home, kCtrlShift, Reach::Start},
    {Qt::Key_End, kCtrlShift, Reach::End},
    {Qt::Key_Up, kCtrl, Reach::FirstRow},
    {Qt::Key_Down, kCtrl, Reach::LastRow},
    {Qt::Key_Left, kCtrl, Reach::FirstColumn},
    {Qt::Key_Right, kCtrl, Reach::LastColumn},
    {Qt::Key_Home, kCtrl, Reach::Start},
    {Qt::Key_End, kCtrl, Reach::End},
};

} // namespace

// The selection keys go to the grid, which keeps the anchor; copy and paste
// are tab-separated text, the form spreadsheets exchange.
bool GridView::Key(const QKeyEvent& key) {
    if (state() == QAbstractItemView::EditingState || !binding_)
        return false;
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    for (const ReachKey& reach : kReachKeys)
        if (key.key() == reach.key && modifiers == reach.modifiers) {
            const int page = std::max(1, viewport()->height() / verticalHeader()->defaultSectionSize());
            binding_->Act<Grid>([&reach, page](Grid& grid) {
                if (reach.modifiers & Qt::ShiftModifier)
                    grid.UserExtends(reach.reach, page);
                else
                    grid.UserMoves(reach.reach, page);
            });
            // Reaching the names shows the row from its start, as Home does.
            if (const Grid* grid = binding_->Get<Grid>(); grid && grid->Current().column == 0)
                horizontalScrollBar()->setValue(0);
            return true;
        }
    if (key.key() == Qt::Key_Space && (modifiers == Qt::ControlModifier || modifiers == Qt::ShiftModifier)) {
        binding_->Act<Grid>([modifiers](Grid& grid) {
            if (modifiers == Qt::ControlModifier)
                grid.UserSelectsColumn();
            else
                grid.UserSelectsRow();
        });
        return true;
    }
    if (key.matches(QKeySequence::SelectAll)) {
        binding_->Act<Grid>([](Grid& grid) { grid.UserSelectsAll(); });
        return true;
    }
    if (key.matches(QKeySequence::Copy)) {
        if (const Grid* grid = binding_->Get<Grid>())
            QApplication::clipboard()->setText(Latin1(grid->CopyText()));
        return true;
    }
    if (key.matches(QKeySequence::Paste)) {
        const QString pasted = QApplication::clipboard()->text();
        if (!Writable(pasted, false)) {
            binding_->Act<Grid>([](Grid& grid) { grid.UserPasteRefused(Grid::Refusal::Unwritable); });
            return true;
        }
        const std::string text = Latin1Bytes(pasted);
        binding_->Act<Grid>([&text](Grid& grid) { grid.UserPastes(text); });
        return true;
    }
    return false;
}

// Alt with Up or Down moves no cell: it goes on to the window, whose keys they are.
void GridView::keyPressEvent(QKeyEvent* event) {
    const bool upOrDown = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (upOrDown && (event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    PlaceFrozenPart();
}

// Reached by the keyboard, the table shows a current cell at once: the first beside the names.
void GridView::focusInEvent(QFocusEvent* event) {
    if (event->reason() != Qt::MouseFocusReason && binding_)
        binding_->Act<Grid>([](Grid& grid) {
            if (grid.Current().row >= 0 || grid.RowCount() == 0)
                return;
            const int column = std::min(grid.FrozenColumns(), grid.ColumnCount() - 1);
            grid.UserSelects({{0, column, 0, column}}, {0, column});
        });
    QTableView::focusInEvent(event);
}

// The row numbers grow and shrink with the rows shown, however few: the names follow them.
void GridView::updateGeometries() {
    QTableView::updateGeometries();
    PlaceFrozenPart();
}

QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = QTableView::moveCursor(action, modifiers);
    // Home shows the row from its start, the first columns beside the names.
    if (action == MoveHome)
        horizontalScrollBar()->setValue(0);
    return current;
}

void GridView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    // A cell of the frozen column scrolls only the rows.
    if (index.column() == 0 && model_->columnCount() > 1) {
        QTableView::scrollTo(model_->index(index.row(), std::max(1, columnAt(frozen_->columnWidth(0) + 1))),
                             hint);
        return;
    }
    QTableView::scrollTo(index, hint);
    // Any other cell is never left under the frozen column, whichever key or click brought it.
    const int hidden = frozen_->columnWidth(0) - visualRect(index).left();
    if (index.column() > 0 && hidden > 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - hidden);
}

void GridView::PlaceFrozenPart() {
    frozen_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(0),
                         viewport()->height() + horizontalHeader()->height());
}

} // namespace kestrix::platform::qt
