#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What the front end asks of the system it runs on: one implementation per
// kind of system, chosen by the build.
namespace kestrix {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Whether the stream is a terminal, which a person reads (ShownOnTerminal).
bool IsTerminal(std::FILE* stream);

// Standard output and error take the program's bytes as they are, so that
// every system prints the same (no line end is changed on the way).
void UseBinaryOutput();

// Runs the program named name from this program's folder with the arguments
// this program was given, unchanged, and gives the status it ended with;
// after a message on standard error, 2 when it cannot be started.
int RunEditor(const std::string& name, char** argv);

} // namespace kestrix
