#pragma once

#include <QString>

namespace kestrix::platform::qt {

// Hands a web or mail address to the system's handler for it, which opens it
// as a double click would; what becomes of it is not known.
void OpenWithSystem(const QString& target);

} // namespace kestrix::platform::qt
