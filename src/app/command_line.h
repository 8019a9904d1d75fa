#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

// Runs a mode that needs no window (--check, --resave, --help, --version).
// Returns the exit status, or nothing when the arguments ask for the editor.
std::optional<int> RunCommandLineMode(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

} // namespace kestrix
