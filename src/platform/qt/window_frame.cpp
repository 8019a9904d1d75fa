#include "platform/qt/window_frame.h"

#include "platform/qt/menus.h"
#include "platform/qt/text.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace kestrix::platform::qt {

namespace {

// Assistive tools hear a window by its caption, as a frame or, shown blocking its opener, as a dialog.
class FrameAccessible : public QAccessibleWidget {
  public:
    explicit FrameAccessible(QWidget* frame)
        : QAccessibleWidget(frame,
                            frame->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window) {}
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? widget()->windowTitle() : QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* Frames(const QString&, QObject* object) {
    if (auto* frame = dynamic_cast<WindowFrame*>(object))
        return new FrameAccessible(frame);
    return nullptr;
}

bool IsTextField(const QWidget& widget) {
    return qobject_cast<const QLineEdit*>(&widget) || qobject_cast<const QPlainTextEdit*>(&widget);
}

} // namespace

WindowFrame::WindowFrame(Window& window) : window_(&window), body_(new QWidget(this)) {
    static const bool accessible = (QAccessible::installFactory(Frames), true);
    (void)accessible;
    setObjectName(QString::fromStdString(window.Name()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(body_);
    window.AttachView(this);
    Refresh(Aspect::Caption);
}

WindowFrame::~WindowFrame() {
    if (window_)
        window_->AttachView(nullptr);
    window_ = nullptr;
    owned_.reset();
}

void WindowFrame::ShowStatusBar(const Control* permanent) {
    if (statusBar_)
        return;
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setSizeGripEnabled(false);
    layout()->addWidget(statusBar_);
    if (QWidget* widget = permanent ? WidgetOf(*permanent) : nullptr)
        statusBar_->addPermanentWidget(widget);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            ShowStatus(now->statusTip());
    });
}

// The line holds the first line of a tip.
void WindowFrame::ShowStatus(const QString& tip) {
    statusBar_->showMessage(tip.section(QLatin1Char('\n'), 0, 0));
}

bool WindowFrame::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && window_)
        window_->UserActivates();
    if (event->type() == QEvent::StatusTip && statusBar_) {
        QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        // The pointer leaving a control gives the line back to the focused one.
        if (tip.isEmpty() && focusWidget())
            tip = focusWidget()->statusTip();
        ShowStatus(tip);
        return true;
    }
    return QWidget::event(event);
}

void WindowFrame::Finish() {
    if (!window_->MenuBar.empty()) {
        auto* bar = new QMenuBar(this);
        bar->setObjectName(QStringLiteral("MenuBar"));
        layout()->setMenuBar(bar);
        const QList<QKeySequence> keys = BuildMenuBar(*bar, window_->MenuBar);
        const KeysGivenBack editingKeys = [this](const QKeySequence& key) {
            return window_ && window_->TextFieldsKeepEditingKeys &&
                   (key == QKeySequence(Qt::CTRL | Qt::Key_A) || key == QKeySequence(Qt::CTRL | Qt::Key_C));
        };
        for (QWidget* widget : body_->findChildren<QWidget*>())
            if (widget->focusPolicy() != Qt::NoFocus)
                GiveMenuKeysPrecedence(*widget, keys, IsTextField(*widget) ? editingKeys : KeysGivenBack());
    }
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (window_->MinMaxBoxes())
        flags |= Qt::WindowMinMaxButtonsHint;
    setWindowFlags(flags | (windowFlags() & Qt::Tool));
    QWidget* previous = nullptr;
    for (const Control* control : window_->KeyboardOrder) {
        QWidget* widget = WidgetOf(*control);
        if (widget && previous)
            setTabOrder(previous, widget);
        previous = widget ? widget : previous;
    }
    // The window opens with the focus where its form put it.
    if (const Control* focused = window_->Focus.Focused())
        if (QWidget* widget = WidgetOf(*focused))
            widget->setFocus(Qt::OtherFocusReason);
    if (window_->Resizable())
        resize(initialSize_.isValid() ? initialSize_ : sizeHint());
    else
        setFixedSize(sizeHint());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const std::optional<Placement>& place = window_->Place();
    const QRect placed = place ? QRect(place->left, place->top, place->width, place->height) : QRect();
    // A remembered place is used only while it still lies on the screen.
    if (window_->Resizable() && place && placed.width() > 0 && placed.height() > 0 &&
        (!screen || screen->availableGeometry().intersects(placed))) {
        // The place is the frame's, the size the window's own, as they were kept.
        const QRect fit = placed.intersected(screen ? screen->availableGeometry() : placed);
        resize(fit.size());
        move(fit.topLeft());
        if (place->maximised)
            setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        Centre();
    }
}

