// Stands in for the editor when tools/build-windows runs the kestrix program
// built with it: prints each argument it was given on a line of its own, in
// brackets, and ends with a status of 40 and their count, which kestrix must
// give back as its own.
#include "app/process.h"

#include <cstdio>

int main(int argc, char** argv) {
    kestrix::UseBinaryOutput();
    const std::vector<std::string> args = kestrix::ProgramArguments(argc, argv);
    for (const std::string& arg : args)
        std::printf("[%s]\n", arg.c_str());
    return 40 + static_cast<int>(args.size());
}
