#pragma once

#include "files/file_operations.h"
#include "handling_file/handling_format.h"
#include "handling_file/layout.h"

#include <memory>
#include <string>

namespace kestrix {

struct FileRead {
    std::string bytes;
    std::string error; // names the path and the reason; empty on success
};

// Reads a file, a FIFO or a device, opened once, up to kMaxFileBytes; a
// regular file that changes size while it is read is refused.
FileRead ReadFileBytes(const std::string& path, FileOperations& files = SystemFiles());
// The same without the limit, for a file the program keeps rather than reads: 0 or the errno value.
int ReadWholeFile(FileOperations& files, const std::string& path, std::string& bytes);

struct HandlingFileRead {
    ParsedHandlingFile file;
    std::string error;
    // The file's bytes, where it was read whole and kept (ReadKeptHandlingFile).
    std::unique_ptr<const std::string> text;
    // Per car, a line known to read as it, where one is kept: its own in
    // text, or the like's line of the same bytes.
    KnownLines lines;
};

// Reads and parses a handling file; a refusal names the path and the reason.
// like, when given, lends its rows to the cars equal to its own, and
// likeLines to those whose lines have the same bytes
// (HandlingTextReader::ShareRowsWith).
HandlingFileRead ReadHandlingFile(const std::string& path, FileOperations& files = SystemFiles(),
                                  const CarTable* like = nullptr, const KnownLines* likeLines = nullptr);
// Reads a handling file as ReadHandlingFile does, and its layout as it comes.
HandlingFileRead ReadHandlingFileKeepingLayout(const std::string& path, FileLayout& layout,
                                               FileOperations& files = SystemFiles(),
                                               const CarTable* like = nullptr,
                                               const KnownLines* likeLines = nullptr);
// Reads a handling file as ReadHandlingFile does, whole, and keeps its bytes
// and each car's line, for the files read beside it.
HandlingFileRead ReadKeptHandlingFile(const std::string& path, FileOperations& files = SystemFiles());
// Reads a handling file as ReadHandlingFile does, refusing the same files,
// but hands each car to cars as it comes instead of keeping a table: the file
// read holds the rest. A refusal may come after cars were handed over.
HandlingFileRead ReadHandlingCars(const std::string& path, CarLines& cars,
                                  FileOperations& files = SystemFiles());

} // namespace kestrix
