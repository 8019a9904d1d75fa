#include "handling_file/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

using namespace kestrix;

namespace {

struct Line {
    std::string text;
    std::string end;
};

// CR LF and LF CR end a line each; CR CR and LF LF end two.
std::vector<Line> LinesOf(std::string_view bytes) {
    std::vector<Line> lines;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
        std::string_view ending = bytes.substr(end, 2);
        if (ending != "\r\n" && ending != "\n\r")
            ending = ending.substr(0, 1);
        lines.push_back({std::string(bytes.substr(0, end)), std::string(ending)});
        bytes.remove_prefix(end + ending.size());
    }
    return lines;
}

// Where the car lines are among lines.
std::vector<std::size_t> CarLinesAmong(const std::vector<Line>& lines) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (ClassifyLine(lines[i].text) == LineKind::Car)
            at.push_back(i);
    return at;
}

std::string Pick(std::mt19937& random, const std::vector<std::string>& from) {
    return from[random() % from.size()];
}

const std::vector<std::string> kValues{"0", "1",    "1500",  "2.5", "-0.25", "R",
                                       "P", "2001", "12000", "x",   "16OO"};
const std::vector<std::string> kGaps{" ", " ", "  ", "     ", "\t", " \t", "\t\t"};
const std::vector<std::string> kEnds{"\r\n", "\n", "\r", "\n\r"};

// A car as the test knows it: its values, and the line it came from (-1: added).
struct TestCar {
    std::vector<std::string> values;
    int origin;
};

struct RandomFile {
    std::string bytes;
    std::vector<TestCar> cars;
    std::vector<std::string> before, after;
    std::optional<std::string> author;
};

RandomFile MakeFile(std::mt19937& random) {
    RandomFile file;
    const bool mixedEnds = random() % 4 == 0;
    const std::string fileEnd = Pick(random, kEnds);
    std::vector<Line> lines;
    const auto add = [&](std::string text) {
        lines.push_back({std::move(text), mixedEnds ? Pick(random, kEnds) : fileEnd});
    };
    if (random() % 2)
        add(";-# File Created By Someone");
    if (random() % 2) {
        file.author = "author " + std::to_string(random() % 10);
        add(";-# File Author : " + *file.author);
    }
    const int cars = static_cast<int>(random() % 10);
    for (int i = 0; i <= cars; ++i) {
        for (int comments = static_cast<int>(random() % 3); comments > 0; --comments) {
            const std::string comment = "; note " + std::to_string(random() % 1000);
            (i == 0 ? file.before : file.after).push_back(comment);
            add(comment);
        }
        if (i == cars)
            break;
        TestCar car{{"CAR" + std::to_string(i)}, i};
        const int count = 1 + static_cast<int>(random() % 32);
        while (static_cast<int>(car.values.size()) < count)
            car.values.push_back(Pick(random, kValues));
        std::string text = random() % 4 == 0 ? Pick(random, kGaps) : "";
        for (const std::string& value : car.values)
            text += value + (&value == &car.values.back() ? (random() % 2 ? "" : Pick(random, kGaps))
                                                          : Pick(random, kGaps));
        file.cars.push_back(car);
        add(text);
    }
    file.bytes = random() % 8 == 0 ? "\xEF\xBB\xBF" : "";
    for (const Line& line : lines)
        file.bytes += line.text + line.end;
    // A last line without an end; LF then CR would be one end, so not after "\n".
    if (!lines.empty() && random() % 4 == 0)
        file.bytes.resize(file.bytes.size() - lines.back().end.size());
    return file;
}

std::string Block(const std::vector<std::string>& lines) {
    std::string block;
    for (const std::string& line : lines)
        block += line + "\r";
    return block;
}

void EditBlock(std::mt19937& random, std::vector<std::string>& lines) {
    const std::size_t at = lines.empty() ? 0 : random() % (lines.size() + 1);
    const unsigned kind = random() % 3;
    if (kind == 0)
        lines.insert(lines.begin() + static_cast<long>(at), "; new " + std::to_string(random() % 100));
    else if (kind == 1 && at < lines.size())
        lines.erase(lines.begin() + static_cast<long>(at));
    else if (kind == 2 && at < lines.size())
        lines[at] += " edited";
}

