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
// A car line is kept as its shape, the line without its values, which the
// car as read fills in again; the cars share their rows with the document,
// so an open file costs neither a second copy of its text nor of its cars.
class FileLayout {
  public:
    bool empty() const { return lines_.empty() && !byteOrderMark_; }
    // Takes the rows of cars equal to those the layout holds, so that both share them.
    void ShareRows(const CarTable& cars);

  private:
    friend class LayoutCollector;
    friend std::string WriteKeepingLayout(const FileLayout& layout, const HandlingDocument& doc,
                                          const std::vector<int>& origins);
    friend std::vector<int> SameRows(const FileLayout& layout, const HandlingDocument& doc);

    struct Line {
        std::uint32_t start; // of the line's text, or a car line's shape, in texts_
        std::uint32_t length;
        std::uint8_t endIndex; // which line end; 0 only on a last line without one
        LineKind kind;
    };
    std::string_view Text(const Line& line) const {
        return std::string_view(texts_).substr(line.start, line.length);
    }
    // Where a car line's shape marks its values, kept while lines share the shape.
    struct ShapeMarks {
        std::uint32_t start = UINT32_MAX;
        std::uint32_t length = 0;
        std::vector<std::uint32_t> at;
        std::string shape;  // the shape, and room to copy sixteen bytes at a time from it
        std::string values; // the car's values, the same
    };
    // The line as read; a car line is written into scratch with car's values.
    std::string_view Text(const Line& line, const CarRow& car, std::string& scratch, ShapeMarks& marks) const;
    // A car line with car's values, appended to out.
    void AppendCarLine(const Line& line, const CarRow& car, std::string& out, ShapeMarks& marks) const;

    std::vector<Line> lines_;
    std::string texts_;      // the lines other than cars, and each car line's shape once
    ParsedHandlingFile was_; // what the lines hold
    std::size_t size_ = 0;   // of the text
    bool byteOrderMark_ = false;
};

// Collects a text's layout from the reader, as the lines come.
class LayoutCollector : public LineListener {
  public:
    void TakeLine(std::string_view line, std::string_view end, LineKind kind, const CarValues* values,
                  int count) override;
    // was: what the whole text holds.
    FileLayout Finish(ParsedHandlingFile was, bool byteOrderMark);

  private:
    FileLayout layout_;
    std::uint32_t lastShape_ = 0; // a car line like the last one shares its shape
    std::uint32_t lastShapeLength_ = 0;
    std::string shape_; // the shape of the line taken
};

struct LayoutRead {
    ParsedHandlingFile file;
    FileLayout layout;
    std::string error; // empty when the text was accepted, as ParseHandlingText says
};

// Reads a text as ParseHandlingText does, keeping its layout beside it.
LayoutRead ReadKeepingLayout(std::string_view bytes, const CarTable* like = nullptr);

// The document written into the layout it was read from: every line of an
// unchanged car, comment or header as it was, byte for byte. origins: for
// each car of doc, the row of the layout's cars it is, or -1 for a car the
// layout never held. A changed car's line keeps its padding and the columns
// of its values where the padding leaves room; the cars that keep their
// order keep their lines' places, and a car moved among them is written
// where it now stands in the form of its own line; a new car follows the
// last car line in the form of that line; a car no longer there takes its
// line with it; changed comment lines replace those of their block where
// they stood. A new line ends as the file's first line did (CR LF when none
// ended).
std::string WriteKeepingLayout(const FileLayout& layout, const HandlingDocument& doc,
                               const std::vector<int>& origins);
// The same where each car of doc is the layout's car at its row (values changed only).
std::string WriteKeepingLayout(const FileLayout& layout, const HandlingDocument& doc);
// The origins of a document whose cars stand at the rows they were read at.
std::vector<int> SameRows(const FileLayout& layout, const HandlingDocument& doc);

} // namespace kestrix
