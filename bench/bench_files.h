#pragma once

#include <functional>
#include <string>

namespace kestrix::bench {

// A file of the benchmarks in the temporary folder, written on first use and
// removed when the program ends.
const std::string& TemporaryFile(const std::string& name, const std::function<std::string()>& text);

// The largest file there is: 32767 plausible cars, every hundredth with one error.
const std::string& LargeHandlingFile();

// The resident memory of the process, in kB.
long ResidentKilobytes();

} // namespace kestrix::bench