// Where value c of a car line starts and ends.
std::pair<std::size_t, std::size_t> Span(std::string_view line, std::size_t c) {
    std::size_t start = line.find_first_not_of(" \t");
    for (; c > 0; --c)
        start = line.find_first_not_of(" \t", line.find_first_of(" \t", start));
    return {start, std::min(line.find(' ', start), line.size())};
}

} // namespace

TEST(KeepLayout, RandomFilesAndEditsChangeOnlyWhatChangedAndAChangedValueKeepsTheColumnsOfItsLine) {
    std::mt19937 random(21);
    for (int round = 0; round < 3000; ++round) {
        const RandomFile file = MakeFile(random);
        const LayoutRead read = ReadKeepingLayout(file.bytes);
        HandlingDocument doc;
        ApplyToDocument(ParsedHandlingFile(read.file), doc);
        ASSERT_EQ(WriteKeepingLayout(read.layout, doc), file.bytes) << "unchanged: byte for byte";

        std::vector<TestCar> cars = file.cars;
        std::vector<std::string> before = file.before, after = file.after;
        std::string author = file.author.value_or("");
        const bool renames = random() % 2;
        bool moved = false;
        for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits) {
            const std::size_t car = cars.empty() ? 0 : random() % cars.size();
            const unsigned kind = random() % 8;
            if (kind < 3 && !cars.empty()) {
                std::vector<std::string>& values = cars[car].values;
                const std::size_t column =
                    1 + random() % std::min<std::size_t>(values.size(), kStatCount - 1);
                if (column == values.size())
                    values.push_back(Pick(random, kValues));
                else if (column + 1 == values.size() && random() % 3 == 0)
                    values.pop_back();
                else
                    values[column] = Pick(random, {"7", "123456", "0.125", "X", "99999999"});
                if (renames && random() % 3 == 0)
                    values[0] = "RENAMED" + std::to_string(random());
            } else if (kind == 3 && !cars.empty()) {
                cars.erase(cars.begin() + static_cast<long>(car));
            } else if (kind == 7 && cars.size() > 1) {
                std::swap(cars[car], cars[random() % cars.size()]);
                moved = true;
            } else if (kind == 4) {
                cars.push_back({{"ADDED" + std::to_string(random())}, -1});
                for (int i = static_cast<int>(random() % 32); i > 0; --i)
                    cars.back().values.push_back(Pick(random, kValues));
            } else if (kind == 5) {
                EditBlock(random, random() % 2 ? before : after);
            } else if (kind == 6) {
                author = random() % 3 == 0 ? "" : "someone " + std::to_string(random() % 5);
            }
        }
        doc.Cars.clear();
        for (const TestCar& car : cars) {
            std::string line;
            for (const std::string& value : car.values)
                line += value + " ";
            SplitCarLine(line, doc.Cars.emplace_back());
        }
        doc.BeforeComments = Block(before);
        doc.AfterComments = Block(after);
        doc.Author = author;
        std::vector<int> origins;
        for (const TestCar& car : cars)
            origins.push_back(car.origin);
        const std::string saved = WriteKeepingLayout(read.layout, doc, origins);
        SCOPED_TRACE("round " + std::to_string(round) + "\nread:\n" + file.bytes + "\nsaved:\n" + saved);

        const ParseResult back = ParseHandlingText(saved);
        ASSERT_EQ(back.error, "");
        ASSERT_EQ(back.file.Cars, doc.Cars);
        if (!cars.empty()) {
            EXPECT_EQ(std::tie(back.file.BeforeComments, back.file.AfterComments),
                      std::tie(doc.BeforeComments, doc.AfterComments));
        }
        EXPECT_EQ(back.file.Author.value_or(""), author);
        EXPECT_EQ(saved.starts_with("\xEF\xBB\xBF"), file.bytes.starts_with("\xEF\xBB\xBF"));

        // The lines as read that nothing touched come through whole, in order.
        const std::vector<Line> was = LinesOf(file.bytes);
        const std::vector<Line> now = LinesOf(saved);
        const std::vector<std::size_t> oldCarLine = CarLinesAmong(was), newCarLine = CarLinesAmong(now);
        ASSERT_EQ(newCarLine.size(), cars.size());
        std::vector<bool> untouched(was.size(), true);
        bool addedSeen = false;
        for (std::size_t i = 0; i < cars.size(); ++i) {
            const Line& line = now[newCarLine[i]];
            if (cars[i].origin < 0) {
                addedSeen = true;
                continue;
            }
            EXPECT_TRUE(!addedSeen || moved) << "added cars come after the last car line";
            const std::size_t origin = oldCarLine[static_cast<std::size_t>(cars[i].origin)];
            if (cars[i].values == file.cars[static_cast<std::size_t>(cars[i].origin)].values) {
                // Wherever it moved, a car keeps its own line.
                EXPECT_EQ(line.text, was[origin].text);
                untouched[origin] = untouched[origin] && !moved;
                continue;
            }
            untouched[origin] = false;
            EXPECT_TRUE(line.end == was[origin].end || was[origin].end.empty() ||
                        (was.back().end.empty() && newCarLine[i] + 1 == now.size()))
                << "a line keeps its end, but for the last one of a file whose last line had none";
        }
        for (std::size_t i = 0; i < file.cars.size(); ++i)
            if (std::none_of(cars.begin(), cars.end(),
                             [&](const TestCar& car) { return car.origin == int(i); }))
                untouched[oldCarLine[i]] = false;
        // A comment after the first car line, whose cars before it all went,
        // moves after the new first car, or it would read back as one before the cars.
        std::size_t firstKeptCar = was.size();
        for (const TestCar& car : cars)
            if (car.origin >= 0)
                firstKeptCar = std::min(firstKeptCar, oldCarLine[static_cast<std::size_t>(car.origin)]);
        const bool beforeEdited = before != file.before, afterEdited = after != file.after;
        bool inAfter = false;
        for (std::size_t i = 0; i < was.size(); ++i) {
            const LineKind kind = ClassifyLine(was[i].text);
            inAfter = inAfter || kind == LineKind::Car;
            if ((kind == LineKind::Comment && inAfter && (afterEdited || i < firstKeptCar)) ||
                (kind == LineKind::Comment && !inAfter && beforeEdited) ||
                (kind == LineKind::Author && author != file.author.value_or("")))
                untouched[i] = false;
        }
        // The last line may gain an end, or lose it when it becomes the last.
        const bool endless = !was.empty() && was.back().end.empty();
        std::size_t next = 0;
        for (std::size_t i = 0; i < was.size(); ++i) {
            if (!untouched[i])
                continue;
            const auto same = [&](std::size_t at) {
                return now[at].text == was[i].text && (now[at].end == was[i].end || i + 1 == was.size() ||
                                                       (endless && at + 1 == now.size()));
            };
            while (next < now.size() && !same(next))
                ++next;
            ASSERT_LT(next, now.size()) << "line " << i << " kept: " << was[i].text;
            ++next;
        }
        EXPECT_EQ(now.size() + file.cars.size() + file.before.size() + file.after.size() +
                      (file.author ? 1 : 0),
                  was.size() + cars.size() + before.size() + after.size() + (author.empty() ? 0 : 1));
    }

    // Files whose columns are each aligned on the right or the left; a column of values all as wide
    // (even) goes the way the line's other columns go, and in the others neighbours differ in width.
    random.seed(9);
    for (int round = 0; round < 2000; ++round) {
        const std::size_t columns = 2 + random() % 14;
        const unsigned fileKind = random() % 3; // right-aligned, left-aligned, mixed
        std::vector<bool> right(columns), even(columns);
        std::vector<std::size_t> widths(columns, 4 + random() % 3); // a name is four characters
        for (std::size_t c = 1; c < columns; ++c) {
            right[c] = fileKind == 2 ? random() % 2 == 0 : fileKind == 0;
            widths[c] = 2 + random() % 10;
            even[c] = fileKind < 2 && random() % 4 == 0;
        }
        // At most one odd line, whose values all stand further right: it may end a value where a
        // neighbour does.
        std::vector<std::vector<std::string>> cars;
        std::vector<bool> shifted;
        std::string bytes;
        for (std::size_t car = 0, lines = 2 + random() % 8; car < lines; ++car) {
            cars.push_back({"CAR" + std::to_string(car)});
            std::string line = cars[car][0] + std::string(widths[0] - 4, ' ');
            for (std::size_t c = 1; c < (random() % 5 == 0 ? 2 + random() % (columns - 1) : columns); ++c) {
                std::size_t width = even[c] ? widths[c] : 1 + random() % widths[c];
                if (!even[c] && car > 0 && c < cars[car - 1].size() && width == cars[car - 1][c].size())
                    width += width == widths[c] ? -1 : 1;
                const std::string value(width, static_cast<char>('1' + random() % 9)),
                    pad(widths[c] - width, ' ');
                line += " " + (right[c] ? pad + value : value + pad);
                cars[car].push_back(value);
            }
            shifted.push_back(random() % 6 == 0 &&
                              std::find(shifted.begin(), shifted.end(), true) == shifted.end());
            bytes += (shifted.back() ? line.insert(4, 1 + random() % 3, ' ') : line) + "\r\n";
        }
        const LayoutRead read = ReadKeepingLayout(bytes);
        HandlingDocument doc;
        ApplyToDocument(ParsedHandlingFile(read.file), doc);
        for (int changes = 1 + static_cast<int>(random() % 4); changes > 0; --changes) {
            const std::size_t car = random() % cars.size();
            const std::size_t c = 1 + random() % (cars[car].size() - 1);
            doc.Cars[car].Set(static_cast<int>(c), cars[car][c] = std::string(1 + random() % 10, '7'));
        }
        const std::string saved = WriteKeepingLayout(read.layout, doc);
        SCOPED_TRACE("round " + std::to_string(round) + "\nread:\n" + bytes + "\nsaved:\n" + saved);
        ASSERT_EQ(ParseHandlingText(saved).file.Cars, doc.Cars) << "every line reads back as its car";
        const std::vector<Line> was = LinesOf(bytes), now = LinesOf(saved);
        ASSERT_EQ(now.size(), was.size());
        // A right-aligned column keeps its end, a left-aligned one its start, unless the value before
        // it took every blank but one, where its neighbours outnumber the odd line; where nothing tells
        // how a column aligns, it grows on its right.
        const auto odd = std::count(shifted.begin(), shifted.end(), true);
        const bool untold = std::find(even.begin() + 1, even.end(), false) == even.end();
        const auto inGrid = [&](std::size_t other, std::size_t c) {
            return other < cars.size() && !shifted[other] && c < cars[other].size();
        };
        for (std::size_t car = 0; car < cars.size(); ++car) {
            const std::string &old = was[car].text, &line = now[car].text;
            if (doc.Cars[car] == read.file.Cars[car]) {
                EXPECT_EQ(line, old) << "an unchanged line stays as it was";
                continue;
            }
            if (shifted[car])
                continue;
            bool leans = false; // the line's uneven columns show which way the file aligns
            for (std::size_t c = 1; c < cars[car].size(); ++c)
                leans = leans || (odd == 0 && !even[c] && inGrid(car - 1, c) + inGrid(car + 1, c) > 0);
            for (std::size_t c = 1; c < cars[car].size(); ++c) {
                const auto [oldStart, oldEnd] = Span(old, c);
                const auto [start, end] = Span(line, c);
                const bool squeezed = line[start - 2] != ' ';
                const bool told = untold || (even[c] ? leans : inGrid(car - 1, c) + inGrid(car + 1, c) > odd);
                EXPECT_TRUE(!told || squeezed || (right[c] && !untold ? end == oldEnd : start == oldStart))
                    << "value " << c << " of car " << car;
            }
        }
    }
}
