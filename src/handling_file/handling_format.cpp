#include "handling_file/handling_format.h"

#include "model/blanks.h"
#include "model/car_line.h"
#include "model/product.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace kestrix {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string LineNumberText(std::size_t number) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

// Enough room for every line whichever line end the file uses.
std::size_t LineCountEstimate(std::string_view bytes) {
    const auto count = [&](char end) {
        std::size_t lines = 0;
        for (const char* at = bytes.data(); at < bytes.data() + bytes.size(); ++lines) {
            at = static_cast<const char*>(
                std::memchr(at, end, static_cast<std::size_t>(bytes.data() + bytes.size() - at)));
            if (!at)
                break;
            ++at;
        }
        return lines;
    };
    const std::size_t feeds = count('\n');
    return (feeds > 0 ? feeds : count('\r')) + 1;
}

} // namespace

std::string_view LineEnd(std::string_view text, std::string_view line) {
    const auto end = static_cast<std::size_t>(line.data() + line.size() - text.data());
    std::size_t length = end < text.size() ? 1 : 0;
    if (end + 1 < text.size() && (text[end + 1] == '\r' || text[end + 1] == '\n') &&
        text[end + 1] != text[end])
        length = 2;
    return text.substr(end, length);
}

LineKind ClassifyLine(std::string_view line) {
    if (line.empty() || line.front() != ';')
        return LineKind::Car;
    if (line.starts_with(kAuthorPrefix))
        return LineKind::Author;
    if (line.starts_with(kEditorPrefix))
        return LineKind::Editor;
    return LineKind::Comment;
}

int SplitCarLine(std::string_view line, CarRow& row) {
    CarValues values;
    const int count = SplitCarLine(line, values);
    row.Assign(values.data(), std::min(count, kStatCount));
    return count;
}

std::string TooLargeReason() {
    return "the file is larger than " + LineNumberText(kMaxFileBytes >> 20) +
           " MiB, far more than a handling file holds";
}

HandlingTextReader::HandlingTextReader(std::size_t expectedLines) {
    result_.file.Cars.reserve(std::min<std::size_t>(kMaxCars, expectedLines));
}

HandlingTextReader::HandlingTextReader(CarLines& cars) : cars_(&cars) {}

void HandlingTextReader::ExpectBytes(std::size_t size) {
    // Typical car lines are a hundred bytes or more; the table grows if there are more.
    if (cars_)
        cars_->ExpectBytes(size);
    else
        result_.file.Cars.reserve(std::min<std::size_t>(kMaxCars, size / 128 + 16));
}

std::array<std::size_t, 5> HandlingTextReader::LikeCandidates() const {
    // A few deleted cars are stepped over.
    return {likeNext_, likeNext_ + 1, likeNext_ + 2, likeNext_ + 3, carCount_ - 1};
}

const CarRow* HandlingTextReader::LikeRow(std::string_view line) {
    if (!like_)
        return nullptr;
    for (const std::size_t row : LikeCandidates()) {
        if (row < like_->size() && (*like_)[row].HoldsLine(line)) {
            likeNext_ = row + 1;
            return &(*like_)[row];
        }
    }
    return nullptr;
}

std::size_t HandlingTextReader::SameLineRow(std::string_view line) {
    if (!likeLines_)
        return SIZE_MAX;
    const std::size_t known = std::min(like_->size(), likeLines_->size());
    for (const std::size_t row : LikeCandidates()) {
        if (row >= known)
            continue;
        const std::string_view same = (*likeLines_)[row];
        if (same.data() && same.size() == line.size() &&
            std::memcmp(same.data(), line.data(), line.size()) == 0) {
            likeNext_ = row + 1;
            return row;
        }
    }
    return SIZE_MAX;
}

bool HandlingTextReader::TakeCarLine(std::string_view line, std::string_view end) {
    if (carCount_ == kMaxCars) {
        result_.error = "the file has more than " + LineNumberText(kMaxCars) + " car lines";
        return false;
    }
    ++carCount_;
    const std::size_t sameLine = SameLineRow(line);
    const CarRow* shared = sameLine != SIZE_MAX ? &(*like_)[sameLine] : cars_ ? nullptr : LikeRow(line);
    CarValues& values = values_;
    int count = 0;
    if (!cars_ && !shared)
        count = result_.file.Cars.emplace_back().AssignLine(line, slab_, listener_ ? &values : nullptr);
    else if (!shared || listener_)
        count = SplitCarLine(line, values);
    if (count > kStatCount) {
        result_.error = "line " + LineNumberText(lineNumber_) + " has " +
                        LineNumberText(static_cast<std::size_t>(count)) +
                        " values; a car line holds at most 32";
        return false;
    }
    if (cars_)
        shared ? cars_->TakeRow(*shared) : cars_->Take(values, count);
    else if (shared)
        result_.file.Cars.push_back(*shared);
    if (knownLines_)
        knownLines_->push_back(textKept_              ? line
                               : sameLine != SIZE_MAX ? (*likeLines_)[sameLine]
                                                      : std::string_view());
    if (listener_)
        listener_->TakeLine(line, end, LineKind::Car, &values, count);
    return true;
}

