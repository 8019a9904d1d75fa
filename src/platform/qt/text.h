#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace kestrix::platform::qt {

// Values are 8-bit text, one byte one character.
QString Latin1(std::string_view text);
std::string Latin1Bytes(const QString& text);

// Whether every character has an 8-bit form (a multi-line field's control
// pictures of a lone CR or LF count as theirs).
bool Writable(const QString& text, bool multiLine);

// Paths are bytes in the system's 8-bit encoding.
QString PathText(std::string_view path);
std::string PathBytes(const QString& path);
// A path as Qt gives it ("/" between the names), in the system's own form.
std::string NativePathBytes(const QString& path);

// Text that may hold both a path and values, such as a title or a message:
// shown as a path when it decodes as one, otherwise as values.
QString MixedText(std::string_view text);

// A multi-line field shows CR LF as a line break. A lone CR or LF is shown by
// its control picture, so that it comes back from an edit as it was.
QString MultiLineShown(std::string_view text);
std::string MultiLineStored(const QString& shown);

} // namespace kestrix::platform::qt
