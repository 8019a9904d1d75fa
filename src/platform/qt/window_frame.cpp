#include "platform/qt/window_frame.h"

#include "platform/qt/menus.h"
#include "platform/qt/text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QVBoxLayout>

namespace kestrix::platform::qt {

WindowFrame::WindowFrame(Window& window) : window_(&window), body_(new QWidget(this)) {
    setObjectName(QString::fromStdString(window.Name()));
    setAccessibleName(objectName());
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

void WindowFrame::ShowStatusBar() {
    if (statusBar_)
        return;
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setSizeGripEnabled(false);
    layout()->addWidget(statusBar_);
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
        for (QWidget* widget : body_->findChildren<QWidget*>())
            if (widget->focusPolicy() != Qt::NoFocus)
                GiveMenuKeysPrecedence(*widget, keys);
    }
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
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
        (!screen || screen->availableGeometry().intersects(placed)))
        setGeometry(placed.intersected(screen ? screen->availableGeometry() : placed));
    else if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

QWidget* WindowFrame::WidgetOf(const Control& control) const {
    return body_->findChild<QWidget*>(QString::fromStdString(control.Name()));
}

void WindowFrame::ReportPlace() {
    if (window_ && window_->Resizable() && isVisible())
        window_->UserPlaces({geometry().x(), geometry().y(), geometry().width(), geometry().height()});
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

void WindowFrame::keyPressEvent(QKeyEvent* event) {
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
