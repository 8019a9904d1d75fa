#include "app/command_line.h"
#include "app/process.h"

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace {

#ifdef KESTRIX_EDITOR_NAME
// The editor is a program of its own beside this one, so that the command-line
// modes start without loading the window system's libraries.
int StartEditor(char** argv) {
    return kestrix::RunEditor(KESTRIX_EDITOR_NAME, argv);
}
#else
int StartEditor(char**) {
    std::fputs("kestrix: this build has no editor window (nor --mergetool); use --check, --resave, --diff, "
               "--textconv or --merge (see --help)\n",
               stderr);
    return 2;
}
#endif

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_NUMERIC, "");
    kestrix::UseBinaryOutput();
    const std::vector<std::string> args = kestrix::ProgramArguments(argc, argv);
    const kestrix::Output out(stdout, kestrix::IsTerminal(stdout));
    if (const auto status = kestrix::RunCommandLineMode(args, out, stderr))
        return *status;
    return StartEditor(argv);
}
