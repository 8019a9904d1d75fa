#pragma once

#include "validation/error_check.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// Text as a terminal is shown it: every byte below 0x20 but TAB and line
// feed, and 0x7F, as \xNN, so that no byte of a car name, value or comment
// moves the cursor, changes colours or retitles the window. TABs and line
// feeds are the messages' own: a value holds neither.
std::string ShownOnTerminal(std::string_view text);

// Standard output, and whether it shows its text ShownOnTerminal: when it is
// a terminal. Output to a pipe or a file (what version control reads) keeps
// every byte. Standard error always shows its text so.
struct Output {
    explicit Output(std::FILE* stream, bool terminal = false) : stream(stream), terminal(terminal) {}
    std::FILE* stream;
    bool terminal;
};

// "kestrix: ", the message and a line end on standard error; the exit
// status of a failure.
int CommandFailed(std::FILE* err, std::string_view message);

// Runs a mode that needs no window (--check, --resave, --diff, --textconv,
// --merge, --fix-range, --help, --version).
// Returns the exit status, or nothing when the arguments ask for the editor
// (a file to open, or --mergetool).
// "--" ends the options: every argument after it is a file.
std::optional<int> RunCommandLineMode(const std::vector<std::string>& args, Output out, std::FILE* err);

// --check of one file with the given number separators: one line per error
// to out, a refusal to err. Strict prints the strict findings of the whole
// file after the standard rows, so the standard output is always a prefix.
// Returns the exit status.
int CheckHandlingFile(const std::string& path, const NumberFormat& format, Output out, std::FILE* err,
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
