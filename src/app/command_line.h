#pragma once

#include "validation/error_check.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace kestrix {

// Runs a mode that needs no window (--check, --resave, --diff, --textconv,
// --merge, --help, --version).
// Returns the exit status, or nothing when the arguments ask for the editor
// (a file to open, or --mergetool).
// "--" ends the options: every argument after it is a file.
std::optional<int> RunCommandLineMode(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// --check of one file with the given number separators: one line per error
// to out, a refusal to err. Strict prints the strict findings of the whole
// file after the standard rows, so the standard output is always a prefix.
// Returns the exit status.
int CheckHandlingFile(const std::string& path, const NumberFormat& format, std::FILE* out, std::FILE* err,
                      CheckRules rules = CheckRules::Standard);

// What the editor is asked to open: at most one file, after "--" when its
// name begins with "-"; or, with --mergetool, the four files of a merge to
// resolve. valid is false for any other arguments.
struct EditorArguments {
    bool valid = true;
    std::string file; // empty: none
    // BASE, LOCAL, REMOTE and MERGED, as git mergetool names them; empty: no merge.
    std::vector<std::string> mergeTool;
};
EditorArguments ParseEditorArguments(const std::vector<std::string>& args);

} // namespace kestrix