bool HandlingTextReader::Read(std::string_view bytes) {
    // A byte-order mark at the very start of the file belongs to no line, so a
    // first comment line stays a comment.
    if (!started_ && bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        byteOrderMark_ = true;
    }
    started_ = started_ || !bytes.empty();
    ParsedHandlingFile& file = result_.file;
    return result_.error.empty() && ForEachLine(bytes, [&](std::string_view line) {
               ++lineNumber_;
               const LineKind kind = ClassifyLine(line);
               const std::string_view end = listener_ ? LineEnd(bytes, line) : std::string_view();
               if (listener_ && kind != LineKind::Car)
                   listener_->TakeLine(line, end, kind, nullptr, 0);
               switch (kind) {
               case LineKind::Car:
                   return TakeCarLine(line, end);
               case LineKind::Author:
                   file.Author = std::string(line.substr(kAuthorPrefix.size()));
                   break;
               case LineKind::Editor:
                   break;
               case LineKind::Comment:
                   (carCount_ == 0 ? file.BeforeComments : file.AfterComments).append(line).push_back('\r');
                   break;
               }
               return true;
           });
}

ParseResult HandlingTextReader::Finish() {
    if (!result_.error.empty())
        result_.file = {};
    return std::move(result_);
}

ParseResult ParseHandlingText(std::string_view bytes, LineListener* listener, const CarTable* like) {
    static_assert(kMaxFileBytes < UINT32_MAX);
    if (bytes.size() > kMaxFileBytes) {
        ParseResult result;
        result.error = TooLargeReason();
        return result;
    }
    HandlingTextReader reader(LineCountEstimate(bytes));
    if (listener)
        reader.Listen(*listener);
    if (like)
        reader.ShareRowsWith(*like);
    reader.Read(bytes);
    return reader.Finish();
}

void ApplyToDocument(ParsedHandlingFile&& file, HandlingDocument& doc) {
    doc.Cars = std::move(file.Cars);
    doc.BeforeComments = std::move(file.BeforeComments);
    doc.AfterComments = std::move(file.AfterComments);
    doc.Author = std::move(file.Author).value_or(std::string());
}

int FirstValueGapColumn(const CarRow& car) {
    int last = kStatCount - 1;
    while (last > 0 && car[last].empty())
        --last;
    for (int column = 0; column < last; ++column) {
        if (car[column].empty())
            return column;
    }
    return -1;
}

std::optional<ValueGap> FirstValueGap(const CarTable& cars) {
    for (std::size_t row = 0; row < cars.size(); ++row) {
        if (const int column = FirstValueGapColumn(cars[row]); column >= 0)
            return ValueGap{static_cast<int>(row), column};
    }
    return std::nullopt;
}

void AppendCarLine(std::string& out, const CarRow& car) {
    // A name that begins with ";" was read from a line with a leading blank;
    // keep that blank so the car does not come back as a comment.
    if (!car[0].empty() && car[0].front() == ';')
        out += ' ';
    for (int column = 0; column < kStatCount; ++column) {
        out += car[column];
        out += ' ';
    }
    out += kLineEnd;
}

void AppendCommentLines(std::string& out, std::string_view block) {
    while (!block.empty()) {
        const std::size_t end = std::min(block.find('\r'), block.size());
        if (end > 0)
            out.append(block.substr(0, end)).append(kLineEnd);
        block.remove_prefix(std::min(end + 1, block.size()));
    }
}

std::string WriteHandlingText(const HandlingDocument& doc) {
    std::string out;
    out.reserve(doc.Cars.size() * 200 + doc.BeforeComments.size() + doc.AfterComments.size() + 256);
    out.append(";-# File Created By Kestrix ")
        .append(LineNumberText(kVersionMajor))
        .append(".")
        .append(LineNumberText(kVersionMinor))
        .append(kLineEnd);
    out.append(";-# www  : ").append(kWebAddress).append(kLineEnd);
    out.append(";-# email: ").append(kContactEmail).append(kLineEnd);
    if (!doc.Author.empty())
        out.append(kAuthorPrefix).append(doc.Author).append(kLineEnd);
    AppendCommentLines(out, doc.BeforeComments);
    for (const CarRow& car : doc.Cars)
        AppendCarLine(out, car);
    AppendCommentLines(out, doc.AfterComments);
    return out;
}

