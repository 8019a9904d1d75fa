#include "platform/qt/tab_area.h"

#include "platform/qt/text.h"

#include <QAccessibleWidget>
#include <QGridLayout>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace kestrix::platform::qt {

namespace {

constexpr const char* kTabLook = "QPushButton { border: 1px solid palette(dark); border-bottom: none;"
                                 " border-top-left-radius: 4px; border-top-right-radius: 4px;"
                                 " background: palette(midlight); padding: 4px 6px; }"
                                 "QPushButton:checked { background: palette(light); }";

constexpr const char* kPageTabProperty = "kestrixPageTab";

// What assistive tools see of a tab: a page tab, selected while its page is in
// front, whose press shows its page.
class PageTabAccessible : public QAccessibleWidget {
  public:
    explicit PageTabAccessible(QWidget* tab) : QAccessibleWidget(tab, QAccessible::PageTab) {}
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = Tab().isChecked();
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? Tab().text() : QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            Tab().click();
    }

  private:
    QAbstractButton& Tab() const { return *static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* PageTabs(const QString&, QObject* object) {
    if (object && object->isWidgetType() && object->property(kPageTabProperty).toBool())
        return new PageTabAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

TabArea::TabArea(QWidget* parent)
    : QWidget(parent), tabRows_(new QGridLayout), pages_(new QStackedWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tabRows_->setSpacing(0);
    layout->addLayout(tabRows_);
    layout->addWidget(pages_);
    pages_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    static const bool accessible = (QAccessible::installFactory(PageTabs), true);
    (void)accessible;
    connect(&tabs_, &QButtonGroup::idClicked, this, [this](int page) { UserChooses(page); });
    const auto step = [this](const QKeySequence& keys, int direction) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, direction] {
            if (isEnabled())
                UserChooses(direction);
        });
    };
    step(QKeySequence(Qt::CTRL | Qt::Key_Tab), kNextPage);
    step(QKeySequence(Qt::CTRL | Qt::Key_PageDown), kNextPage);
    step(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), kPreviousPage);
    step(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), kPreviousPage);
    step(QKeySequence(Qt::CTRL | Qt::Key_PageUp), kPreviousPage);
}

void TabArea::SetTabs(const std::vector<std::string>& captions, Choose choose) {
    choose_ = std::move(choose);
    for (std::size_t page = 0; page < captions.size(); ++page) {
        auto* tab = new QPushButton(this);
        tab->setProperty(kPageTabProperty, true);
        tab->setText(Latin1(captions[page]));
        tab->setCheckable(true);
        tab->setStyleSheet(kTabLook);
        tab->setObjectName(objectName() + "Tab" + QString::number(page));
        tab->setAccessibleName(tab->text());
        // The tabs stand outside the Tab chain: the keys change pages, and the focus goes to the page.
        tab->setFocusPolicy(Qt::NoFocus);
        tabs_.addButton(tab, static_cast<int>(page));
        pages_->addWidget(new QWidget);
    }
    // The rows stay where they are, the first next to the page, so that the
    // same place always opens the same page.
    const int count = static_cast<int>(captions.size());
    const int rows = (count + kTabsPerRow - 1) / kTabsPerRow;
    for (int page = 0; page < count; ++page)
        tabRows_->addWidget(tabs_.button(page), rows - 1 - page / kTabsPerRow, page % kTabsPerRow);
    ShowPage(0);
}

// A page the user chooses comes up with the focus on its first field.
void TabArea::UserChooses(int page) {
    if (!choose_)
        return;
    ShowPage(choose_(page));
    QWidget* shown = pages_->currentWidget();
    for (QWidget* next = shown->nextInFocusChain(); next && next != shown; next = next->nextInFocusChain())
        if (shown->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
            next->isVisibleTo(shown)) {
            next->setFocus(Qt::TabFocusReason);
            break;
        }
}

QWidget* TabArea::Page(int page) const {
    return pages_->widget(page);
}

QAbstractButton* TabArea::Tab(int page) const {
    return tabs_.button(page);
}

QList<QWidget*> TabArea::Tabs() const {
    QList<QWidget*> tabs;
    for (QAbstractButton* tab : tabs_.buttons())
        tabs.append(tab);
    return tabs;
}

void TabArea::ShowPage(int page) {
    const int count = static_cast<int>(tabs_.buttons().size());
    if (page < 0 || page >= count)
        return;
    if (QAbstractButton* tab = tabs_.button(page))
        tab->setChecked(true);
    pages_->setCurrentIndex(page);
}

} // namespace kestrix::platform::qt
