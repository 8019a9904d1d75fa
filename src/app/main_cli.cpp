#include "app/command_line.h"

#include <clocale>
#include <cstdio>

// The program without its window: only the modes that need no display.
int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto status = kestrix::RunCommandLineMode(args, stdout, stderr))
        return *status;
    std::fputs("kestrix: this build has no editor window; use --check or --resave (see --help)\n", stderr);
    return 2;
}
