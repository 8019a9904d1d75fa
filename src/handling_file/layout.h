#pragma once

#include "handling_file/handling_format.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrix {

// A handling file's lines exactly as they were written: padding, tabs,
// comments between cars, the editor's header lines or their absence, and
// every line end. A save through it rewrites only what the document changed.
// The lines, and what they held, are read from the text again at a save,
// so that an open file costs no second table of its cars.
class FileLayout {
  public:
    bool empty() const { return text_.empty(); }

  private:
    friend struct LayoutRead ReadKeepingLayout(std::string bytes);
    friend std::string WriteKeepingLayout(const FileLayout& layout, const HandlingDocument& doc);

    struct Line {
        std::uint32_t start;
        std::uint32_t length;
        std::uint8_t endLength; // 0 only on a last line without an end
        LineKind kind;
    };
    std::string_view Text(const Line& line) const {
        return std::string_view(text_).substr(line.start, line.length);
    }
    std::string_view End(const Line& line) const {
        return std::string_view(text_).substr(line.start + line.length, line.endLength);
    }

    std::vector<Line> Lines() const;

    std::string text_;
    std::size_t bomLength_ = 0; // a byte-order mark before the first line
};

struct LayoutRead {
    ParsedHandlingFile file;
    FileLayout layout;
    std::string error; // empty when the text was accepted, as ParseHandlingText says
};

// Reads a text as ParseHandlingText does, keeping its layout beside it
// (the text itself, so a text that is moved in is not copied).
LayoutRead ReadKeepingLayout(std::string bytes);

// The document written into the layout it was read from: every line of an
// unchanged car, comment or header as it was, byte for byte. A changed car's
// line keeps its padding and the columns of its values where the padding
// leaves room; an added car follows the last car line in the form of that
// line; a deleted car takes its line with it; changed comment lines replace
// those of their block where they stood. A new line ends as the file's first
// line did (CR LF when none ended).
std::string WriteKeepingLayout(const FileLayout& layout, const HandlingDocument& doc);

// Rewrites some car lines of a file's text as WriteKeepingLayout rewrites a
// changed car, every other byte as it was: what WriteKeepingLayout writes
// when only values changed. cars: by the place of the car among the file's
// cars, in order, with the car's new values. Gives the lines as written.
std::vector<std::string> RewriteCarLines(std::string& text,
                                         const std::vector<std::pair<std::size_t, CarRow>>& cars);

} // namespace kestrix
