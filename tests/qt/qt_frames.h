#pragma once

#include "platform/qt/qt_services.h"
#include "views/qt/views.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>

namespace kestrix::test {

// The real frame and layout of a window whose services are scripted.
inline std::unique_ptr<platform::qt::WindowFrame> Frame(platform::Window& window) {
    static platform::qt::QtServices layouts("", "", "");
    static const bool registered = (views::RegisterViews(layouts), true);
    (void)registered;
    return layouts.CreateFrame(window);
}

// The widget of a control, found by the control's name.
template <typename W> W& Widget(const QWidget& frame, const char* name) {
    W* widget = frame.findChild<W*>(name);
    if (!widget)
        throw std::runtime_error(std::string("no widget ") + name);
    return *widget;
}

// Shows a frame and waits until it is the active window, as a user's would be.
inline void ShowActive(QWidget& frame) {
    frame.show();
    frame.activateWindow();
    if (!QTest::qWaitForWindowActive(&frame))
        throw std::runtime_error("the window did not become active");
}

// The real frame of a window, shown and active.
inline std::unique_ptr<platform::qt::WindowFrame> ShownFrame(platform::Window& window) {
    auto frame = Frame(window);
    ShowActive(*frame);
    return frame;
}

// Text typed as a keyboard layout sends it, any character at all, one key at a time.
inline void TypeText(QWidget& widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &press);
    }
}

} // namespace kestrix::test
