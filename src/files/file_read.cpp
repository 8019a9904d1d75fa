#include "files/file_read.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>

namespace kestrix {

namespace {

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max() / 2;

// What a read gave: an errno value, with a reason of our own where errno has
// none that fits.
struct ReadOutcome {
    int error = 0;
    bool opened = true;
    std::string reason;
};

const ReadOutcome kChangedSize{EAGAIN, true, "the file changed size while it was read"};

ReadOutcome TooLarge() {
    return {EFBIG, true, TooLargeReason()};
}

// Opens path once for reading (a FIFO cannot be opened twice); what the file
// was then goes to before. A folder, or a regular file over the limit, is
// refused before any read.
std::optional<ReadOutcome> OpenToRead(FileOperations& files, const std::string& path, OpenFile& file,
                                      FileStatus& before, std::size_t limit) {
    if (const int error = files.OpenForReading(path, file.fd())) {
        FileStatus info;
        if (error == ENXIO && files.TargetStatus(path, info) == 0 && info.kind == FileKind::Fifo)
            return ReadOutcome{error, false, "no program is writing to the FIFO"};
        return ReadOutcome{error, false, {}};
    }
    if (const int error = files.Status(file.fd(), before))
        return ReadOutcome{error, true, {}};
    if (before.kind == FileKind::Folder)
        return ReadOutcome{EISDIR, false, {}};
    if (before.kind == FileKind::Regular && before.size > limit)
        return TooLarge();
    return std::nullopt;
}

// A regular file whose size changed while it was read is refused, as its
// contents are neither the old nor the new ones.
bool ChangedSize(FileOperations& files, OpenFile& file, const FileStatus& before, std::size_t total) {
    FileStatus after;
    return before.kind == FileKind::Regular &&
           (total != before.size || files.Status(file.fd(), after) != 0 || after.size != before.size);
}

// Reads path from a single open, taking at most limit bytes.
ReadOutcome ReadWhole(FileOperations& files, const std::string& path, std::string& bytes, std::size_t limit) {
    bytes.clear();
    OpenFile file(files);
    FileStatus before;
    if (const std::optional<ReadOutcome> refused = OpenToRead(files, path, file, before, limit))
        return *refused;
    // A regular file in one read of its size, and one byte more to see it end.
    const std::size_t size = before.kind == FileKind::Regular ? static_cast<std::size_t>(before.size) + 1
                                                              : std::min<std::size_t>(limit + 1, 1 << 16);
    bytes.resize(size);
    std::size_t total = 0;
    while (true) {
        if (total == bytes.size()) {
            if (total > limit)
                break;
            bytes.resize(std::min(bytes.size() * 2, limit + 1));
        }
        std::size_t got = 0;
        const int error = files.Read(file.fd(), bytes.data() + total, bytes.size() - total, got);
        if (error == EINTR)
            continue;
        if (error != 0) {
            bytes.clear();
            return {error, true, {}};
        }
        if (got == 0)
            break;
        total += got;
    }
    bytes.resize(total);
    const std::optional<ReadOutcome> refused = total > limit ? std::optional(TooLarge())
                                               : ChangedSize(files, file, before, total)
                                                   ? std::optional(kChangedSize)
                                                   : std::nullopt;
    if (refused)
        bytes.clear();
    return refused.value_or(ReadOutcome{});
}

std::string ReadFailure(const std::string& path, const ReadOutcome& outcome) {
    return FileFailure(outcome.opened ? "Cannot read" : "Cannot open", path,
                       outcome.reason.empty() ? SystemReason(outcome.error) : outcome.reason);
}

// Where the text read so far can be handed to the reader: after its last
// line feed whose next byte is known and is not a carriage return, which
// could belong to the same line end. 0: nowhere yet.
std::size_t WholeLinesEnd(std::string_view text) {
    std::size_t feed = text.size() < 2 ? std::string_view::npos : text.rfind('\n', text.size() - 2);
    while (feed != std::string_view::npos && text[feed + 1] == '\r')
        feed = feed == 0 ? std::string_view::npos : text.rfind('\n', feed - 1);
    return feed == std::string_view::npos ? 0 : feed + 1;
}

// Reads the file from a single open through a small buffer and parses it as
// it comes, so a file costs no second copy of itself; checks the same
// limits as ReadWhole. What the reader made of the text goes to parsed.
ReadOutcome ReadAndParse(FileOperations& files, const std::string& path, HandlingTextReader& reader,
                         ParseResult& parsed) {
    OpenFile file(files);
    FileStatus before;
    if (const std::optional<ReadOutcome> refused = OpenToRead(files, path, file, before, kMaxFileBytes))
        return *refused;
    const std::size_t size = before.kind == FileKind::Regular ? static_cast<std::size_t>(before.size) : 0;
    reader.ExpectBytes(size);
    // A FIFO or a device says no size: it is read in pieces as large as ReadWhole's.
    std::string buffer(before.kind == FileKind::Regular ? std::min<std::size_t>(size + 1, 1 << 17) : 1 << 16,
                       '\0');
    std::size_t filled = 0; // bytes in buffer not yet given to the reader
    std::size_t total = 0;
    bool refused = false;
    while (!refused) {
        if (filled == buffer.size()) // a line longer than the buffer
            buffer.resize(std::min(buffer.size() * 2, kMaxFileBytes + 1));
        std::size_t got = 0;
        const int error = files.Read(file.fd(), buffer.data() + filled, buffer.size() - filled, got);
        if (error == EINTR)
            continue;
        if (error != 0)
            return {error, true, {}};
        total += got;
        if (total > kMaxFileBytes)
            return TooLarge();
        if (got == 0)
            break;
        filled += got;
        const std::size_t whole = WholeLinesEnd(std::string_view(buffer.data(), filled));
        refused = !reader.Read(std::string_view(buffer.data(), whole));
        std::memmove(buffer.data(), buffer.data() + whole, filled - whole);
        filled -= whole;
    }
    if (!refused)
        reader.Read(std::string_view(buffer.data(), filled));
    parsed = reader.Finish();
    if (parsed.error.empty() && ChangedSize(files, file, before, total))
        return kChangedSize;
    return {};
}

// The refusal of a read, naming the path, or empty text.
std::string ReadHandlingText(FileOperations& files, const std::string& path, HandlingTextReader& reader,
                             ParseResult& parsed) {
    if (const ReadOutcome outcome = ReadAndParse(files, path, reader, parsed); outcome.error != 0)
        return ReadFailure(path, outcome);
    if (!parsed.error.empty())
        return FileFailure("Cannot read", path, parsed.error);
    return {};
}

// A reader that lends like's rows, and records the lines known to read as
// the cars where like's are known.
void ReadBeside(HandlingTextReader& reader, HandlingFileRead& result, const CarTable* like,
                const KnownLines* likeLines) {
    if (like)
        reader.ShareRowsWith(*like, likeLines);
    if (likeLines)
        reader.KnowLines(result.lines, false);
}

} // namespace

FileRead ReadFileBytes(const std::string& path, FileOperations& files) {
    FileRead result;
    const ReadOutcome outcome = ReadWhole(files, path, result.bytes, kMaxFileBytes);
    if (outcome.error != 0)
        result.error = ReadFailure(path, outcome);
    return result;
}

int ReadWholeFile(FileOperations& files, const std::string& path, std::string& bytes) {
    return ReadWhole(files, path, bytes, kNoLimit).error;
}

HandlingFileRead ReadHandlingFile(const std::string& path, FileOperations& files, const CarTable* like,
                                  const KnownLines* likeLines) {
    HandlingFileRead result;
    HandlingTextReader reader;
    ReadBeside(reader, result, like, likeLines);
    ParseResult parsed;
    result.error = ReadHandlingText(files, path, reader, parsed);
    if (result.error.empty())
        result.file = std::move(parsed.file);
    return result;
}

HandlingFileRead ReadHandlingFileKeepingLayout(const std::string& path, FileLayout& layout,
                                               FileOperations& files, const CarTable* like,
                                               const KnownLines* likeLines) {
    HandlingFileRead result;
    HandlingTextReader reader;
    ReadBeside(reader, result, like, likeLines);
    ParseResult parsed;
    LayoutCollector collector;
    reader.Listen(collector);
    result.error = ReadHandlingText(files, path, reader, parsed);
    if (result.error.empty()) {
        layout = collector.Finish(ParsedHandlingFile(parsed.file), reader.ByteOrderMark());
        result.file = std::move(parsed.file);
    }
    return result;
}

HandlingFileRead ReadKeptHandlingFile(const std::string& path, FileOperations& files) {
    HandlingFileRead result;
    FileRead read = ReadFileBytes(path, files);
    if (!read.error.empty()) {
        result.error = std::move(read.error);
        return result;
    }
    auto text = std::make_unique<const std::string>(std::move(read.bytes));
    HandlingTextReader reader;
    reader.ExpectBytes(text->size());
    reader.KnowLines(result.lines, true);
    reader.Read(*text);
    ParseResult parsed = reader.Finish();
    if (!parsed.error.empty()) {
        result.error = FileFailure("Cannot read", path, parsed.error);
        result.lines.clear();
        return result;
    }
    result.file = std::move(parsed.file);
    result.text = std::move(text);
    return result;
}

HandlingFileRead ReadHandlingCars(const std::string& path, CarLines& cars, FileOperations& files) {
    HandlingFileRead result;
    HandlingTextReader reader(cars);
    ParseResult parsed;
    result.error = ReadHandlingText(files, path, reader, parsed);
    if (result.error.empty())
        result.file = std::move(parsed.file);
    return result;
}

} // namespace kestrix