void WindowFrame::Centre() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void WindowFrame::BelongTo(QWidget* opener) {
    if (!opener)
        return;
    // A dialog of its opener: kept above it, out of the task bar, without minimise and maximise boxes.
    setParent(opener, (windowFlags() & ~(Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint)) | Qt::Dialog);
    Centre();
}

bool WindowFrame::OpenBeside(const QWidget& opener) {
    const QScreen* screen = opener.screen();
    if (!screen)
        return false;
    const QRect room = screen->availableGeometry();
    const QRect beside = opener.frameGeometry();
    const int border = 16; // the window manager's frame, not yet known
    const int right = room.right() - beside.right() - border;
    const int left = beside.left() - room.left() - border;
    // Narrower than it would open, down to its least width, rather than over its opener.
    layout()->activate();
    const int least = std::max(minimumSizeHint().width(), minimumWidth());
    if (std::max(right, left) < least)
        return false;
    const int width = std::min(this->width(), std::max(right, left));
    const int top = std::clamp(beside.top(), room.top(), std::max(room.top(), room.bottom() - height()));
    resize(width, height());
    move(right >= left ? beside.right() + 1 : beside.left() - width - border, top);
    return true;
}

QWidget* WindowFrame::WidgetOf(const Control& control) const {
    return body_->findChild<QWidget*>(QString::fromStdString(control.Name()));
}

void WindowFrame::ReportPlace() {
    if (!window_ || !window_->Resizable() || !isVisible())
        return;
    // A maximised window keeps the place it comes back to.
    const QRect normal = isMaximized() ? normalGeometry() : QRect(pos(), size());
    window_->UserPlaces({normal.x(), normal.y(), normal.width(), normal.height(), isMaximized()});
}

void WindowFrame::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ReportPlace();
}

void WindowFrame::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    ReportPlace();
}

void WindowFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ReportPlace();
}

void WindowFrame::Refresh(Aspect aspect) {
    if (aspect == Aspect::Caption && window_)
        setWindowTitle(MixedText(window_->Caption()));
    else if (aspect == Aspect::Text && window_ && statusBar_)
        statusBar_->showMessage(Latin1(window_->Note()));
}

void WindowFrame::Raise() {
    show();
    raise();
    activateWindow();
}

void WindowFrame::WindowGone() {
    window_ = nullptr;
    hide();
    if (testAttribute(Qt::WA_DeleteOnClose))
        deleteLater();
}

void WindowFrame::closeEvent(QCloseEvent* event) {
    ReportPlace();
    if (window_ && !window_->TryClose()) {
        event->ignore();
        return;
    }
    event->accept();
    if (Closed)
        Closed();
}

// A key reaches the frame when the focused control had no use for it: the
// window's function keys, then the keys of the menus of the window it stands beside.
void WindowFrame::keyPressEvent(QKeyEvent* event) {
    if (window_ && event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F12 &&
        event->modifiers() == Qt::NoModifier && window_->UserPressesFunctionKey(event->key() - Qt::Key_F1 + 1))
        return;
    const QKeySequence pressed(QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    for (const Shortcut key : window_ ? window_->OpenersKeys() : std::vector<Shortcut>())
        if (QKeySequence(Latin1(ShortcutText(key))) == pressed) {
            window_->UserPressesKey(key);
            return;
        }
    if (!window_ || event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a button presses that button; elsewhere the default one.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            window_->UserPressesEnter();
        break;
    case Qt::Key_Escape:
        window_->UserPressesEscape();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace kestrix::platform::qt
