#include "handling_file/layout.h"

#include "model/blanks.h"

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
// its column where there are spaces enough; after a tab the columns are the
// tab's. Values the line did not hold follow one blank each.
std::string RewriteCarLine(std::string_view line, const CarRow& car) {
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
                const long width = std::max(1L, static_cast<long>(gap.size()) - shift);
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

// The plain writer's form of a car line, for a file that has no car line to copy.
std::string PlainCarLine(const CarRow& car) {
    std::string line;
    AppendCarLine(line, car);
    line.resize(line.size() - kDefaultEnd.size());
    return line;
}

using Names = std::vector<std::string_view>;

// The pairs of equal names in the shortest edit from a to b, in order
// (Myers' difference), or false when it takes more than maxEdits steps.
bool MatchNames(const Names& a, const Names& b, int maxEdits, std::vector<std::pair<int, int>>& matches) {
    const auto n = static_cast<int>(a.size());
    const auto m = static_cast<int>(b.size());
    const int limit = std::min(n + m, maxEdits);
    std::vector<std::vector<int>> trace; // trace[d][k + d]: the furthest x on diagonal k before step d
    std::vector<int> furthest(static_cast<std::size_t>(2 * limit + 3), 0);
    const int offset = limit + 1;
    const auto at = [&](int k) -> int& { return furthest[static_cast<std::size_t>(k + offset)]; };
    for (int d = 0; d <= limit; ++d) {
        trace.emplace_back(furthest.begin() + offset - d, furthest.begin() + offset + d + 1);
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            int y = x - k;
            while (x < n && y < m && a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (x < n || y < m)
                continue;
            for (int back = d; back > 0; --back) {
                const std::vector<int>& before = trace[static_cast<std::size_t>(back)];
                const auto was = [&](int diagonal) {
                    return before[static_cast<std::size_t>(diagonal + back)];
                };
                const int diagonal = x - y;
                const int from =
                    (diagonal == -back || (diagonal != back && was(diagonal - 1) < was(diagonal + 1)))
                        ? diagonal + 1
                        : diagonal - 1;
                const int fromX = was(from);
                const int fromY = fromX - from;
                while (x > fromX && y > fromY)
                    matches.emplace_back(--x, --y);
                x = fromX;
                y = fromY;
            }
            while (x > 0 && y > 0)
                matches.emplace_back(--x, --y);
            std::reverse(matches.begin(), matches.end());
            return true;
        }
    }
    return false;
}

Names NamesOf(const CarTable& cars, std::size_t from, std::size_t to) {
    Names names;
    for (std::size_t i = from; i < to; ++i)
        names.push_back(cars[i][VehicleIdentifier]);
    return names;
}

// For each car as read, the car of the document it became, or -1 when it
// was deleted. Cars are followed by name; a car between two followed ones
// that changed its name keeps the place of one that lost its name there.
std::vector<int> FollowCars(const CarTable& was, const CarTable& now) {
    constexpr int kMostEdits = 1000; // beyond that, the cars in between are paired by place
    std::vector<int> follows(was.size(), -1);
    std::size_t head = 0;
    while (head < was.size() && head < now.size() && was[head][0] == now[head][0]) {
        follows[head] = static_cast<int>(head);
        ++head;
    }
    std::size_t tail = 0;
    while (tail < was.size() - head && tail < now.size() - head &&
           was[was.size() - 1 - tail][0] == now[now.size() - 1 - tail][0]) {
        follows[was.size() - 1 - tail] = static_cast<int>(now.size() - 1 - tail);
        ++tail;
    }
    std::vector<std::pair<int, int>> matches;
    const Names a = NamesOf(was, head, was.size() - tail);
    const Names b = NamesOf(now, head, now.size() - tail);
    if (!MatchNames(a, b, kMostEdits, matches))
        matches.clear();
    matches.emplace_back(static_cast<int>(a.size()), static_cast<int>(b.size()));
    int x = 0;
    int y = 0;
    for (const auto& [matchX, matchY] : matches) {
        while (x < matchX && y < matchY)
            follows[head + static_cast<std::size_t>(x++)] = static_cast<int>(head) + y++;
        if (matchX < static_cast<int>(a.size()))
            follows[head + static_cast<std::size_t>(matchX)] = static_cast<int>(head) + matchY;
        x = matchX + 1;
        y = matchY + 1;
    }
    return follows;
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

// Whether a car line with its values marked out is shape; compared byte by
// byte, as the gaps between values are a few bytes each.
bool HasShape(std::string_view line, const CarValues& values, int count, std::string_view shape) {
    const char* at = line.data();
    const char* mark = shape.data();
    const char* const shapeEnd = mark + shape.size();
    const auto same = [&](const char* upTo) {
        for (; at < upTo; ++at, ++mark)
            if (mark == shapeEnd || *mark != *at)
                return false;
        return true;
    };
    for (int column = 0; column < count; ++column) {
        const std::string_view value = values[static_cast<std::size_t>(column)];
        if (!same(value.data()) || mark == shapeEnd || *mark++ != kValueMark)
            return false;
        at = value.data() + value.size();
    }
    return same(line.data() + line.size()) && mark == shapeEnd;
}

} // namespace

void LayoutCollector::TakeLine(std::string_view text, std::string_view end, LineKind kind,
                               const CarValues* values, int count) {
    FileLayout::Line line{0, static_cast<std::uint32_t>(text.size()), EndIndex(end), kind};
    const std::string_view lastShape = std::string_view(layout_.texts_).substr(lastShape_, lastShapeLength_);
    if (values && HasShape(text, *values, count, lastShape)) {
        line.start = lastShape_;
        line.length = lastShapeLength_;
    } else if (values) {
        // The line without its values, which the car as read puts back.
        std::string& texts = layout_.texts_;
        lastShape_ = static_cast<std::uint32_t>(texts.size());
        const char* at = text.data();
        for (int column = 0; column < count; ++column) {
            const std::string_view value = (*values)[static_cast<std::size_t>(column)];
            texts.append(at, value.data()).push_back(kValueMark);
            at = value.data() + value.size();
        }
        texts.append(at, text.data() + text.size());
        lastShapeLength_ = static_cast<std::uint32_t>(texts.size()) - lastShape_;
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

std::string_view FileLayout::Text(const Line& line, const CarRow& car, std::string& scratch) const {
    const std::string_view text = Text(line);
    if (line.kind != LineKind::Car)
        return text;
    scratch.clear();
    int column = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t mark = std::min(text.find(kValueMark, at), text.size());
        scratch.append(text, at, mark - at);
        if (mark < text.size())
            scratch.append(car[column++]);
        at = mark + 1;
    }
    return scratch;
}

void FileLayout::ShareRows(const CarTable& cars) {
    for (std::size_t i = 0; i < std::min(cars.size(), was_.Cars.size()); ++i)
        if (was_.Cars[i] == cars[i])
            was_.Cars[i] = cars[i];
}

LayoutRead ReadKeepingLayout(std::string_view bytes) {
    LayoutRead read;
    LayoutCollector collector;
    ParseResult parsed = ParseHandlingText(bytes, &collector);
    read.error = std::move(parsed.error);
    if (!read.error.empty())
        return read;
    read.layout = collector.Finish(ParsedHandlingFile(parsed.file), BomLength(bytes) > 0);
    read.file = std::move(parsed.file);
    return read;
}

std::string WriteKeepingLayout(const FileLayout& layout, const HandlingDocument& doc) {
    const ParsedHandlingFile& was = layout.was_;
    const std::vector<FileLayout::Line>& lines = layout.lines_;
    const auto firstEnded = std::find_if(lines.begin(), lines.end(),
                                         [](const FileLayout::Line& line) { return line.endIndex > 0; });
    const std::string_view defaultEnd =
        firstEnded == lines.end() ? kDefaultEnd : kLineEnds[firstEnded->endIndex];
    const bool lastLineEnds = lines.empty() || lines.back().endIndex > 0;

    const std::vector<int> follows = FollowCars(was.Cars, doc.Cars);
    const BlockPlan beforePlan = PlanBlock(was.BeforeComments, doc.BeforeComments);
    const BlockPlan afterPlan = PlanBlock(was.AfterComments, doc.AfterComments);
    const bool authorChanged = doc.Author != was.Author.value_or("");
    const std::string authorLine = std::string(kAuthorPrefix) + doc.Author;
    bool authorWritten = doc.Author.empty() || !authorChanged;

    LayoutWriter writer(defaultEnd);
    writer.Out().reserve(layout.size_ + kByteOrderMark.size() + 256);
    if (layout.byteOrderMark_)
        writer.Out().append(kByteOrderMark);

    std::size_t nextCar = 0; // the next car of the document to write
    // An added car takes the form of the last car line.
    std::string lastCarScratch;
    std::string_view lastCarLine;
    const auto lastCar = std::find_if(lines.rbegin(), lines.rend(), [](const FileLayout::Line& line) {
        return line.kind == LineKind::Car;
    });
    if (lastCar != lines.rend())
        lastCarLine = layout.Text(*lastCar, was.Cars.back(), lastCarScratch);
    const auto writeAddedUpTo = [&](std::size_t car) {
        for (; nextCar < car; ++nextCar) {
            const CarRow& added = doc.Cars[nextCar];
            writer.Car(was.Cars.empty() ? PlainCarLine(added) : RewriteCarLine(lastCarLine, added), {});
        }
    };
    const auto writeInserted = [&](const BlockPlan& plan, bool later) {
        for (const std::string_view text : plan.inserted)
            later ? writer.LaterComment(text, {}) : writer.Line(text, {});
    };

    std::string scratch;
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
            const int follower = follows[carLine];
            if (follower >= 0) {
                writeAddedUpTo(static_cast<std::size_t>(follower));
                const CarRow& car = doc.Cars[nextCar++];
                const CarRow& read = was.Cars[carLine];
                const std::string_view asRead = layout.Text(line, read, scratch);
                writer.Car(car == read ? asRead : RewriteCarLine(asRead, car), end);
            }
            if (++carLine == carLines)
                writeAddedUpTo(doc.Cars.size());
            break;
        }
        }
    }
    if (!authorWritten)
        writer.Line(authorLine, {});
    if (carLines == 0 && beforePlan.before < 0 && beforePlan.after < 0)
        writeInserted(beforePlan, false);
    writeAddedUpTo(doc.Cars.size());
    if (afterPlan.before < 0 && afterPlan.after < 0)
        writeInserted(afterPlan, true);
    return writer.Finish(lastLineEnds);
}

