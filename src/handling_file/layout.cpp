#include "handling_file/layout.h"

#include "model/blanks.h"
#include "model/rising_run.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kestrix {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kDefaultEnd = "\r\n";
// The line ends a layout tells apart; the first is a last line's without one.
constexpr std::array<std::string_view, 5> kLineEnds{"", "\r\n", "\n\r", "\r", "\n"};
// Stands for a value in a car line's shape: no line holds one.
constexpr char kValueMark = '\n';

// The lines of a comment block as the document holds it (each followed by
// a CR); empty ones are not written, as by the plain writer.
std::vector<std::string_view> BlockLines(std::string_view block) {
    std::vector<std::string_view> lines;
    while (!block.empty()) {
        const std::size_t end = std::min(block.find('\r'), block.size());
        if (end > 0)
            lines.push_back(block.substr(0, end));
        block.remove_prefix(std::min(end + 1, block.size()));
    }
    return lines;
}

// A car line cut into what lies before, between and after its values.
struct CarLineShape {
    std::string_view lead;
    std::vector<std::string_view> values;
    std::vector<std::string_view> gaps; // gaps[i] follows values[i]; the last one ends the line
};

CarLineShape ShapeOf(std::string_view line) {
    CarLineShape shape;
    std::size_t at = 0;
    const auto skip = [&](bool blank) {
        const std::size_t start = at;
        while (at < line.size() && IsBlank(line[at]) == blank)
            ++at;
        return line.substr(start, at - start);
    };
    shape.lead = skip(true);
    while (at < line.size()) {
        shape.values.push_back(skip(false));
        shape.gaps.push_back(skip(true));
    }
    return shape;
}

// The car's values written into the shape of a line. A value that grows or
// shrinks takes its room from the spaces after it, so the next value keeps
// its column where there are spaces enough; one of the columns rightAligned
// (a bit each) takes it from the spaces before it instead, so that it keeps
// ending where it ended. After a tab the columns are the tab's. Values the
// line did not hold follow one blank each.
std::string RewriteCarLine(std::string_view line, const CarRow& car, std::uint32_t rightAligned = 0) {
    const CarLineShape shape = ShapeOf(line);
    int count = kStatCount;
    while (count > 0 && car[count - 1].empty())
        --count;
    const auto held = static_cast<int>(shape.values.size());
    std::string out(shape.lead);
    long shift = 0; // how far the text now stands right of where it stood
    if (out.empty() && count > 0 && car[0].starts_with(';')) {
        // Otherwise the car would come back as a comment.
        out += ' ';
        ++shift;
    }
    for (int column = 0; column < count; ++column) {
        if (column >= held) {
            out += ' ';
        } else if (column > 0) {
            const std::string_view gap = shape.gaps[static_cast<std::size_t>(column - 1)];
            if (gap.find('\t') != std::string_view::npos) {
                out += gap;
                shift = 0;
            } else {
                long room = static_cast<long>(gap.size()) - shift;
                if (column < held && (rightAligned >> column & 1U) != 0)
                    room -= static_cast<long>(car[column].size()) -
                            static_cast<long>(shape.values[static_cast<std::size_t>(column)].size());
                const long width = std::max(1L, room);
                out.append(static_cast<std::size_t>(width), ' ');
                shift += width - static_cast<long>(gap.size());
            }
        }
        const std::string_view value = car[column];
        out += value;
        if (column < held)
            shift += static_cast<long>(value.size()) -
                     static_cast<long>(shape.values[static_cast<std::size_t>(column)].size());
    }
    if (held > 0)
        out += shape.gaps.back();
    return out;
}

// Where each value of a car line as read stands, in characters from the line's start.
struct ValuePlaces {
    int count = 0;    // of values
    int untabbed = 0; // the values before the line's first tab: after it the columns are the tab's
    std::array<std::uint32_t, kStatCount> start{}, end{};
};

