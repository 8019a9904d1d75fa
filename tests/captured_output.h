#pragma once

#include "app/command_line.h"

#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kestrix::test {

// What a run of the command line printed, and the status it ended with.
struct Printed {
    std::optional<int> status;
    std::string out;
    std::string err;
    friend bool operator==(const Printed&, const Printed&) = default;
    friend std::ostream& operator<<(std::ostream& stream, const Printed& printed) {
        return stream << "status " << printed.status.value_or(-1) << ", " << printed.out.size()
                      << " bytes out, err \"" << printed.err << "\"";
    }
};

// Runs run(out, err) with both streams caught in temporary files.
template <typename Run> Printed Capture(Run&& run) {
    const auto drain = [](std::FILE* stream) {
        std::rewind(stream);
        std::string text;
        char buffer[4096];
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, stream))
            text.append(buffer, got);
        std::fclose(stream);
        return text;
    };
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Printed printed;
    printed.status = run(out, err);
    printed.out = drain(out);
    printed.err = drain(err);
    return printed;
}

// What the program printed and the status it ended with for these arguments,
// its standard output a terminal or not; no status when it would open the editor.
inline Printed RunKestrix(const std::vector<std::string>& args, bool outIsTerminal = false) {
    return Capture([&](std::FILE* out, std::FILE* err) {
        return RunCommandLineMode(args, Output(out, outIsTerminal), err);
    });
}

} // namespace kestrix::test
