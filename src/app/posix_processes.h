#pragma once

#include "platform/processes.h"

namespace kestrix {

// Runs programs on a POSIX system: fork, exec on the search path, and both
// outputs read as they come, so that neither pipe fills and stops the program.
class PosixProcessRunner : public platform::ProcessRunner {
  public:
    platform::ProcessRun Run(const std::vector<std::string>& command, const std::string& folder) override;
};

} // namespace kestrix