ValuePlaces PlacesOf(std::string_view shape, const CarRow& car) {
    ValuePlaces places;
    std::uint32_t at = 0;
    bool tabbed = false;
    for (const char c : shape) {
        if (c == kValueMark && places.count < kStatCount) {
            const auto column = static_cast<std::size_t>(places.count++);
            places.start[column] = at;
            at += static_cast<std::uint32_t>(car[static_cast<int>(column)].size());
            places.end[column] = at;
            places.untabbed += tabbed ? 0 : 1;
        } else {
            tabbed = tabbed || c == '\t';
            ++at;
        }
    }
    return places;
}

// The columns of the car lines as read that the file aligns on the right.
// The car lines of a save come in order, so the last few lines' places are
// kept, and each line is measured about once however many cars changed.
template <typename ShapeOf> class RightAlignment {
  public:
    // shapeOf(row): the shape of the car line of that row of cars, as read.
    RightAlignment(ShapeOf shapeOf, const CarTable& cars) : shapeOf_(shapeOf), cars_(cars) {}

    // Of the columns asked (a bit each), those aligned on the right at the
    // car line of row: of the car lines nearest above and below that hold the
    // column before any tab and whose value there has another width, more end
    // it where this line does than elsewhere, so one odd line (a longer name
    // that pushes the rest along) decides nothing. Lines whose value has the
    // same width tell nothing; a column they leave undecided (its values all
    // of one width) goes the way most of the line's other columns go. The
    // name's column is never taken for one.
    std::uint32_t Columns(std::size_t row, std::uint32_t asked) {
        const ValuePlaces here = Places(row);
        asked &= static_cast<std::uint32_t>((1ULL << here.untabbed) - 1) & ~1U;
        std::array<int, kStatCount> votes{}; // lines ending the column alike, less those ending it elsewhere
        const std::size_t first = row - std::min<std::size_t>(row, kLinesLooked);
        const std::size_t last = std::min(row + kLinesLooked, cars_.size() - 1);
        for (std::size_t at = first; at <= last && asked != 0; ++at) {
            if (at == row)
                continue;
            const ValuePlaces& there = Places(at);
            for (std::size_t c = 1; c < static_cast<std::size_t>(std::min(here.untabbed, there.untabbed));
                 ++c)
                if (there.start[c] != here.start[c] || there.end[c] != here.end[c])
                    votes[c] += there.end[c] == here.end[c] ? 1 : -1;
        }
        int line = 0; // columns aligned on the right, less those aligned otherwise
        for (const int vote : votes)
            line += (vote > 0) - (vote < 0);
        std::uint32_t right = 0;
        for (std::size_t c = 1; c < votes.size(); ++c)
            if (votes[c] > 0 || (votes[c] == 0 && line > 0))
                right |= 1U << c;
        return right & asked;
    }

  private:
    // How many car lines above and below a changed one tell how its columns align.
    static constexpr std::size_t kLinesLooked = 4;
    static constexpr std::size_t kKept = 16; // more than the lines looked at once

    const ValuePlaces& Places(std::size_t row) {
        Kept& kept = kept_[row % kKept];
        if (kept.row != row)
            kept = {row, PlacesOf(shapeOf_(row), cars_[row])};
        return kept.places;
    }

    ShapeOf shapeOf_;
    const CarTable& cars_;
    struct Kept {
        std::size_t row = SIZE_MAX;
        ValuePlaces places;
    };
    std::array<Kept, kKept> kept_;
};

// The columns whose values differ in width between two cars.
std::uint32_t ResizedColumns(const CarRow& was, const CarRow& now) {
    std::uint32_t resized = 0;
    for (int column = 0; column < kStatCount; ++column)
        if (was[column].size() != now[column].size())
            resized |= 1U << column;
    return resized;
}

// The plain writer's form of a car line, for a file that has no car line to copy.
std::string PlainCarLine(const CarRow& car) {
    std::string line;
    AppendCarLine(line, car);
    line.resize(line.size() - kDefaultEnd.size());
    return line;
}

