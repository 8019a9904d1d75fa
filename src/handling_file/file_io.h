#pragma once

#include "handling_file/handling_format.h"

#include <string>
#include <string_view>

namespace kestrix {

struct FileRead {
    std::string bytes;
    std::string error; // names the path and the reason; empty on success
};

FileRead ReadFileBytes(const std::string& path);

// Writes bytes to a temporary file beside path, flushes it to disk and renames
// it over path, so a failed save leaves the old file as it was. Returns an
// error that names the path and the reason, or empty text.
std::string ReplaceFileContents(const std::string& path, std::string_view bytes);

struct HandlingFileRead {
    ParsedHandlingFile file;
    std::string error;
};

// Reads and parses a handling file; a refusal names the path and the reason.
HandlingFileRead ReadHandlingFile(const std::string& path);

} // namespace kestrix
