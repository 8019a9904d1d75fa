#pragma once

#include "platform/processes.h"

namespace kestrix {

// Runs programs on Windows: found on the search path, started without a
// console window, and both outputs read as they come, so that neither pipe
// fills and stops the program.
class Win32ProcessRunner : public platform::ProcessRunner {
  public:
    platform::ProcessRun Run(const std::vector<std::string>& command, const std::string& folder) override;
};

} // namespace kestrix
