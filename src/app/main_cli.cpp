#include "app/command_line.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

#ifdef KESTRIX_EDITOR_NAME
// The editor is a program of its own beside this one, so that the command-line
// modes start without loading the window system's libraries.
int StartEditor(char** argv) {
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    if (length <= 0) {
        std::fprintf(stderr, "kestrix: cannot find the program's folder: %s\n", std::strerror(errno));
        return 2;
    }
    self.resize(static_cast<std::size_t>(length));
    const std::string editor = self.substr(0, self.rfind('/') + 1) + KESTRIX_EDITOR_NAME;
    ::execv(editor.c_str(), argv);
    std::fprintf(stderr, "kestrix: cannot start the editor \"%s\": %s\n", editor.c_str(),
                 std::strerror(errno));
    return 2;
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
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto status = kestrix::RunCommandLineMode(args, stdout, stderr))
        return *status;
    return StartEditor(argv);
}
