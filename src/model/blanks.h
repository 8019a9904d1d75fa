#pragma once

namespace kestrix {

// The two characters that separate the values of a car line.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace kestrix
