#include "platform/qt/widgets.h"

#include "platform/chart.h"
#include "platform/qt/binding.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/menus.h"
#include "platform/qt/tab_area.h"
#include "platform/qt/text.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeView>
#include <QValidator>

#include <limits>

namespace kestrix::platform::qt {

namespace {

// Tells the control's window when the widget takes the keyboard focus.
class FocusReporter : public QObject {
  public:
    FocusReporter(const Binding& binding, const FocusScope& focus, QObject* parent)
        : QObject(parent), binding_(binding), focus_(focus) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && IsMove(static_cast<QFocusEvent*>(event)->reason()))
            binding_.Act<Control>([](Control& control) { control.SetFocus(); });
        return false;
    }

  private:
    // The focus coming back with the window or after a popup closes has not
    // moved, unless nothing of the window had it yet.
    bool IsMove(Qt::FocusReason reason) const {
        const bool returns = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
        return !returns || !focus_.Focused();
    }

    const Binding& binding_;
    const FocusScope& focus_;
};

// Mouse moves and clicks of widgets that have no signal for them.
class MouseReporter : public QObject {
  public:
    MouseReporter(std::function<void()> moved, std::function<void()> clicked, QWidget& widget)
        : QObject(&widget), moved_(std::move(moved)), clicked_(std::move(clicked)) {
        widget.setMouseTracking(true);
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove && moved_)
            moved_();
        else if (event->type() == QEvent::MouseButtonRelease && clicked_ &&
                 static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            clicked_();
        return false;
    }

  private:
    std::function<void()> moved_;
    std::function<void()> clicked_;
};

// The wheel over a list that does not have the focus scrolls the window, never the value.
class WheelOnlyWithFocus : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus())
            return false;
        event->ignore();
        return true;
    }
};

// Key presses a widget's control takes before the widget; the handler says
// whether it took the key.
class KeysFirst : public QObject {
  public:
    using Handler = std::function<bool(const QKeyEvent&)>;
    KeysFirst(QWidget& widget, Handler handle) : QObject(&widget), handle_(std::move(handle)) {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        return event->type() == QEvent::KeyPress && handle_(*static_cast<QKeyEvent*>(event));
    }

  private:
    Handler handle_;
};

// Undo and redo in a text field take back its own typing while it has some; then the keys go on to
// the window, which undoes and redoes the document.
class TypingUndoneFirst : public QObject {
  public:
    // Whether the field can undo and redo, asked when the key comes.
    using History = std::function<bool(HistoryKey)>;
    TypingUndoneFirst(QWidget& widget, History history) : QObject(&widget), history_(std::move(history)) {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        const HistoryKey key = HistoryKeyOf(*static_cast<QKeyEvent*>(event));
        if (key == HistoryKey::None || history_(key))
            return false;
        event->ignore();
        return true;
    }

  private:
    History history_;
};

// The arrow keys move the choice within an option group, which is one Tab stop.
bool OptionKey(const Binding& binding, const QKeyEvent& key) {
    const int pressed = key.key();
    if (pressed != Qt::Key_Up && pressed != Qt::Key_Down && pressed != Qt::Key_Left &&
        pressed != Qt::Key_Right)
        return false;
    const int step = pressed == Qt::Key_Up || pressed == Qt::Key_Left ? -1 : 1;
    binding.Act<OptionButton>([step](OptionButton& option) { option.UserSteps(step); });
    return true;
}

// Enter and Escape in a line field go to the field first, and to the window
// only when the field has no use for them.
bool FieldKey(const Binding& binding, const QKeyEvent& key) {
    if (key.modifiers() & ~Qt::KeypadModifier)
        return false;
    bool handled = false;
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        binding.Act<TextField>([&handled](TextField& field) { handled = field.UserPressesEnter(); });
    else if (key.key() == Qt::Key_Escape)
        binding.Act<TextField>([&handled](TextField& field) { handled = field.UserPressesEscape(); });
    return handled;
}