// For each car as read, the car of the document it stays as where the cars
// that keep their order keep their lines' places, or -1: deleted, or moved.
std::vector<int> StayingCars(const std::vector<int>& origins, std::size_t carsRead) {
    std::vector<int> stays(carsRead, -1);
    for (const int car : LongestRisingRun(origins))
        stays[static_cast<std::size_t>(origins[static_cast<std::size_t>(car)])] = car;
    return stays;
}

// Where the changed lines of a comment block go: the lines that stayed at
// its start and at its end keep their places, the new lines between them
// replace those that were there.
struct BlockPlan {
    std::vector<bool> keep; // per line as read
    std::vector<std::string_view> inserted;
    int before = -1; // the inserted lines go before this line as read,
    int after = -1;  // or after this one; neither: where the block belongs
};

BlockPlan PlanBlock(std::string_view was, std::string_view now) {
    const std::vector<std::string_view> old = BlockLines(was);
    const std::vector<std::string_view> lines = BlockLines(now);
    BlockPlan plan;
    std::size_t head = 0;
    while (head < old.size() && head < lines.size() && old[head] == lines[head])
        ++head;
    std::size_t tail = 0;
    while (tail < old.size() - head && tail < lines.size() - head &&
           old[old.size() - 1 - tail] == lines[lines.size() - 1 - tail])
        ++tail;
    plan.keep.assign(old.size(), true);
    std::fill(plan.keep.begin() + static_cast<long>(head), plan.keep.end() - static_cast<long>(tail), false);
    plan.inserted.assign(lines.begin() + static_cast<long>(head), lines.end() - static_cast<long>(tail));
    if (old.size() - tail > head || (head == 0 && !old.empty()))
        plan.before = static_cast<int>(head);
    else if (head > 0)
        plan.after = static_cast<int>(head) - 1;
    return plan;
}

class LayoutWriter {
  public:
    explicit LayoutWriter(std::string_view defaultEnd) : defaultEnd_(defaultEnd) {}

    void Line(std::string_view text, std::string_view end) {
        out_.append(text).append(end.empty() ? defaultEnd_ : end);
        lastEnd_ = end.empty() ? defaultEnd_.size() : end.size();
    }
    // A comment after the first car: before any car line it would read back
    // as one before the cars, so it waits for the first car.
    void LaterComment(std::string_view text, std::string_view end) {
        if (carWritten_)
            Line(text, end);
        else
            waiting_.emplace_back(text, end);
    }
    void Car(std::string_view text, std::string_view end) {
        Line(text, end);
        CarEnded();
    }
    // A car line put into Out() as it is, ended.
    void CarAppended(std::string_view end) {
        Line({}, end);
        CarEnded();
    }
    void CarEnded() {
        if (!carWritten_) {
            carWritten_ = true;
            for (const auto& [waitingText, waitingEnd] : waiting_)
                Line(waitingText, waitingEnd);
            waiting_.clear();
        }
    }
    bool CarWritten() const { return carWritten_; }
    std::string Finish(bool lastLineEnds) {
        for (const auto& [text, end] : waiting_)
            Line(text, end);
        if (!lastLineEnds && !out_.empty())
            out_.resize(out_.size() - lastEnd_);
        return std::move(out_);
    }
    std::string& Out() { return out_; }

  private:
    std::string_view defaultEnd_;
    std::string out_;
    std::size_t lastEnd_ = 0;
    bool carWritten_ = false;
    std::vector<std::pair<std::string_view, std::string_view>> waiting_;
};

