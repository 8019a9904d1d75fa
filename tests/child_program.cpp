// Run by the test of the runner of other programs: writes its folder to
// standard error and each argument in brackets to standard output, then more
// than a pipe holds to both, to one, the other and back again, so that a
// runner that reads either output to its end first waits for ever. Ends with
// the count of its arguments as its status.
#include "app/process.h"

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    kestrix::UseBinaryOutput();
    const std::vector<std::string> args = kestrix::ProgramArguments(argc, argv);
    const std::u8string folder = std::filesystem::current_path().u8string();
    std::fprintf(stderr, "%s\n", reinterpret_cast<const char*>(folder.c_str()));
    for (const std::string& arg : args)
        std::printf("[%s]\n", arg.c_str());
    const std::string out(150000, 'o');
    const std::string err(300000, 'e');
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return static_cast<int>(args.size());
}
