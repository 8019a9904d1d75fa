#include "platform/qt/window_frame.h"

#include "platform/qt/menus.h"
#include "platform/qt/text.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyleOption>
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

// Select all, copy, cut and paste mean what they mean in a text field, a list or a table.
bool KeepsEditingKeys(const QWidget& widget) {
    return qobject_cast<const QLineEdit*>(&widget) || qobject_cast<const QPlainTextEdit*>(&widget) ||
           qobject_cast<const QAbstractItemView*>(&widget);
}

bool IsEditingKey(const QKeySequence& key) {
    return key == QKeySequence(Qt::CTRL | Qt::Key_A) || key == QKeySequence(Qt::CTRL | Qt::Key_C) ||
           key == QKeySequence(Qt::CTRL | Qt::Key_X) || key == QKeySequence(Qt::CTRL | Qt::Key_V);
}

// The status line's message stands in its first part, elided where it must be, and never runs into the
// parts at its right.
class StatusLine : public QStatusBar {
  public:
    explicit StatusLine(QWidget* parent) : QStatusBar(parent) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOption option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    }
};

class ElidedText : public QLabel {
  public:
    explicit ElidedText(QWidget* parent) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        setMinimumWidth(0);
    }
    void SetWhole(const QString& text) {
        whole_ = text;
        Elide();
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Elide();
    }

  private:
    void Elide() {
        const QString shown = fontMetrics().elidedText(whole_, Qt::ElideRight, contentsRect().width());
        setText(shown);
        setToolTip(shown == whole_ ? QString() : whole_);
    }
    QString whole_;
};

// Each window opening or brought to the front is used later than any before.
long long NextUse() {
    static long long uses = 0;
    return ++uses;
}

Placement PlaceOf(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QRect RectOf(const Placement& place) {
    return {place.left, place.top, place.width, place.height};
}

} // namespace

WindowFrame::WindowFrame(Window& window) : window_(&window), body_(new QWidget(this)), lastUse_(NextUse()) {
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
    statusBar_ = new StatusLine(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setAccessibleName(QStringLiteral("Status"));
    statusBar_->setSizeGripEnabled(false);
    layout()->addWidget(statusBar_);
    auto* message = new ElidedText(statusBar_);
    message->setObjectName(QStringLiteral("StatusMessage"));
    statusBar_->addPermanentWidget(message, 1);
    connect(statusBar_, &QStatusBar::messageChanged, message, &ElidedText::SetWhole);
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
    if (event->type() == QEvent::WindowActivate)
        lastUse_ = NextUse();
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
        for (QWidget* widget : body_->findChildren<QWidget*>())
            if (widget->focusPolicy() != Qt::NoFocus)
                GiveMenuKeysPrecedence(*widget, keys,
                                       KeepsEditingKeys(*widget) ? IsEditingKey : KeysGivenBack());
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
    if (place && room.isValid()) {
        // Where it was left, moved wholly onto the screen (which may be smaller than the one it was left
        // on). The place is the frame's, the size the window's own, as they were kept; a fixed window
        // keeps its size.
        const QSize border = FrameBorder();
        const QSize size = window_->Resizable() ? QSize(place->width, place->height) : this->size();
        const QRect fit =
            RectOf(OnScreen(PlaceOf(room), PlaceOf(QRect(QPoint(place->left, place->top), size + border))));
        if (window_->Resizable())
            resize(fit.size() - border);
        move(fit.topLeft());
        if (place->maximised)
            setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        MoveToStart();
    }
}

QSize WindowFrame::FrameBorder() const {
    for (const QWidget* shown : QApplication::topLevelWidgets())
        if (shown != this && shown->isVisible() && dynamic_cast<const WindowFrame*>(shown))
            return shown->frameGeometry().size() - shown->size();
    return {0, 0};
}

void WindowFrame::Centre() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        const QSize framed = size() + FrameBorder();
        move(RectOf(OnScreen(PlaceOf(room),
                             PlaceOf(QRect(room.center() - QRect(QPoint(), framed).center(), framed))))
                 .topLeft());
    }
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

void WindowFrame::OpenClearOf(const std::vector<const WindowFrame*>& shown) {
    const auto latest = std::max_element(
        shown.begin(), shown.end(), [](const auto* a, const auto* b) { return a->LastUse() < b->LastUse(); });
    const QScreen* screen = latest == shown.end() ? QGuiApplication::primaryScreen() : (*latest)->screen();
    if (!screen)
        return;
    // The window manager's frame is not yet known; the other windows show how much it adds.
    const QSize border = FrameBorder();
    layout()->activate();
    const QSize least =
        (window_->Resizable() ? minimumSizeHint().expandedTo(minimumSize()) : size()) + border;
    std::vector<OpenWindow> open;
    for (const WindowFrame* other : shown)
        open.push_back({PlaceOf(other->frameGeometry()), other->LastUse()});
    const Placement place =
        PlaceNewWindow(PlaceOf(screen->availableGeometry()), open, PlaceOf(QRect(QPoint(), size() + border)),
                       PlaceOf(QRect(QPoint(), least)));
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
