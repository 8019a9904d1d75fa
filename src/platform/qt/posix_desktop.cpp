#include "platform/qt/desktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace kestrix::platform::qt {

void OpenWithSystem(const QString& target) {
    QDesktopServices::openUrl(QUrl(target));
}

} // namespace kestrix::platform::qt