// Enter on a row goes to the list first, and to the window only when the list
// has no use for it; the menu key acts as a click on the selected row; Ctrl+C
// copies the list tab-separated, as spreadsheets take it.
bool ColumnListKey(const Binding& binding, const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    bool handled = false;
    if (key.matches(QKeySequence::Copy)) {
        binding.Act<ColumnList>(
            [](ColumnList& list) { QApplication::clipboard()->setText(Latin1(list.CopyText())); });
        return true;
    }
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && modifiers == Qt::NoModifier)
        binding.Act<ColumnList>([&handled](ColumnList& list) { handled = list.UserPressesEnter(); });
    else if (key.key() == Qt::Key_Menu || (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier))
        binding.Act<ColumnList>([&handled](ColumnList& list) {
            handled = list.SelectedRow() >= 0;
            list.UserClicks(list.SelectedRow());
        });
    return handled;
}

QColor ToQColor(const Color& color) {
    return QColor(color.red, color.green, color.blue);
}

// A colour of its own stands for the enabled text: disabled, the text is greyed as any other.
void ShowLooks(QWidget& widget, const Label& label) {
    QPalette palette = widget.palette();
    const QPalette standard = widget.parentWidget() ? widget.parentWidget()->palette() : QPalette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::WindowText,
                         label.ForeColor() && group != QPalette::Disabled
                             ? ToQColor(*label.ForeColor())
                             : standard.color(group, QPalette::WindowText));
    widget.setPalette(palette);
    QFont font = widget.font();
    font.setUnderline(label.Underline());
    font.setBold(label.Bold());
    widget.setFont(font);
}