std::vector<std::string> RewriteCarLines(std::string& text,
                                         const std::vector<std::pair<std::size_t, CarRow>>& cars) {
    struct Place {
        std::size_t start, length;
    };
    std::vector<Place> places;
    std::vector<std::string> lines;
    std::size_t carLine = 0;
    auto next = cars.begin();
    ForEachLine(std::string_view(text).substr(BomLength(text)), [&](std::string_view line) {
        if (next != cars.end() && ClassifyLine(line) == LineKind::Car && carLine++ == next->first) {
            places.push_back({static_cast<std::size_t>(line.data() - text.data()), line.size()});
            lines.push_back(RewriteCarLine(line, (next++)->second));
        }
        return true;
    });
    // A value of the same width leaves its line as long as it was: the text is rewritten where it lies.
    bool sameLengths = true;
    for (std::size_t i = 0; i < lines.size(); ++i)
        sameLengths = sameLengths && lines[i].size() == places[i].length;
    if (sameLengths) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            text.replace(places[i].start, places[i].length, lines[i]);
        return lines;
    }
    std::string out;
    out.reserve(text.size() + 64 * lines.size());
    std::size_t copied = 0; // text up to here is in out
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out.append(text, copied, places[i].start - copied).append(lines[i]);
        copied = places[i].start + places[i].length;
    }
    text = out.append(text, copied);
    return lines;
}

} // namespace kestrix
