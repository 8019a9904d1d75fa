#include "platform/qt/window_frame.h"

#include "platform/qt/menus.h"
#include "platform/qt/text.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QUrl>
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
    statusBar_->setAccessibleName(QStringLiteral("Status"));
    statusBar_->setSizeGripEnabled(false);
    layout()->addWidget(statusBar_);
    if (QWidget* widget = permanent ? WidgetOf(*permanent) : nullptr)
        statusBar_->addPermanentWidget(widget);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            ShowStatus(now->statusTip());
    });
}

// The line holds the first line of a tip, or the window's note until a tip replaces it.
void WindowFrame::ShowStatus(const QString& tip) {
    if (tip.isEmpty() && noteShown_)
        return;
    noteShown_ = false;
    statusBar_->showMessage(tip.section(QLatin1Char('\n'), 0, 0));
}

namespace {

// The local files a drag carries; none when it carries anything else too.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths.push_back(NativePathBytes(url.toLocalFile()));
    }
    return paths;
}

} // namespace

bool WindowFrame::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && window_)
        window_->UserActivates();
    if ((event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) && window_ &&
        window_->FilesDropped) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!DroppedFiles(drag->mimeData()).empty())
            drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop && window_) {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::vector<std::string> paths = DroppedFiles(drop->mimeData());
        drop->acceptProposedAction();
        // After the drop has ended, so that a question the window asks does not hold the dragging program.
        QTimer::singleShot(0, this, [this, paths] {
            if (window_)
                window_->UserDropsFiles(paths);
        });
        return true;
    }
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
    // A file dropped anywhere on a window that takes files is the window's, not a text field's.
    setAcceptDrops(bool(window_->FilesDropped));
    if (window_->FilesDropped)
        for (QWidget* widget : findChildren<QWidget*>())
            widget->setAcceptDrops(false);
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
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect();
    if (window_->Resizable())
        resize((initialSize_.isValid() ? initialSize_ : sizeHint())
                   .boundedTo(room.isValid() ? room.size() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)));
    else
        setFixedSize(sizeHint());
    const std::optional<Placement>& place = window_->Place();
    const QRect placed = place ? QRect(place->left, place->top, place->width, place->height) : QRect();
    // A remembered place is used only while it still lies on the screen.
    if (place && placed.isValid() && (!room.isValid() || room.intersects(placed))) {
        // The place is the frame's, the size the window's own, as they were kept; a fixed window keeps its
        // size.
        const QRect fit = placed.intersected(room.isValid() ? room : placed);
        if (window_->Resizable())
            resize(fit.size());
        move(fit.topLeft());
        if (place->maximised)
            setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        MoveToStart();
    }
}

void WindowFrame::Centre() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void WindowFrame::MoveToStart() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        move(room.left(), room.top() + std::max(0, (room.height() - height()) / 2));
    }
}

void WindowFrame::BelongTo(QWidget* opener) {
    if (!opener)
        return;
    // A dialog of its opener: kept above it, out of the task bar, without minimise and maximise boxes.
    setParent(opener, (windowFlags() & ~(Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint)) | Qt::Dialog);
    Centre();
}

namespace {

Placement PlaceOf(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

} // namespace

void WindowFrame::OpenBeside(const QWidget& opener, const QList<QWidget*>& others) {
    const QScreen* screen = opener.screen();
    if (!screen)
        return;
    // The window manager's frame is not yet known; the opener's shows how much it adds.
    const QSize border = opener.frameGeometry().size() - opener.size();
    layout()->activate();
    const QSize least =
        (window_->Resizable() ? minimumSizeHint().expandedTo(minimumSize()) : size()) + border;
    std::vector<Placement> around;
    for (const QWidget* other : others)
        around.push_back(PlaceOf(other->frameGeometry()));
    const Placement place =
        PlaceBeside(PlaceOf(screen->availableGeometry()), PlaceOf(opener.frameGeometry()), around,
                    PlaceOf(QRect(QPoint(), size() + border)), PlaceOf(QRect(QPoint(), least)));
    if (window_->Resizable())
        resize(QSize(place.width, place.height) - border);
    move(place.left, place.top);
}

QWidget* WindowFrame::WidgetOf(const Control& control) const {
    return body_->findChild<QWidget*>(QString::fromStdString(control.Name()));
}

void WindowFrame::ReportPlace() {
    if (!window_ || !isVisible())
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
    else if (aspect == Aspect::Text && window_ && statusBar_) {
        statusBar_->showMessage(Latin1(window_->Note()));
        noteShown_ = !window_->Note().empty();
    }
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
// window's function keys and own keys, then the keys of the menus of the window it stands beside.
void WindowFrame::keyPressEvent(QKeyEvent* event) {
    if (window_ && event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F12 &&
        event->modifiers() == Qt::NoModifier &&
        window_->UserPressesFunctionKey(event->key() - Qt::Key_F1 + 1))
        return;
    const QKeySequence pressed(
        QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    for (const Shortcut key : window_ ? window_->TakenKeys() : std::vector<Shortcut>())
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
