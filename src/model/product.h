#pragma once

#include <string_view>

// What the program is called, its version and where its makers are found.
namespace kestrix {

inline constexpr std::string_view kProgramTitle = "Kestrix 3";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr std::string_view kWebAddress = "https://kestrix.example.org/";
inline constexpr std::string_view kContactEmail = "kestrix@example.org";
inline constexpr std::string_view kLicenceNote = "Free software: GNU GPL 3 or later";

} // namespace kestrix
