#include "platform/qt/custom_widgets.h"

#include <QFont>
#include <QPalette>

namespace kestrix::platform::qt {

QColor ToQColor(const Color& color) {
    return QColor(color.red, color.green, color.blue);
}

// A colour of its own stands for the enabled text: disabled, the text is greyed as any other.
void ShowLooks(QWidget& widget, const Label& label) {
    QPalette palette = widget.palette();
    const QPalette standard = widget.parentWidget() ? widget.parentWidget()->palette() : QPalette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::WindowText,
                         label.ForeColor() && group != QPalette::Disabled
                             ? ToQColor(*label.ForeColor())
                             : standard.color(group, QPalette::WindowText));
    widget.setPalette(palette);
    QFont font = widget.font();
    font.setUnderline(label.Underline());
    font.setBold(label.Bold());
    widget.setFont(font);
}

} // namespace kestrix::platform::qt