// The entries of a drop-down or a list box, read straight from the control.
template <typename Kind> class EntriesModel : public QAbstractListModel {
  public:
    explicit EntriesModel(QObject* parent) : QAbstractListModel(parent) {}
    void SetBinding(const Binding& binding) { binding_ = &binding; }
    int rowCount(const QModelIndex& parent = {}) const override {
        const Kind* list = binding_ ? binding_->Get<Kind>() : nullptr;
        return parent.isValid() || !list ? 0 : list->ListCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const Kind* list = binding_ ? binding_->Get<Kind>() : nullptr;
        if (role != Qt::DisplayRole || !list || index.row() >= list->ListCount())
            return {};
        return Latin1(list->List(index.row()));
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

  private:
    const Binding* binding_ = nullptr;
};
using DropDownModel = EntriesModel<DropDown>;
using ListBoxModel = EntriesModel<ListBox>;

// A drop-down whose list raises the control's opening event before it shows.
class DropDownBox : public QComboBox {
  public:
    explicit DropDownBox(QWidget* parent) : QComboBox(parent) {}
    void SetBinding(const Binding& binding) { binding_ = &binding; }
    void showPopup() override {
        if (binding_)
            binding_->Act<DropDown>([](DropDown& list) {
                if (list.Enabled() && list.DropDownOpening)
                    list.DropDownOpening();
            });
        QComboBox::showPopup();
    }

  private:
    const Binding* binding_ = nullptr;
};

class ColumnListModel : public QAbstractTableModel {
  public:
    explicit ColumnListModel(QObject* parent) : QAbstractTableModel(parent) {}
    void SetBinding(const Binding& binding) { binding_ = &binding; }
    int rowCount(const QModelIndex& parent = {}) const override {
        const ColumnList* list = binding_ ? binding_->Get<ColumnList>() : nullptr;
        return parent.isValid() || !list ? 0 : list->RowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        const ColumnList* list = binding_ ? binding_->Get<ColumnList>() : nullptr;
        return parent.isValid() || !list ? 0 : list->ColumnCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const ColumnList* list = binding_ ? binding_->Get<ColumnList>() : nullptr;
        if (role != Qt::DisplayRole || !list || index.row() >= list->RowCount() ||
            index.column() >= list->ColumnCount())
            return {};
        return Latin1(list->Cell(index.row(), index.column()));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        const ColumnList* list = binding_ ? binding_->Get<ColumnList>() : nullptr;
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !list ||
            section >= list->ColumnCount())
            return {};
        return Latin1(list->Headers()[static_cast<std::size_t>(section)]);
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

  private:
    const Binding* binding_ = nullptr;
};

// Makes the widget of each kind of control; a kind it lacks does not compile.
class WidgetFactory : public ControlVisitor {
  public:
    WidgetFactory(const FocusScope& focus, QWidget* parent) : focus_(focus), parent_(parent) {}
    QWidget* Made() const { return made_; }
    Binding* MadeBinding() const { return binding_; }

    void Visit(Label& control) override {
        auto* label = new QLabel(parent_);
        label->setTextFormat(Qt::PlainText);
        Binding& binding = Bind(control, *label, [label, &control](Aspect aspect) {
            if (aspect == Aspect::Caption)
                label->setText(Latin1(control.Caption()));
            else if (aspect == Aspect::Looks)
                ShowLooks(*label, control);
        });
        new MouseReporter([&binding] { binding.Act<Label>([](Label& l) { l.UserMovesMouse(); }); },
                          [&binding] { binding.Act<Label>([](Label& l) { l.UserClicks(); }); }, *label);
    }

    void Visit(Button& control) override {
        auto* button = new QPushButton(parent_);
        button->setAutoDefault(false);
        Binding& binding = Bind(control, *button, [button, &control](Aspect aspect) {
            if (aspect == Aspect::Caption)
                button->setText(Latin1(control.Caption()));
        });
        QObject::connect(button, &QPushButton::clicked, button,
                         [&binding] { binding.Act<Button>([](Button& b) { b.UserClicks(); }); });
        ReportFocus(*button, binding);
    }

    void Visit(TextField& control) override {
        if (control.MultiLine())
            MultiLineField(control);
        else
            LineField(control);
    }

    void Visit(CheckBox& control) override {
        auto* box = new QCheckBox(parent_);
        Binding& binding = Bind(control, *box, [box, &control](Aspect aspect) {
            if (aspect == Aspect::Value) {
                const QSignalBlocker quiet(box);
                box->setChecked(control.Value() != 0);
            } else if (aspect == Aspect::Caption) {
                box->setText(Latin1(control.Caption()));
            } else if (aspect == Aspect::Looks) {
                ShowLooks(*box, control);
            }
        });
        QObject::connect(box, &QCheckBox::clicked, box, [&binding, box] {
            binding.Act<CheckBox>([box](CheckBox& c) {
                c.UserClicks();
                const QSignalBlocker quiet(box);
                box->setChecked(c.Value() != 0);
            });
        });
        ReportFocus(*box, binding);
    }

    void Visit(OptionButton& control) override {
        auto* option = new QRadioButton(parent_);
        option->setAutoExclusive(false); // the control keeps its group
        Binding& binding = Bind(control, *option, [option, &control](Aspect aspect) {
            if (aspect == Aspect::Value) {
                const QSignalBlocker quiet(option);
                option->setChecked(control.Value());
                option->setFocusPolicy(control.TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
            } else if (aspect == Aspect::Caption) {
                option->setText(Latin1(control.Caption()));
            }
        });
        QObject::connect(option, &QRadioButton::clicked, option, [&binding, option] {
            binding.Act<OptionButton>([option](OptionButton& o) {
                o.UserClicks();
                const QSignalBlocker quiet(option);
                option->setChecked(o.Value());
            });
        });
        new KeysFirst(*option, [&binding](const QKeyEvent& key) { return OptionKey(binding, key); });
        ReportFocus(*option, binding);
    }

    void Visit(DropDown& control) override {
        auto* box = new DropDownBox(parent_);
        box->setFocusPolicy(Qt::StrongFocus);
        box->installEventFilter(new WheelOnlyWithFocus(box));
        // Long car lists: no measuring of every entry, rows of one height.
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        if (auto* list = qobject_cast<QListView*>(box->view()))
            list->setUniformItemSizes(true);
        // A list that drops below the box and scrolls, rather than one as tall as the screen.
        box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
        box->setMaxVisibleItems(16);
        box->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        const auto showSelection = [box, &control] {
            if (box->currentIndex() == control.ListIndex())
                return;
            const QSignalBlocker quiet(box);
            box->setCurrentIndex(control.ListIndex());
        };
        auto* model = new DropDownModel(box);
        Binding& binding = Bind(control, *box, [box, model, showSelection](Aspect aspect) {
            if (aspect == Aspect::Entries) {
                const QSignalBlocker quiet(box);
                model->Reset();
            }
            if (aspect == Aspect::Entries || aspect == Aspect::Selection)
                showSelection();
        });
        model->SetBinding(binding);
        box->SetBinding(binding);
        {
            const QSignalBlocker quiet(box);
            box->setModel(model);
        }
        // Also raised by the arrow keys on the closed list, and by assistive tools.
        QObject::connect(box, &QComboBox::activated, box, [&binding, box](int position) {
            binding.Act<DropDown>([box, position](DropDown& list) {
                list.UserSteps(position);
                const QSignalBlocker quiet(box);
                box->setCurrentIndex(list.ListIndex());
            });
        });
        ReportFocus(*box, binding);
    }

    void Visit(TickList& control) override;
    void Visit(ListBox& control) override;
    void Visit(ColumnList& control) override;

    void Visit(TabControl& control) override {
        auto* area = new TabArea(parent_);
        Binding& binding = Bind(control, *area, [area, &control](Aspect aspect) {
            if (aspect == Aspect::Page)
                area->ShowPage(control.Tab());
        });
        area->SetTabs(control.Captions(), [&binding](int page) {
            binding.Act<TabControl>([page](TabControl& tabs) {
                if (page < 0)
                    tabs.UserStepsPage(page == TabArea::kNextPage ? 1 : -1);
                else
                    tabs.UserChoosesPage(page);
            });
            const TabControl* tabs = binding.Get<TabControl>();
            return tabs ? tabs->Tab() : 0;
        });
        for (QWidget* tab : area->Tabs())
            tab->installEventFilter(new FocusReporter(binding, focus_, tab));
    }

    void Visit(Picture& control) override {
        auto* picture = new QLabel(parent_);
        picture->setPixmap(
            QPixmap(QStringLiteral(":/drawings/") + QString::fromStdString(control.Drawing())));
        picture->setScaledContents(true);
        Binding& binding = Bind(control, *picture, [](Aspect) {});
        new MouseReporter([&binding] { binding.Act<Picture>([](Picture& p) { p.UserMovesMouse(); }); }, {},
                          *picture);
    }

    void Visit(Grid& control) override {
        auto* view = new GridView(parent_);
        Binding& binding = Bind(control, *view, [view](Aspect aspect) { view->Refresh(aspect); });
        view->Connect(binding);
        ReportFocus(*view, binding);
    }

    void Visit(Chart& control) override {
        auto* view = new ChartView(parent_);
        Binding& binding = Bind(control, *view, [view](Aspect aspect) { view->Refresh(aspect); });
        view->Connect(binding);
        control.SetImageWriter([guard = QPointer<ChartView>(view)](const std::string& path) {
            return guard ? guard->SaveImage(path) : std::string("the chart is not shown");
        });
        ReportFocus(*view, binding);
    }

    void Visit(MenuEntry& control) override {
        auto* button = new QToolButton(parent_);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setMenu(CreateMenu(control, button));
        Bind(control, *button, [button, &control](Aspect aspect) {
            if (aspect == Aspect::Caption)
                button->setText(Latin1(control.Caption()));
        });
    }

  private:
    Binding& Bind(Control& control, QWidget& widget, Binding::Refresher refresh) {
        binding_ = new Binding(control, widget, std::move(refresh));
        made_ = &widget;
        return *binding_;
    }
    void ReportFocus(QWidget& widget, const Binding& binding) {
        widget.installEventFilter(new FocusReporter(binding, focus_, &widget));
    }
    void LineField(TextField& control);
    void MultiLineField(TextField& control);

    const FocusScope& focus_;
    QWidget* parent_;
    QWidget* made_ = nullptr;
    Binding* binding_ = nullptr;
};

// Refuses an edit whole, before it changes the line: the text and the cursor
// stay, and the field hears why.
class FieldValidator : public QValidator {
  public:
    FieldValidator(const Binding& binding, std::shared_ptr<bool> applying, QObject* parent)
        : QValidator(parent), binding_(binding), applying_(std::move(applying)) {}
    State validate(QString& input, int&) const override {
        const TextField* field = binding_.Get<TextField>();
        if (!field || *applying_)
            return Acceptable;
        std::optional<TextField::Refusal> refusal;
        if (!Writable(input, false))
            refusal = TextField::Refusal::Unwritable;
        else if (field->Refuses(Latin1Bytes(input)))
            refusal = TextField::Refusal::Separator;
        if (!refusal)
            return Acceptable;
        binding_.Act<TextField>([&refusal](TextField& f) { f.UserRefused(*refusal); });
        return Invalid;
    }

  private:
    const Binding& binding_;
    std::shared_ptr<bool> applying_;
};

// A multi-line field that refuses typed, pasted or composed text with a
// character the 8-bit file cannot hold, before it lands: the cursor stays.
class ByteTextEdit : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;
    void SetBinding(const Binding& binding) { binding_ = &binding; }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (Refuses(event->text()))
            return;
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (source && source->hasText() && Refuses(source->text()))
            return;
        QPlainTextEdit::insertFromMimeData(source);
    }
    void inputMethodEvent(QInputMethodEvent* event) override {
        if (Refuses(event->commitString())) {
            event->setCommitString({});
            QPlainTextEdit::inputMethodEvent(event);
            return;
        }
        QPlainTextEdit::inputMethodEvent(event);
    }

  private:
    bool Refuses(const QString& text) const {
        if (!binding_ || Writable(text, true))
            return false;
        binding_->Act<TextField>([](TextField& field) { field.UserRefused(TextField::Refusal::Unwritable); });
        return true;
    }
    const Binding* binding_ = nullptr;
};