std::size_t BomLength(std::string_view text) {
    return text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

// Where end is among kLineEnds.
std::uint8_t EndIndex(std::string_view end) {
    if (end.empty())
        return 0;
    return static_cast<std::uint8_t>((end.size() == 2 ? 1 : 3) + (end[0] == '\r' ? 0 : 1));
}

// Room after a copy's source and its target for CopyPieces.
constexpr std::size_t kPieceRoom = 16;

// Copies size bytes sixteen at a time, without a branch on the size of each
// of the short pieces a car line is made of: up to kPieceRoom bytes more are
// read after from and written after to. Gives the end of what was written.
char* CopyPieces(char* to, const char* from, std::size_t size) {
    for (std::size_t done = 0; done < size; done += kPieceRoom)
        std::memcpy(to + done, from + done, kPieceRoom);
    return to + size;
}

// CopyPieces where the source may end within sixteen bytes of what is copied.
char* CopyPiecesWithin(char* to, const char* from, std::size_t size, const char* sourceEnd) {
    if (static_cast<std::size_t>(sourceEnd - from) >= size + kPieceRoom)
        return CopyPieces(to, from, size);
    std::memcpy(to, from, size);
    return to + size;
}

// A car line's shape, the line with each value marked out, into shape; gives its size.
std::size_t ShapeInto(std::string_view line, const CarValues& values, int count, std::string& shape) {
    shape.resize(line.size() + kPieceRoom); // each value takes a byte or more, its mark one
    char* out = shape.data();
    const char* at = line.data();
    const char* const end = line.data() + line.size();
    for (std::size_t column = 0; column < static_cast<std::size_t>(count); ++column) {
        out = CopyPiecesWithin(out, at, static_cast<std::size_t>(values[column].data() - at), end);
        *out++ = kValueMark;
        at = values[column].data() + values[column].size();
    }
    out = CopyPiecesWithin(out, at, static_cast<std::size_t>(end - at), end);
    return static_cast<std::size_t>(out - shape.data());
}

} // namespace

void LayoutCollector::TakeLine(std::string_view text, std::string_view end, LineKind kind,
                               const CarValues* values, int count) {
    FileLayout::Line line{0, static_cast<std::uint32_t>(text.size()), EndIndex(end), kind};
    if (values) {
        // The line without its values, which the car as read puts back; a
        // line like the last one shares its shape.
        const std::string_view shape(shape_.data(), ShapeInto(text, *values, count, shape_));
        if (shape != std::string_view(layout_.texts_).substr(lastShape_, lastShapeLength_)) {
            lastShape_ = static_cast<std::uint32_t>(layout_.texts_.size());
            lastShapeLength_ = static_cast<std::uint32_t>(shape.size());
            layout_.texts_.append(shape);
        }
        line.start = lastShape_;
        line.length = lastShapeLength_;
    } else {
        line.start = static_cast<std::uint32_t>(layout_.texts_.size());
        layout_.texts_.append(text);
    }
    layout_.size_ += text.size() + end.size();
    layout_.lines_.push_back(line);
}

FileLayout LayoutCollector::Finish(ParsedHandlingFile was, bool byteOrderMark) {
    layout_.was_ = std::move(was);
    layout_.byteOrderMark_ = byteOrderMark;
    layout_.texts_.shrink_to_fit();
    layout_.lines_.shrink_to_fit();
    return std::move(layout_);
}

std::string_view FileLayout::Text(const Line& line, const CarRow& car, std::string& scratch,
                                  ShapeMarks& marks) const {
    if (line.kind != LineKind::Car)
        return Text(line);
    scratch.clear();
    AppendCarLine(line, car, scratch, marks);
    return scratch;
}

