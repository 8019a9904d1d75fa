#pragma once

#include "model/car_line.h"
#include "model/handling_document.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

inline constexpr std::string_view kAuthorPrefix = ";-# File Author : ";
inline constexpr std::string_view kEditorPrefix = ";-#";

// The largest text the reader takes: far above any real handling file (32767
// cars of a few hundred bytes), so a wrong file is refused before it can
// exhaust memory, and every value position fits a car row's 32-bit offsets.
inline constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;
// The reason given for a larger text.
std::string TooLargeReason();

// Calls take(line) for each line; CR LF, LF CR, CR and LF each end a line, and
// the last line needs no end.
template <typename Take> bool ForEachLine(std::string_view text, Take&& take) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const auto next = [end](const char* from, char c) {
        const void* found = from < end ? std::memchr(from, c, static_cast<std::size_t>(end - from)) : nullptr;
        return found ? static_cast<const char*>(found) : end;
    };
    const char* start = begin;
    const char* nextCr = next(start, '\r');
    const char* nextLf = next(start, '\n');
    while (start < end) {
        if (nextCr < start)
            nextCr = next(start, '\r');
        if (nextLf < start)
            nextLf = next(start, '\n');
        const char* lineEnd = std::min(nextCr, nextLf);
        if (!take(std::string_view(start, static_cast<std::size_t>(lineEnd - start))))
            return false;
        if ((lineEnd == nextCr && lineEnd + 1 == nextLf) || (lineEnd == nextLf && lineEnd + 1 == nextCr))
            ++lineEnd;
        start = lineEnd + 1;
    }
    return true;
}

// The end of a line of text as ForEachLine cut it: empty for a last line without one.
std::string_view LineEnd(std::string_view text, std::string_view line);

enum class LineKind : std::uint8_t { Car, Author, Editor, Comment };
LineKind ClassifyLine(std::string_view line);

// SplitCarLine (model/car_line.h) into a row.
int SplitCarLine(std::string_view line, CarRow& row);

// Told of each line the reader takes, with its end (empty on a last line
// without one); a car line with the values it holds, as they lie in it.
class LineListener {
  public:
    virtual void TakeLine(std::string_view line, std::string_view end, LineKind kind, const CarValues* values,
                          int count) = 0;

  protected:
    ~LineListener() = default;
};

// A handling file as read: Author is set only when the file had an author line.
struct ParsedHandlingFile {
    CarTable Cars;
    std::string BeforeComments;
    std::string AfterComments;
    std::optional<std::string> Author;
};

struct ParseResult {
    ParsedHandlingFile file;
    std::string error; // empty when the text was accepted
};

// For each car of a table, a line known to read as it: a view into a text kept
// beside the table, or a view without data where none is kept.
using KnownLines = std::vector<std::string_view>;

// listener, when given, is told of every line; like, when given, lends its
// rows to the cars equal to its own (ShareRowsWith).
ParseResult ParseHandlingText(std::string_view bytes, LineListener* listener = nullptr,
                              const CarTable* like = nullptr);

// Reads a text that comes in pieces as ParseHandlingText reads it whole, so
// a file can be read through a small buffer. Every piece but the last ends
// with a whole line end: a line feed that no carriage return follows.
class HandlingTextReader {
  public:
    // Keeps the cars in the result's table, with room for expectedLines.
    explicit HandlingTextReader(std::size_t expectedLines = 0);
    // Hands every car to cars instead, so that a text can be looked through
    // without a table; the result's table stays empty. The refusals are the same.
    explicit HandlingTextReader(CarLines& cars);
    HandlingTextReader(const HandlingTextReader&) = delete;
    HandlingTextReader& operator=(const HandlingTextReader&) = delete;
    // Makes room in the table for the cars of a text of that many bytes.
    void ExpectBytes(std::size_t size);
    // False once the text is refused; the rest need not be read.
    bool Read(std::string_view bytes);
    // Tells listener of every line read from now on.
    void Listen(LineListener& listener) { listener_ = &listener; }
    // A car equal to like's car at its place, or to one of the few after the
    // car of like the last car took, takes like's row: a file read beside the
    // one it was made from costs only the cars that changed, which then also
    // compare as different at a glance, whatever cars were added or deleted
    // before them.
    // likeLines, when given, holds a line known to read as each of like's
    // cars: a car line of the same bytes takes that row without being split.
    void ShareRowsWith(const CarTable& like, const KnownLines* likeLines = nullptr) {
        like_ = &like;
        likeLines_ = likeLines;
    }
    // Records in lines, per car read, a line known to read as it: its own
    // where the text read stays kept (textKept), else the like's line of the
    // same bytes, if any.
    void KnowLines(KnownLines& lines, bool textKept) {
        knownLines_ = &lines;
        textKept_ = textKept;
    }
    // Whether the text began with a byte-order mark, which belongs to no line.
    bool ByteOrderMark() const { return byteOrderMark_; }
    ParseResult Finish();
    // The line the reader is at, counted from 1.
    std::size_t LineNumber() const { return lineNumber_; }

  private:
    bool TakeCarLine(std::string_view line, std::string_view end);
    // The row of like the line holds the values of, among the candidates, or null.
    const CarRow* LikeRow(std::string_view line);
    // The rows of like a car is looked for at, in turn.
    std::array<std::size_t, 5> LikeCandidates() const;
    // The row of like whose known line has the bytes of line, or SIZE_MAX.
    std::size_t SameLineRow(std::string_view line);

    ParseResult result_;
    CarRowSlab slab_;          // the table's rows
    CarValues values_;         // the last car line's, kept so that a line does not clear a new array
    CarLines* cars_ = nullptr; // null: the table keeps them
    LineListener* listener_ = nullptr;
    const CarTable* like_ = nullptr;
    const KnownLines* likeLines_ = nullptr;
    KnownLines* knownLines_ = nullptr;
    bool textKept_ = false;
    std::size_t likeNext_ = 0; // the row of like after the one the last car took
    std::size_t carCount_ = 0;
    std::size_t lineNumber_ = 0;
    bool started_ = false;
    bool byteOrderMark_ = false;
};
// Replaces cars, comment blocks and the author: a file without an author line has none.
void ApplyToDocument(ParsedHandlingFile&& file, HandlingDocument& doc);

// An empty value with a non-empty one after it in the same car: the line
// cannot hold it, since on reading the later values would move one column left.
struct ValueGap {
    int row;
    int column; // the empty value
};
// The column of the car's first such empty value, or -1 when it has none.
int FirstValueGapColumn(const CarRow& car);
// The first car, in table order, that has a gap.
std::optional<ValueGap> FirstValueGap(const CarTable& cars);

void AppendCarLine(std::string& out, const CarRow& car);
void AppendCommentLines(std::string& out, std::string_view block);
std::string WriteHandlingText(const HandlingDocument& doc);

// Why text written for doc would not read back, with the same reader and
// limits, as doc: its cars, comments and author. A car with an empty value
// before filled ones is compared as the file holds it, its later values
// moved left (the save asks about those first). Names the car, the line or
// the limit; empty when the text reads back as doc.
// known, when given, holds a line known to read as each car of doc: a car
// line of the same bytes is not split again.
std::string ReadBackDifference(std::string_view text, const HandlingDocument& doc,
                               const KnownLines* known = nullptr);

} // namespace kestrix