void WidgetFactory::LineField(TextField& control) {
    auto* edit = new QLineEdit(parent_);
    edit->setMaxLength(std::numeric_limits<int>::max()); // no field limits what is typed
    auto applying = std::make_shared<bool>(false);
    const auto showText = [edit, &control, applying] {
        const QString text = Latin1(control.Text());
        if (edit->text() == text)
            return;
        *applying = true;
        const int cursor = edit->cursorPosition();
        edit->setText(text);
        edit->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
        *applying = false;
    };
    Binding& binding = Bind(control, *edit, [edit, &control, showText](Aspect aspect) {
        if (aspect == Aspect::Text) {
            showText();
        } else if (aspect == Aspect::Selection) {
            if (control.SelLength() == 0)
                edit->setCursorPosition(static_cast<int>(control.SelStart()));
            else
                edit->setSelection(static_cast<int>(control.SelStart()),
                                   static_cast<int>(control.SelLength()));
        }
    });
    // Typing, pasting, undoing and assistive tools all change the text: each reaches the control.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [&binding, applying](const QString& text) {
        if (!*applying)
            binding.Act<TextField>([&text](TextField& field) { field.UserTypes(Latin1Bytes(text)); });
    });
    new KeysFirst(*edit, [&binding](const QKeyEvent& key) { return FieldKey(binding, key); });
    new TypingUndoneFirst(*edit, [edit](HistoryKey key) {
        return key == HistoryKey::Undo ? edit->isUndoAvailable() : edit->isRedoAvailable();
    });
    edit->setValidator(new FieldValidator(binding, applying, edit));
    ReportFocus(*edit, binding);
}

