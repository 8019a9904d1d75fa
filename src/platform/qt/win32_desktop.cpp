#include "platform/qt/desktop.h"

#include <QApplication>
#include <QWidget>

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace kestrix::platform::qt {

// The shell's "open", as Explorer does it: the address as given, owned by the
// window that asked, shown normally.
void OpenWithSystem(const QString& target) {
    const QWidget* asking = QApplication::activeWindow();
    const HWND owner = asking ? reinterpret_cast<HWND>(asking->winId()) : nullptr;
    const std::wstring address = target.toStdWString();
    ::ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace kestrix::platform::qt