void FileLayout::AppendCarLine(const Line& line, const CarRow& car, std::string& out,
                               ShapeMarks& marks) const {
    const std::string_view text = Text(line);
    if (marks.start != line.start || marks.length != line.length) {
        marks.start = line.start;
        marks.length = line.length;
        marks.at.clear();
        for (std::size_t at = text.find(kValueMark); at != std::string_view::npos;
             at = text.find(kValueMark, at + 1))
            marks.at.push_back(static_cast<std::uint32_t>(at));
        marks.shape.assign(text).append(kPieceRoom, ' ');
    }
    std::array<std::uint32_t, kStatCount> ends;
    const std::string_view joined = car.Joined(ends);
    const std::size_t marked = std::min<std::size_t>(marks.at.size(), kStatCount);
    const std::uint32_t valuesSize = marked > 0 ? ends[marked - 1] : 0;
    const std::size_t size = text.size() - marks.at.size() + valuesSize;
    const std::size_t start = out.size();
    out.resize(start + size + kPieceRoom);
    char* to = out.data() + start;
    const char* const valuesEnd = joined.data() + joined.size();
    std::size_t from = 0;
    std::uint32_t valueStart = 0;
    for (std::size_t column = 0; column < marks.at.size(); ++column) {
        to = CopyPieces(to, marks.shape.data() + from, marks.at[column] - from);
        const std::uint32_t valueEnd = column < marked ? ends[column] : valueStart;
        to = CopyPiecesWithin(to, joined.data() + valueStart, valueEnd - valueStart, valuesEnd);
        valueStart = valueEnd;
        from = marks.at[column] + 1;
    }
    CopyPieces(to, marks.shape.data() + from, text.size() - from);
    out.resize(start + size);
}

void FileLayout::ShareRows(const CarTable& cars) {
    for (std::size_t i = 0; i < std::min(cars.size(), was_.Cars.size()); ++i)
        if (was_.Cars[i] == cars[i])
            was_.Cars[i] = cars[i];
}

LayoutRead ReadKeepingLayout(std::string_view bytes, const CarTable* like) {
    LayoutRead read;
    LayoutCollector collector;
    ParseResult parsed = ParseHandlingText(bytes, &collector, like);
    read.error = std::move(parsed.error);
    if (!read.error.empty())
        return read;
    read.layout = collector.Finish(ParsedHandlingFile(parsed.file), BomLength(bytes) > 0);
    read.file = std::move(parsed.file);
    return read;
}

std::vector<int> SameRows(const FileLayout& layout, const HandlingDocument& doc) {
    std::vector<int> origins(doc.Cars.size(), -1);
    for (std::size_t car = 0; car < std::min(origins.size(), layout.was_.Cars.size()); ++car)
        origins[car] = static_cast<int>(car);
    return origins;
}

std::string WriteKeepingLayout(const FileLayout& layout, const HandlingDocument& doc) {
    return WriteKeepingLayout(layout, doc, SameRows(layout, doc));
}