void WidgetFactory::MultiLineField(TextField& control) {
    auto* edit = new ByteTextEdit(parent_);
    edit->setTabChangesFocus(true);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto applying = std::make_shared<bool>(false);
    Binding& binding = Bind(control, *edit, [edit, &control, applying](Aspect aspect) {
        if (aspect != Aspect::Text)
            return;
        const QString shown = MultiLineShown(control.Text());
        if (edit->toPlainText() == shown)
            return;
        *applying = true;
        edit->setPlainText(shown);
        *applying = false;
    });
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [&binding, edit, applying] {
        if (!*applying)
            binding.Act<TextField>(
                [edit](TextField& field) { field.UserTypes(MultiLineStored(edit->toPlainText())); });
    });
    edit->SetBinding(binding);
    new TypingUndoneFirst(*edit, [edit](HistoryKey key) {
        return key == HistoryKey::Undo ? edit->document()->isUndoAvailable()
                                       : edit->document()->isRedoAvailable();
    });
    ReportFocus(*edit, binding);
}

void WidgetFactory::Visit(TickList& control) {
    auto* list = new QListWidget(parent_);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    const auto showTicks = [list, &control] {
        const QSignalBlocker quiet(list);
        for (int i = 0; i < list->count() && i < control.Count(); ++i)
            list->item(i)->setCheckState(control.Ticked(i) ? Qt::Checked : Qt::Unchecked);
    };
    const auto showCurrent = [list, &control] {
        const QSignalBlocker quiet(list);
        list->setCurrentRow(control.Current());
    };
    Binding& binding = Bind(control, *list, [list, &control, showTicks, showCurrent](Aspect aspect) {
        if (aspect == Aspect::Entries) {
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
        } else if (aspect == Aspect::Ticks) {
            showTicks();
        } else if (aspect == Aspect::Selection) {
            showCurrent();
        }
    });
    // One press of the mouse is one click of the list, whatever it changed.
    auto reported = std::make_shared<bool>(false);
    QObject::connect(list, &QListWidget::itemPressed, list,
                     [reported](QListWidgetItem*) { *reported = false; });
    QObject::connect(list, &QListWidget::itemChanged, list,
                     [list, &binding, showTicks, reported](QListWidgetItem* item) {
                         const int index = list->row(item);
                         binding.Act<TickList>([&](TickList& ticks) {
                             if ((item->checkState() == Qt::Checked) != ticks.Ticked(index))
                                 ticks.UserClicks(index, true);
                         });
                         *reported = true;
                         showTicks();
                     });
    QObject::connect(list, &QListWidget::currentRowChanged, list,
                     [&binding, showCurrent, reported](int index) {
                         binding.Act<TickList>([index](TickList& ticks) {
                             if (index >= 0 && index != ticks.Current())
                                 ticks.UserMovesTo(index);
                         });
                         *reported = true;
                         showCurrent();
                     });
    QObject::connect(
        list, &QListWidget::itemClicked, list, [list, &binding, reported](QListWidgetItem* item) {
            if (!std::exchange(*reported, true))
                binding.Act<TickList>([&](TickList& ticks) { ticks.UserClicks(list->row(item), false); });
        });
    ReportFocus(*list, binding);
}

