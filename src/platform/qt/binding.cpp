#include "platform/qt/binding.h"

#include "platform/qt/text.h"

#include <QWidget>

namespace kestrix::platform::qt {

Binding::Binding(Control& control, QWidget& widget, Refresher refresh)
    : QObject(&widget), control_(&control), widget_(widget), refresh_(std::move(refresh)) {
    // The program name is the object name; assistive tools hear the caption or the label beside it.
    widget.setObjectName(QString::fromStdString(control.Name()));
    control.AttachView(this);
}

Binding::~Binding() {
    if (control_)
        control_->AttachView(nullptr);
}

void Binding::ControlGone() {
    control_ = nullptr;
}

void Binding::Refresh(Aspect aspect) {
    if (!control_)
        return;
    switch (aspect) {
    case Aspect::Enabled:
        widget_.setEnabled(control_->Enabled());
        break;
    case Aspect::Visible:
        // A widget not yet in a shown window stays hidden until the window shows.
        if (!control_->Visible())
            widget_.setVisible(false);
        else if (widget_.isHidden() && widget_.parentWidget())
            widget_.setVisible(true);
        break;
    case Aspect::CanFocus:
        widget_.setFocusPolicy(control_->CanFocus() ? Qt::StrongFocus : Qt::NoFocus);
        break;
    case Aspect::Focus:
        widget_.setFocus(Qt::OtherFocusReason);
        break;
    default:
        if (aspect == Aspect::Looks) {
            widget_.setToolTip(Latin1(control_->Tip()));
            widget_.setStatusTip(Latin1(control_->Tip()));
            widget_.setAccessibleName(Latin1(control_->SpokenName()));
            widget_.setAccessibleDescription(Latin1(control_->Tip()));
        }
        refresh_(aspect);
    }
}

void Binding::ShowAll() {
    if (!control_)
        return;
    widget_.setEnabled(control_->Enabled());
    if (!control_->Visible())
        widget_.setVisible(false);
    if (!control_->CanFocus())
        widget_.setFocusPolicy(Qt::NoFocus);
    for (const Aspect aspect : {Aspect::Looks, Aspect::Text, Aspect::Caption, Aspect::Entries, Aspect::Ticks,
                                Aspect::Value, Aspect::Page, Aspect::Rows, Aspect::Selection})
        Refresh(aspect);
}

} // namespace kestrix::platform::qt
