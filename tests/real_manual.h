#pragma once

#include "files/file_read.h"
#include "windows/frmHelp.h"

#include <regex>
#include <string>
#include <vector>

namespace kestrix::test {

// The manual of the sources, as the help window finds it.
inline ManualFile RealManual() {
    const std::string path = std::string(KESTRIX_SOURCE_DIR) + "/docs/manual.md";
    return {path, ReadFileBytes(path).bytes, {}};
}

// Every link of the text to a heading ("#anchor"), in order.
inline std::vector<std::string> HeadingLinks(const std::string& text) {
    static const std::regex link(R"(\]\((#[^()\s]+)\))");
    std::vector<std::string> links;
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it)
        links.push_back((*it)[1]);
    return links;
}

} // namespace kestrix::test
