#pragma once

#include <string>
#include <vector>

namespace kestrix::platform {

// What a program left once it ended.
struct ProcessRun {
    std::string failure; // why the program could not be run; empty when it ran
    int status = -1;     // its exit status
    std::string output;  // what it wrote to standard output
    std::string errors;  // what it wrote to standard error
};

// Runs other programs for the windows (git, asked about a merge), so that no
// window calls the system itself. The front end implements it for its system.
class ProcessRunner {
  public:
    virtual ~ProcessRunner() = default;
    // Runs command[0], found as the system finds programs, with the rest as
    // its arguments, in folder, without a shell; waits until it has ended.
    // Its standard input is empty.
    virtual ProcessRun Run(const std::vector<std::string>& command, const std::string& folder) = 0;
};

} // namespace kestrix::platform
