#include "platform/qt/menus.h"

#include "platform/qt/text.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace kestrix::platform::qt {

namespace {

void Follow(QAction& action, MenuEntry& entry) {
    action.setObjectName(QString::fromStdString(entry.Name()));
    const auto show = [&action, &entry] {
        if (!entry.IsSeparator)
            action.setText(Latin1(entry.Caption()));
        action.setEnabled(entry.Enabled());
        action.setVisible(entry.Visible());
    };
    entry.Changed = [show](Aspect) { show(); };
    QObject::connect(&action, &QObject::destroyed, [&entry] { entry.Changed = nullptr; });
    show();
}

QMenu* CreateMenu(MenuEntry& entry, QWidget* parent, QList<QKeySequence>& keys);

void AddEntry(QMenu& menu, MenuEntry& entry, QList<QKeySequence>& keys) {
    if (!entry.Entries.empty()) {
        menu.addMenu(CreateMenu(entry, &menu, keys));
        return;
    }
    QAction* action = entry.IsSeparator ? menu.addSeparator() : menu.addAction(QString());
    Follow(*action, entry);
    if (entry.Key != Shortcut::None) {
        const QKeySequence key(Latin1(ShortcutText(entry.Key)));
        action->setShortcut(key);
        keys.append(key);
    }
    QObject::connect(action, &QAction::triggered, action, [&entry] { entry.UserChooses(); });
}

// A menu of the bar or a submenu; opening it is choosing its entry.
QMenu* CreateMenu(MenuEntry& entry, QWidget* parent, QList<QKeySequence>& keys) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromStdString(entry.Name()));
    menu->setAccessibleName(menu->objectName());
    Follow(*menu->menuAction(), entry);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [&entry] { entry.UserChooses(); });
    for (MenuEntry* inner : entry.Entries)
        AddEntry(*menu, *inner, keys);
    return menu;
}

class MenuKeysFirst : public QObject {
  public:
    MenuKeysFirst(QList<QKeySequence> keys, QObject* parent) : QObject(parent), keys_(std::move(keys)) {}

    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!keys_.contains(QKeySequence(key->keyCombination())))
            return false;
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
};

} // namespace

QList<QKeySequence> BuildMenuBar(QMenuBar& bar, const std::vector<MenuEntry*>& menus) {
    QList<QKeySequence> keys;
    for (MenuEntry* entry : menus)
        bar.addMenu(CreateMenu(*entry, &bar, keys));
    return keys;
}

void GiveMenuKeysPrecedence(QWidget& widget, const QList<QKeySequence>& keys) {
    widget.installEventFilter(new MenuKeysFirst(keys, &widget));
}

} // namespace kestrix::platform::qt
