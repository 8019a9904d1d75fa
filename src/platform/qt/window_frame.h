#pragma once

#include "platform/window.h"

#include <QList>
#include <QWidget>

class QStatusBar;

#include <functional>
#include <memory>
#include <vector>

namespace kestrix::platform::qt {

// The one frame of every window: it follows the caption, asks the window
// before it closes, gives Enter and Escape to the default and cancel buttons,
// carries the menu bar, follows the window's keyboard order and first focus,
// and opens fixed or resizable, centred on the screen.
// A window's view only lays out the frame's body.
class WindowFrame : public QWidget, public WindowView {
  public:
    explicit WindowFrame(Window& window);
    ~WindowFrame() override;
    Window* Form() const { return window_; }
    // Keeps the window alive while the frame shows it, for a window shown beside its opener.
    void Own(std::shared_ptr<Window> window) { owned_ = std::move(window); }
    QWidget& Body() { return *body_; }
    // The size a resizable window opens with.
    void SetInitialSize(QSize size) { initialSize_ = size; }
    // A status line at the foot: the status tip of what the pointer is over,
    // or else of what has the focus; and, at its right end, a control that stays (laid out already).
    void ShowStatusBar(const Control* permanent = nullptr);
    // After the view has laid out the body: menus, the menu keys' precedence, size and place.
    void Finish();
    // Makes the window a dialog of the window that opens it, centred on the screen.
    void BelongTo(QWidget* opener);
    // Places the window on the screen clear of the shown windows, next to the one used last; where no
    // room is left, smaller, or over the one used least recently.
    void OpenClearOf(const std::vector<const WindowFrame*>& shown);
    // When the user last brought the window to the front (or it opened): larger is later.
    long long LastUse() const { return lastUse_; }
    // Called once the window has closed.
    std::function<void()> Closed;

    void Refresh(Aspect aspect) override;
    void Close() override { close(); }
    void Raise() override;
    void WindowGone() override;

  protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowStatus(const QString& tip);
    void Centre();
    // A window of its own opens at the left of the screen, so that the windows beside it have room.
    void MoveToStart();
    QWidget* WidgetOf(const Control& control) const;
    // Tells a resizable window where it stands now.
    void ReportPlace();
    // What the window manager's frame adds to a window, as another shown window shows it.
    QSize FrameBorder() const;
    Window* window_;
    std::shared_ptr<Window> owned_;
    QWidget* body_;
    QSize initialSize_;
    QStatusBar* statusBar_ = nullptr;
    // The window's note is on the line: a control without a tip leaves it there.
    bool noteShown_ = false;
    long long lastUse_;
};

} // namespace kestrix::platform::qt