std::string WriteKeepingLayout(const FileLayout& layout, const HandlingDocument& doc,
                               const std::vector<int>& origins) {
    const ParsedHandlingFile& was = layout.was_;
    const std::vector<FileLayout::Line>& lines = layout.lines_;
    const auto firstEnded = std::find_if(lines.begin(), lines.end(),
                                         [](const FileLayout::Line& line) { return line.endIndex > 0; });
    const std::string_view defaultEnd =
        firstEnded == lines.end() ? kDefaultEnd : kLineEnds[firstEnded->endIndex];
    const bool lastLineEnds = lines.empty() || lines.back().endIndex > 0;

    const std::vector<int> stays = StayingCars(origins, was.Cars.size());
    const BlockPlan beforePlan = PlanBlock(was.BeforeComments, doc.BeforeComments);
    const BlockPlan afterPlan = PlanBlock(was.AfterComments, doc.AfterComments);
    const bool authorChanged = doc.Author != was.Author.value_or("");
    const std::string authorLine = std::string(kAuthorPrefix) + doc.Author;
    bool authorWritten = doc.Author.empty() || !authorChanged;

    LayoutWriter writer(defaultEnd);
    writer.Out().reserve(layout.size_ + kByteOrderMark.size() + 256);
    if (layout.byteOrderMark_)
        writer.Out().append(kByteOrderMark);

    // A car as read, found by its row: a moved car keeps its own line's form.
    std::vector<const FileLayout::Line*> carLineOf;
    carLineOf.reserve(was.Cars.size());
    for (const FileLayout::Line& line : lines)
        if (line.kind == LineKind::Car)
            carLineOf.push_back(&line);
    RightAlignment alignment([&](std::size_t row) { return layout.Text(*carLineOf[row]); }, was.Cars);
    std::string scratch;
    FileLayout::ShapeMarks marks;
    const auto writeCar = [&](const CarRow& car, int origin) {
        const auto row = static_cast<std::size_t>(origin);
        const FileLayout::Line& line = *carLineOf[row];
        const CarRow& read = was.Cars[row];
        if (car == read) {
            layout.AppendCarLine(line, read, writer.Out(), marks);
            writer.CarAppended(kLineEnds[line.endIndex]);
            return;
        }
        const std::uint32_t resized = ResizedColumns(read, car);
        writer.Car(RewriteCarLine(layout.Text(line, read, scratch, marks), car,
                                  resized ? alignment.Columns(row, resized) : 0),
                   kLineEnds[line.endIndex]);
    };

    std::size_t nextCar = 0; // the next car of the document to write
    // A new car takes the form of the last car line.
    std::string lastCarScratch;
    std::string_view lastCarLine;
    if (!carLineOf.empty())
        lastCarLine = layout.Text(*carLineOf.back(), was.Cars.back(), lastCarScratch, marks);
    const auto writeMovedUpTo = [&](std::size_t car) {
        for (; nextCar < car; ++nextCar) {
            const CarRow& moved = doc.Cars[nextCar];
            if (const int origin = origins[nextCar]; origin >= 0)
                writeCar(moved, origin);
            else
                writer.Car(was.Cars.empty() ? PlainCarLine(moved) : RewriteCarLine(lastCarLine, moved), {});
        }
    };
    const auto writeInserted = [&](const BlockPlan& plan, bool later) {
        for (const std::string_view text : plan.inserted)
            later ? writer.LaterComment(text, {}) : writer.Line(text, {});
    };

    std::size_t carLine = 0;
    std::size_t beforeLine = 0;
    std::size_t afterLine = 0;
    const std::size_t carLines = was.Cars.size();
    for (const FileLayout::Line& line : lines) {
        const std::string_view text = layout.Text(line);
        const std::string_view end = kLineEnds[line.endIndex];
        if (!authorWritten && line.kind != LineKind::Editor) {
            writer.Line(authorLine, {});
            authorWritten = true;
        }
        switch (line.kind) {
        case LineKind::Editor:
            writer.Line(text, end);
            break;
        case LineKind::Author:
            if (!authorChanged)
                writer.Line(text, end);
            break;
        case LineKind::Comment: {
            const bool later = carLine > 0;
            const BlockPlan& plan = later ? afterPlan : beforePlan;
            const int index = static_cast<int>(later ? afterLine++ : beforeLine++);
            if (plan.before == index)
                writeInserted(plan, later);
            if (plan.keep[static_cast<std::size_t>(index)])
                later ? writer.LaterComment(text, end) : writer.Line(text, end);
            if (plan.after == index)
                writeInserted(plan, later);
            break;
        }
        case LineKind::Car: {
            if (carLine == 0 && beforePlan.before < 0 && beforePlan.after < 0)
                writeInserted(beforePlan, false);
            if (const int stay = stays[carLine]; stay >= 0) {
                writeMovedUpTo(static_cast<std::size_t>(stay));
                writeCar(doc.Cars[nextCar++], static_cast<int>(carLine));
            }
            if (++carLine == carLines)
                writeMovedUpTo(doc.Cars.size());
            break;
        }
        }
    }
    if (!authorWritten)
        writer.Line(authorLine, {});
    if (carLines == 0 && beforePlan.before < 0 && beforePlan.after < 0)
        writeInserted(beforePlan, false);
    writeMovedUpTo(doc.Cars.size());
    if (afterPlan.before < 0 && afterPlan.after < 0)
        writeInserted(afterPlan, true);
    return writer.Finish(lastLineEnds);
}

} // namespace kestrix