namespace {

// Compares each car the reader hands over with the car the document holds
// at that place, without keeping a table, so a check costs little more than a read.
class CarComparison : public CarLines {
  public:
    explicit CarComparison(const CarTable& cars) : cars_(cars) {}
    // The reader that hands the cars over, for the line numbers.
    void ReadBy(const HandlingTextReader& reader) { reader_ = &reader; }
    void Take(const CarValues& values, int count) override {
        ++read_;
        if (!difference_.empty())
            return;
        if (read_ > cars_.size()) {
            difference_ = "line " + LineNumberText(reader_->LineNumber()) + " would read back as a car";
            return;
        }
        const CarRow& car = cars_[read_ - 1];
        if (!SameCar(car, values, count))
            difference_ = "line " + LineNumberText(reader_->LineNumber()) +
                          " would not read back as the car '" + std::string(car[VehicleIdentifier]) +
                          "' as it is saved";
    }
    // A line the same as one known to read as row.
    void TakeRow(const CarRow& row) override {
        if (read_ < cars_.size() && row.Shares(cars_[read_]))
            ++read_;
        else
            CarLines::TakeRow(row);
    }
    std::string Result() const {
        if (!difference_.empty())
            return difference_;
        if (read_ < cars_.size())
            return "only " + LineNumberText(read_) + " of the " + LineNumberText(cars_.size()) +
                   " cars would read back";
        return {};
    }

  private:
    // A car as the file holds it: its empty values before filled ones close up.
    static bool SameCar(const CarRow& car, const CarValues& values, int count) {
        if (car.Holds(values.data(), count))
            return true;
        const bool gap = FirstValueGapColumn(car) >= 0;
        int read = 0;
        for (int column = 0; column < kStatCount; ++column) {
            if (gap && car[column].empty())
                continue;
            const std::string_view back =
                read < count ? values[static_cast<std::size_t>(read)] : std::string_view();
            if (back != car[column])
                return false;
            ++read;
        }
        for (; read < count; ++read)
            if (!values[static_cast<std::size_t>(read)].empty())
                return false;
        return true;
    }

    const CarTable& cars_;
    const HandlingTextReader* reader_ = nullptr;
    std::size_t read_ = 0;
    std::string difference_;
};

std::string WrittenComments(std::string_view block) {
    std::string out;
    AppendCommentLines(out, block);
    return out;
}

// The first line of a comment block that would read back as a car, counted
// as the comments window counts them (from 1, empty lines too); 0 for none.
std::size_t FirstCommentReadAsCar(std::string_view block) {
    for (std::size_t number = 1; !block.empty(); ++number) {
        const std::size_t end = std::min(block.find('\r'), block.size());
        const ParseResult read = ParseHandlingText(WrittenComments(block.substr(0, end)));
        if (!read.file.Cars.empty() || !read.error.empty())
            return number;
        block.remove_prefix(std::min(end + 1, block.size()));
    }
    return 0;
}

// A comment line that reads back as a car is named as that line, not as the car it would displace.
std::string CommentReadAsCar(const HandlingDocument& doc) {
    for (const auto& [name, block] :
         {std::pair{"Before stats", &doc.BeforeComments}, std::pair{"After stats", &doc.AfterComments}})
        if (const std::size_t line = FirstCommentReadAsCar(*block); line > 0)
            return std::string(name) + " line " + LineNumberText(line) +
                   " would read back as a car: a comment line starts with \";\"";
    return {};
}

} // namespace

std::string ReadBackDifference(std::string_view text, const HandlingDocument& doc, const KnownLines* known) {
    if (text.size() > kMaxFileBytes)
        return TooLargeReason();
    CarComparison cars(doc.Cars);
    HandlingTextReader reader(cars);
    cars.ReadBy(reader);
    if (known)
        reader.ShareRowsWith(doc.Cars, known);
    reader.Read(text);
    const ParseResult read = reader.Finish();
    std::string difference = read.error.empty() ? cars.Result() : read.error;
    if (!difference.empty()) {
        std::string comment = CommentReadAsCar(doc);
        return comment.empty() ? difference : comment;
    }
    // Without cars, every comment line reads back as one before them.
    const bool noCars = doc.Cars.empty();
    if (WrittenComments(read.file.BeforeComments) !=
        WrittenComments(doc.BeforeComments) + (noCars ? WrittenComments(doc.AfterComments) : std::string()))
        return "the comments before the cars would read back differently";
    if (!noCars && WrittenComments(read.file.AfterComments) != WrittenComments(doc.AfterComments))
        return "the comments after the cars would read back differently";
    if (read.file.Author.value_or(std::string()) != doc.Author)
        return "the author line would read back as another author";
    return {};
}

} // namespace kestrix