// The list box's selection is the control's: a click, with Ctrl or Shift, goes
// to the control, and the view only shows what the control holds.
class ListBoxInput : public QObject {
  public:
    ListBoxInput(QListView& view, const Binding& binding)
        : QObject(&view), view_(view), viewport_(view.viewport()), binding_(binding) {
        viewport_->installEventFilter(this);
        view.installEventFilter(this);
    }
    // The viewport is compared by the pointer kept: while the list is being
    // destroyed it still sends events, and the view can no longer be asked.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == viewport_ &&
            (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int row = view_.indexAt(mouse->position().toPoint()).row();
            if (row < 0 || mouse->button() != Qt::LeftButton)
                return true;
            view_.setFocus(Qt::MouseFocusReason);
            binding_.Act<ListBox>([&](ListBox& list) {
                if (event->type() == QEvent::MouseButtonDblClick)
                    list.UserDoubleClicks(row);
                else
                    list.UserClicks(row, PickOf(mouse->modifiers()));
            });
            view_.setCurrentIndex(view_.model()->index(row, 0));
            return true;
        }
        if (watched == &view_ && event->type() == QEvent::KeyPress)
            return Key(*static_cast<QKeyEvent*>(event));
        return false;
    }

  private:
    static ListBox::Pick PickOf(Qt::KeyboardModifiers modifiers) {
        if (modifiers & Qt::ShiftModifier)
            return ListBox::Pick::Range;
        return modifiers & Qt::ControlModifier ? ListBox::Pick::Toggle : ListBox::Pick::Only;
    }
    bool Key(const QKeyEvent& key) {
        const ListBox* list = binding_.Get<ListBox>();
        if (!list || list->ListCount() == 0)
            return false;
        if (key.matches(QKeySequence::SelectAll)) {
            binding_.Act<ListBox>([](ListBox& l) { l.UserSelectsAll(); });
            return true;
        }
        const int current = std::max(view_.currentIndex().row(), 0);
        int row = current;
        switch (key.key()) {
        case Qt::Key_Up:
            row = std::max(current - 1, 0);
            break;
        case Qt::Key_Down:
            row = std::min(current + 1, list->ListCount() - 1);
            break;
        case Qt::Key_Home:
            row = 0;
            break;
        case Qt::Key_End:
            row = list->ListCount() - 1;
            break;
        case Qt::Key_Space:
            binding_.Act<ListBox>([&](ListBox& l) {
                l.UserClicks(current, key.modifiers() & Qt::ControlModifier ? ListBox::Pick::Toggle
                                                                            : ListBox::Pick::Only);
            });
            return true;
        default:
            return false;
        }
        if (key.modifiers() & Qt::ControlModifier) {
            view_.setCurrentIndex(view_.model()->index(row, 0)); // move without choosing
            return true;
        }
        binding_.Act<ListBox>([&](ListBox& l) { l.UserClicks(row, PickOf(key.modifiers())); });
        view_.setCurrentIndex(view_.model()->index(row, 0));
        return true;
    }

    QListView& view_;
    QWidget* viewport_;
    const Binding& binding_;
};

