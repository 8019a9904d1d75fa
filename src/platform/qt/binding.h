#pragma once

#include "platform/controls.h"

#include <QObject>

#include <functional>

class QWidget;

namespace kestrix::platform::qt {

// Keeps one widget and its control in step, in both directions: changes made
// from code reach the widget without raising the user's events again, and the
// user's actions reach the control through its User* operations. It lives as
// a child of the widget; whichever of control and widget goes first cuts the link.
class Binding : public QObject, public ControlView {
  public:
    using Refresher = std::function<void(Aspect)>;
    Binding(Control& control, QWidget& widget, Refresher refresh);
    ~Binding() override;
    void Refresh(Aspect aspect) override;
    void ControlGone() override;

    // The control, while it lives.
    template <typename Kind> Kind* Get() const { return static_cast<Kind*>(control_); }
    // Runs a user's action on the control, unless it is gone.
    template <typename Kind, typename Action> void Act(Action&& act) const {
        if (Kind* control = Get<Kind>())
            act(*control);
    }
    // Shows every aspect once, as the widget is made.
    void ShowAll();

  private:
    Control* control_;
    QWidget& widget_;
    Refresher refresh_;
};

} // namespace kestrix::platform::qt
