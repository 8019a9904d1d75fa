#include "platform/qt/menus.h"

#include "platform/qt/text.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace kestrix::platform::qt {

namespace {

// Keeps an action in step with its entry; whichever goes first cuts the link.
class ActionBinding : public QObject, public ControlView {
  public:
    ActionBinding(QAction& action, MenuEntry& entry) : QObject(&action), action_(action), entry_(&entry) {
        action.setObjectName(QString::fromStdString(entry.Name()));
        entry.AttachView(this);
        Refresh(Aspect::Caption);
        QObject::connect(&action, &QAction::triggered, this, &ActionBinding::Choose);
    }
    ~ActionBinding() override {
        if (entry_)
            entry_->AttachView(nullptr);
    }
    void Refresh(Aspect) override {
        if (!entry_)
            return;
        if (!entry_->IsSeparator)
            action_.setText(Latin1(entry_->Caption()));
        action_.setEnabled(entry_->Enabled());
        action_.setVisible(entry_->Visible());
        action_.setStatusTip(Latin1(entry_->Tip()));
    }
    void ControlGone() override { entry_ = nullptr; }
    void Choose() {
        if (entry_)
            entry_->UserChooses();
    }

  private:
    QAction& action_;
    MenuEntry* entry_;
};

void AddEntry(QMenu& menu, MenuEntry& entry, QList<QKeySequence>* keys) {
    if (!entry.Entries.empty()) {
        menu.addMenu(CreateMenu(entry, &menu, keys));
        return;
    }
    QAction* action = entry.IsSeparator ? menu.addSeparator() : menu.addAction(QString());
    new ActionBinding(*action, entry);
    QList<QKeySequence> shortcuts;
    for (const Shortcut shortcut : {entry.Key, entry.OtherKey})
        if (shortcut != Shortcut::None)
            shortcuts.append(QKeySequence(Latin1(ShortcutText(shortcut))));
    action->setShortcuts(shortcuts);
    if (keys)
        keys->append(shortcuts);
}

class MenuKeysFirst : public QObject {
  public:
    MenuKeysFirst(QList<QKeySequence> keys, KeysGivenBack givenBack, QObject* parent)
        : QObject(parent), keys_(std::move(keys)), givenBack_(std::move(givenBack)) {}

    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence sequence(key->keyCombination());
        if (!keys_.contains(sequence))
            return false;
        if (givenBack_ && givenBack_(sequence)) {
            // Taking the override brings the key to the widget, which has its own use for it.
            if (type == QEvent::ShortcutOverride)
                event->accept();
            return false;
        }
        // Refusing the override lets the menu act; a key press that still
        // arrives belongs to a disabled entry and does nothing.
        if (type == QEvent::ShortcutOverride)
            event->ignore();
        else
            event->accept();
        return true;
    }

  private:
    QList<QKeySequence> keys_;
    KeysGivenBack givenBack_;
};

} // namespace

// A menu of the bar or a submenu; opening it is choosing its entry.
QMenu* CreateMenu(MenuEntry& entry, QWidget* parent, QList<QKeySequence>* keys) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromStdString(entry.Name()));
    menu->setAccessibleName(menu->objectName());
    auto* binding = new ActionBinding(*menu->menuAction(), entry);
    QObject::connect(menu, &QMenu::aboutToShow, binding, &ActionBinding::Choose);
    for (MenuEntry* inner : entry.Entries)
        AddEntry(*menu, *inner, keys);
    return menu;
}

QList<QKeySequence> BuildMenuBar(QMenuBar& bar, const std::vector<MenuEntry*>& menus) {
    QList<QKeySequence> keys;
    for (MenuEntry* entry : menus)
        bar.addMenu(CreateMenu(*entry, &bar, &keys));
    return keys;
}

void GiveMenuKeysPrecedence(QWidget& widget, const QList<QKeySequence>& keys, KeysGivenBack givenBack) {
    widget.installEventFilter(new MenuKeysFirst(keys, std::move(givenBack), &widget));
}

} // namespace kestrix::platform::qt