void WidgetFactory::Visit(ListBox& control) {
    auto* view = new QListView(parent_);
    view->setUniformItemSizes(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    auto* model = new ListBoxModel(view);
    const auto showSelection = [view, model, &control] {
        QItemSelection selection;
        int start = -1;
        for (int row = 0; row <= control.ListCount(); ++row) {
            const bool on = row < control.ListCount() && control.Selected(row);
            if (on && start < 0)
                start = row;
            if (!on && start >= 0) {
                selection.select(model->index(start, 0), model->index(row - 1, 0));
                start = -1;
            }
        }
        view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    };
    Binding& binding = Bind(control, *view, [model, showSelection](Aspect aspect) {
        if (aspect == Aspect::Entries)
            model->Reset();
        if (aspect == Aspect::Entries || aspect == Aspect::Selection)
            showSelection();
    });
    model->SetBinding(binding);
    view->setModel(model);
    new ListBoxInput(*view, binding);
    ReportFocus(*view, binding);
}

void WidgetFactory::Visit(ColumnList& control) {
    auto* view = new QTreeView(parent_);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true); // thousands of rows stay quick
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->setSectionsClickable(true);
    view->header()->setSortIndicatorShown(false);
    auto* model = new ColumnListModel(view);
    Binding& binding = Bind(control, *view, [view, model, &control](Aspect aspect) {
        if (aspect == Aspect::Rows) {
            model->Reset();
            view->header()->setSortIndicatorShown(control.Sorted());
            view->header()->setSortIndicator(
                control.SortKey(), control.SortOrder() == ColumnList::Order::Ascending ? Qt::AscendingOrder
                                                                                       : Qt::DescendingOrder);
        }
        if (aspect == Aspect::Rows || aspect == Aspect::Selection) {
            const QSignalBlocker quiet(view->selectionModel());
            if (control.SelectedRow() < 0)
                view->clearSelection();
            else
                view->setCurrentIndex(model->index(control.SelectedRow(), 0));
        }
    });
    model->SetBinding(binding);
    view->setModel(model);
    QObject::connect(view->header(), &QHeaderView::sectionClicked, view, [&binding](int column) {
        binding.Act<ColumnList>([column](ColumnList& list) { list.UserClicksHeader(column); });
    });
    QObject::connect(view, &QTreeView::clicked, view, [&binding](const QModelIndex& index) {
        binding.Act<ColumnList>([&index](ColumnList& list) { list.UserClicks(index.row()); });
    });
    QObject::connect(view, &QTreeView::doubleClicked, view, [&binding](const QModelIndex& index) {
        binding.Act<ColumnList>([&index](ColumnList& list) { list.UserDoubleClicks(index.row()); });
    });
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                     [&binding](const QModelIndex& current) {
                         binding.Act<ColumnList>([&current](ColumnList& list) {
                             if (current.row() != list.SelectedRow())
                                 list.SetSelectedRow(current.row());
                         });
                     });
    new KeysFirst(*view, [&binding](const QKeyEvent& key) { return ColumnListKey(binding, key); });
    ReportFocus(*view, binding);
}

} // namespace

HistoryKey HistoryKeyOf(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_Z && modifiers == Qt::ControlModifier)
        return HistoryKey::Undo;
    if ((key.key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) ||
        (key.key() == Qt::Key_Y && modifiers == Qt::ControlModifier))
        return HistoryKey::Redo;
    return HistoryKey::None;
}

QWidget* CreateWidget(Control& control, const FocusScope& focus, QWidget* parent) {
    WidgetFactory factory(focus, parent);
    control.Accept(factory);
    factory.MadeBinding()->ShowAll();
    return factory.Made();
}

} // namespace kestrix::platform::qt
