#include "platform/qt/widgets.h"

#include "platform/chart.h"
#include "platform/markdown_view.h"
#include "platform/qt/binding.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/custom_widgets.h"
#include "platform/qt/event_filters.h"
#include "platform/qt/grid_view.h"
#include "platform/qt/markdown_browser.h"
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
#include <QTreeWidget>
#include <QValidator>

#include <limits>

namespace kestrix::platform::qt {

namespace {

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
    void Visit(TickTree& control) override;
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

    void Visit(MarkdownView& control) override {
        auto* browser = new MarkdownBrowser(parent_);
        Binding& binding = Bind(control, *browser, [browser](Aspect aspect) { browser->Refresh(aspect); });
        browser->Connect(binding);
        ReportFocus(*browser, binding);
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

namespace {

TickTree::Place PlaceOf(QTreeWidgetItem* item) {
    if (!item)
        return {};
    if (QTreeWidgetItem* entry = item->parent())
        return {entry->treeWidget()->indexOfTopLevelItem(entry), entry->indexOfChild(item)};
    return {item->treeWidget()->indexOfTopLevelItem(item), -1};
}

QTreeWidgetItem* ItemAt(QTreeWidget& tree, TickTree::Place place) {
    QTreeWidgetItem* entry = place.entry >= 0 ? tree.topLevelItem(place.entry) : nullptr;
    return entry && place.value >= 0 ? entry->child(place.value) : entry;
}

Qt::CheckState CheckStateOf(TickTree::Tick tick) {
    switch (tick) {
    case TickTree::Tick::None:
        break;
    case TickTree::Tick::Partly:
        return Qt::PartiallyChecked;
    case TickTree::Tick::All:
        return Qt::Checked;
    }
    return Qt::Unchecked;
}

std::optional<TickTree::Key> TreeKey(const QKeyEvent& key) {
    if (key.modifiers() & ~Qt::KeypadModifier)
        return std::nullopt;
    switch (key.key()) {
    case Qt::Key_Space:
        return TickTree::Key::Space;
    case Qt::Key_Right:
        return TickTree::Key::Right;
    case Qt::Key_Left:
        return TickTree::Key::Left;
    default:
        return std::nullopt;
    }
}

} // namespace

// Space, Right and Left are the control's; Up and Down move as the tree moves, and tell the control.
void WidgetFactory::Visit(TickTree& control) {
    auto* tree = new QTreeWidget(parent_);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    const auto each = [tree](const std::function<void(QTreeWidgetItem&, TickTree::Place)>& act) {
        for (int entry = 0; entry < tree->topLevelItemCount(); ++entry) {
            QTreeWidgetItem* item = tree->topLevelItem(entry);
            act(*item, {entry, -1});
            for (int value = 0; value < item->childCount(); ++value)
                act(*item->child(value), {entry, value});
        }
    };
    const auto showTicks = [tree, each, &control] {
        const QSignalBlocker quiet(tree);
        each([&control](QTreeWidgetItem& item, TickTree::Place place) {
            if (control.Tickable(place))
                item.setCheckState(0, CheckStateOf(control.TickOf(place)));
        });
    };
    const auto showOpen = [tree, &control] {
        const QSignalBlocker quiet(tree);
        for (int entry = 0; entry < tree->topLevelItemCount() && entry < control.Count(); ++entry)
            tree->topLevelItem(entry)->setExpanded(control.IsOpen(entry));
    };
    const auto showCurrent = [tree, &control] {
        const QSignalBlocker quiet(tree);
        tree->setCurrentItem(ItemAt(*tree, control.Current()));
    };
    Binding& binding =
        Bind(control, *tree, [tree, each, &control, showTicks, showOpen, showCurrent](Aspect aspect) {
            if (aspect == Aspect::Entries) {
                {
                    const QSignalBlocker quiet(tree);
                    tree->clear();
                    for (int entry = 0; entry < control.Count(); ++entry) {
                        auto* item = new QTreeWidgetItem(tree, {Latin1(control.EntryAt(entry).text)});
                        for (const TickTree::Value& value : control.EntryAt(entry).values)
                            new QTreeWidgetItem(item, {Latin1(value.text)});
                    }
                    each([&control](QTreeWidgetItem& item, TickTree::Place place) {
                        item.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                      (control.Tickable(place) ? Qt::ItemIsUserCheckable : Qt::NoItemFlags));
                    });
                }
                showTicks();
                showOpen();
                showCurrent();
            } else if (aspect == Aspect::Ticks) {
                showTicks();
            } else if (aspect == Aspect::Rows) {
                showOpen();
            } else if (aspect == Aspect::Selection) {
                showOpen();
                showCurrent();
            }
        });
    QObject::connect(tree, &QTreeWidget::itemChanged, tree,
                     [&binding, showTicks](QTreeWidgetItem* item, int) {
                         const TickTree::Place place = PlaceOf(item);
                         binding.Act<TickTree>([&](TickTree& ticks) {
                             if (item->checkState(0) != CheckStateOf(ticks.TickOf(place)))
                                 ticks.UserClicks(place, true);
                         });
                         showTicks();
                     });
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree,
                     [&binding, showCurrent](QTreeWidgetItem* current, QTreeWidgetItem*) {
                         const TickTree::Place place = PlaceOf(current);
                         binding.Act<TickTree>([place](TickTree& ticks) {
                             if (place.entry >= 0 && !(place == ticks.Current()))
                                 ticks.UserMovesTo(place);
                         });
                         showCurrent();
                     });
    const auto reportOpen = [&binding, showOpen](QTreeWidgetItem* item, bool open) {
        const int entry = PlaceOf(item).entry;
        binding.Act<TickTree>([entry, open](TickTree& ticks) { ticks.UserOpens(entry, open); });
        showOpen();
    };
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree,
                     [reportOpen](QTreeWidgetItem* item) { reportOpen(item, true); });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, tree,
                     [reportOpen](QTreeWidgetItem* item) { reportOpen(item, false); });
    new KeysFirst(*tree, [&binding](const QKeyEvent& key) {
        const std::optional<TickTree::Key> pressed = TreeKey(key);
        bool taken = false;
        if (pressed)
            binding.Act<TickTree>([&](TickTree& ticks) { taken = ticks.UserPressesKey(*pressed); });
        return taken;
    });
    ReportFocus(*tree, binding);
}

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
        // A list of one choice keeps its choice in sight, however it moved.
        if (!control.MultiSelect() && control.ListIndex() >= 0)
            view->scrollTo(model->index(control.ListIndex(), 0));
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

QWidget* CreateWidget(Control& control, const FocusScope& focus, QWidget* parent) {
    WidgetFactory factory(focus, parent);
    control.Accept(factory);
    factory.MadeBinding()->ShowAll();
    return factory.Made();
}

} // namespace kestrix::platform::qt
