#include "app/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace kestrix {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

void UseBinaryOutput() {}

// The editor takes this process's place, so its status is this program's.
int RunEditor(const std::string& name, char** argv) {
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
    if (length <= 0) {
        std::fprintf(stderr, "kestrix: cannot find the program's folder: %s\n", std::strerror(errno));
        return 2;
    }
    self.resize(static_cast<std::size_t>(length));
    const std::string editor = self.substr(0, self.rfind('/') + 1) + name;
    ::execv(editor.c_str(), argv);
    std::fprintf(stderr, "kestrix: cannot start the editor \"%s\": %s\n", editor.c_str(),
                 std::strerror(errno));
    return 2;
}

} // namespace kestrix
