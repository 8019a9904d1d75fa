#include "document/document.h"
#include "document/recovery.h"
#include "handling_file/layout.h"
#include "sample_cars.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <optional>
#include <random>
#include <set>

using namespace kestrix;

namespace {

// Cars C0, C1, ... with blanks and tabs of their own, comment lines between
// them, one kind of line end, and perhaps none after the last line.
std::string RandomFile(std::mt19937& random, int cars) {
    const std::string end = random() % 2 ? "\r\n" : "\n";
    std::string text = random() % 2 ? "; the top" + end : "";
    for (int car = 0; car < cars; ++car) {
        if (random() % 3 == 0)
            text += "; group " + std::to_string(random() % 100) + end;
        std::string line = test::CarLine("C" + std::to_string(car), std::to_string(1000 + random() % 900));
        for (std::size_t at = line.find(' '); at != std::string::npos; at = line.find(' ', at + 2))
            if (random() % 4 == 0)
                line.replace(at, 1, random() % 2 ? "   " : "\t");
        text += line + end;
    }
    text += random() % 2 ? "; the end" + end : "";
    if (random() % 4 == 0)
        text.resize(text.size() - end.size());
    return text;
}

// The lines of a text, without their ends (one kind of end to a file).
std::vector<std::string> LinesOf(std::string text) {
    std::erase(text, '\r');
    if (!text.empty() && !text.ends_with('\n'))
        text += '\n';
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

int CarOf(std::string_view line) {
    return line.starts_with(";") ? -1 : std::stoi(std::string(line.substr(1)));
}

// The model, car by car from the end the cars go towards: a selected shown car
// goes just past the shown car next to it that way, unless that one is selected too.
std::vector<int> Moved(std::vector<int> order, const std::set<int>& shown, const std::set<int>& selected,
                       bool up) {
    const auto isShown = [&](std::size_t at) { return shown.contains(order[at]); };
    const auto picked = [&](std::size_t at) { return isShown(at) && selected.contains(order[at]); };
    for (std::size_t step = 0; step < order.size(); ++step) {
        const std::size_t at = up ? step : order.size() - 1 - step;
        if (!picked(at))
            continue;
        std::size_t next = at;
        do
            next = up ? next - 1 : next + 1;
        while (next < order.size() && !isShown(next));
        if (next >= order.size() || picked(next))
            continue;
        const int car = order[at];
        order.erase(order.begin() + static_cast<long>(at));
        order.insert(order.begin() + static_cast<long>(next), car);
    }
    return order;
}

// How many cars keep their order at most.
std::size_t LongestInOrder(const std::vector<int>& order) {
    std::vector<std::size_t> run(order.size(), 1);
    for (std::size_t i = 0; i < order.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (order[j] < order[i])
                run[i] = std::max(run[i], run[j] + 1);
    return order.empty() ? 0 : *std::max_element(run.begin(), run.end());
}

std::vector<int> OrderOf(const Document& doc) {
    std::vector<int> order;
    for (const CarRow& car : doc.Cars())
        order.push_back(CarOf(car[VehicleIdentifier]));
    return order;
}

// For each comment line after the first car line, the cars above it; with
// first, the first car line's car, whoever it is, is -1: a comment after it
// whose cars above all moved stays after the first car.
std::vector<std::set<int>> CarsAboveComments(const std::vector<std::string>& lines, bool first) {
    std::vector<std::set<int>> above;
    std::set<int> cars;
    for (const std::string& line : lines) {
        if (CarOf(line) >= 0)
            cars.insert(cars.empty() && first ? -1 : CarOf(line));
        else if (!cars.empty())
            above.push_back(cars);
    }
    return above;
}

// The file saved in its layout after the moves: its own lines, each car's
// line whole, and the comment lines standing among the cars that kept their
// order as they stood: a comment has no more cars on another side than have moved.
void ExpectLinesPermuted(const std::string& file, const LayoutRead& read, const Document& doc) {
    const std::string saved = WriteKeepingLayout(read.layout, doc.Data(), doc.SavedRows());
    SCOPED_TRACE("read:\n" + file + "\nsaved:\n" + saved);
    const ParseResult back = ParseHandlingText(saved);
    ASSERT_EQ(back.file.Cars, doc.Cars());
    EXPECT_EQ(back.file.AfterComments, read.file.AfterComments);
    const std::vector<std::string> was = LinesOf(file), now = LinesOf(saved);
    ASSERT_TRUE(std::ranges::is_permutation(now, was)) << "the same lines, byte for byte";
    EXPECT_EQ(saved.size(), file.size()) << "with the same line ends";
    const std::vector<int> order = OrderOf(doc);
    std::vector<std::size_t> crossings(CarsAboveComments(was, false).size(), order.size());
    const std::size_t moved = order.size() - LongestInOrder(order);
    for (const bool first : {false, true}) {
        const std::vector<std::set<int>> before = CarsAboveComments(was, first),
                                         after = CarsAboveComments(now, first);
        ASSERT_EQ(before.size(), after.size());
        for (std::size_t comment = 0; comment < before.size(); ++comment) {
            std::vector<int> crossed;
            std::set_symmetric_difference(before[comment].begin(), before[comment].end(),
                                          after[comment].begin(), after[comment].end(),
                                          std::back_inserter(crossed));
            crossings[comment] = std::min(crossings[comment], crossed.size());
        }
    }
    for (std::size_t comment = 0; comment < crossings.size(); ++comment)
        EXPECT_LE(crossings[comment], moved) << "comment " << comment;
}

// The journal replayed on the file gives the same steps, each named as it was.
void ExpectRecovered(Document& doc, const DocumentRecovery& recovery, const HandlingDocument& file,
                     std::size_t steps) {
    Document again;
    again.Read(file);
    if (recovery.Journal().Active()) {
        ASSERT_EQ(ReplayJournal(again, ReadJournal(recovery.Journal().Path()).records), "");
    }
    std::size_t undone = 0;
    for (; doc.CanUndo(); ++undone) {
        ASSERT_EQ(again.Cars(), doc.Cars());
        ASSERT_TRUE(again.CanUndo());
        EXPECT_EQ(again.NextUndo()->caption, doc.NextUndo()->caption);
        doc.Undo();
        again.Undo();
    }
    EXPECT_EQ(undone, steps);
    EXPECT_FALSE(again.CanUndo());
}

class Moves : public test::TempFolderTest {};

} // namespace

TEST_F(Moves, AnyMovesFollowTheModelJoinAsOneStepRecoverAndSaveTheFilesLinesInTheNewOrder) {
    std::mt19937 random(5);
    for (int round = 0; round < 100; ++round) {
        const int cars = 1 + static_cast<int>(random() % 9);
        const std::string file = RandomFile(random, cars);
        const LayoutRead read = ReadKeepingLayout(file);
        HandlingDocument data;
        ApplyToDocument(ParsedHandlingFile(read.file), data);
        data.FilePath = "Handling.cfg";
        Document doc;
        DocumentRecovery recovery(doc);
        recovery.SetFolder(Path("state-" + std::to_string(round)));
        doc.Read(data);

        std::vector<int> identity(static_cast<std::size_t>(cars));
        std::iota(identity.begin(), identity.end(), 0);
        std::vector<std::vector<int>> states{identity};
        std::size_t position = 0;
        // The move that made each state: the cars it moved and its way.
        std::vector<std::optional<std::pair<std::set<int>, bool>>> madeBy(1);
        for (int step = 0; step < 25; ++step) {
            SCOPED_TRACE("round " + std::to_string(round) + ", step " + std::to_string(step));
            const unsigned action = random() % 8;
            if (action < 6) {
                std::set<int> shown, selected, moving;
                std::vector<int> shownRows, selectedRows;
                for (int row = 0; row < cars; ++row) {
                    const int car = CarOf(doc.Cars()[static_cast<std::size_t>(row)][VehicleIdentifier]);
                    if (random() % 4 != 0) {
                        shown.insert(car);
                        shownRows.push_back(row);
                    }
                    if (random() % 3 == 0) { // a hidden car selected is left where it is
                        selected.insert(car);
                        selectedRows.push_back(row);
                        if (shown.contains(car))
                            moving.insert(car);
                    }
                }
                const bool up = random() % 2;
                const std::vector<int> model = Moved(states[position], shown, selected, up);
                doc.Commit(MoveCarsChange(doc.Cars(), shownRows, selectedRows,
                                          up ? MoveDirection::Up : MoveDirection::Down));
                if (model == states[position]) {
                    ASSERT_EQ(OrderOf(doc), model);
                    continue; // no step
                }
                const bool joins = position > 0 && madeBy[position] == std::pair(moving, up);
                states.resize(position + 1);
                madeBy.resize(position + 1);
                if (joins) {
                    states.back() = model;
                } else {
                    states.push_back(model);
                    madeBy.push_back(std::pair(moving, up));
                    ++position;
                }
                const std::string way = up ? "Up" : "Down";
                EXPECT_EQ(doc.NextUndo()->caption,
                          moving.size() == 1 ? "Move Car " + way
                                             : "Move " + std::to_string(moving.size()) + " Cars " + way);
            } else {
                const bool undo = action == 6;
                if (undo ? position == 0 : position + 1 == states.size())
                    continue;
                undo ? doc.Undo() : doc.Redo();
                position += undo ? -1 : 1;
            }
            ASSERT_EQ(OrderOf(doc), states[position]);
            for (int row = 0; row < cars; ++row)
                ASSERT_EQ(doc.SavedRowOf(row), states[position][static_cast<std::size_t>(row)])
                    << "every car stays the file's car";
            EXPECT_EQ(doc.ChangedValueCount(), 0u);
            EXPECT_EQ(doc.Modified(), position != 0);
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectLinesPermuted(file, read, doc);
        ExpectRecovered(doc, recovery, data, position);

        // A save ends a run of moves: the next move of the same car is a step of its own.
        if (cars >= 3) {
            doc.Commit(MoveCarsChange(doc.Cars(), identity, {0}, MoveDirection::Down));
            doc.Saved("Handling.cfg");
            const std::vector<int> saved = OrderOf(doc);
            doc.Commit(MoveCarsChange(doc.Cars(), identity, {1}, MoveDirection::Down));
            doc.Undo();
            EXPECT_EQ(OrderOf(doc), saved);
            EXPECT_FALSE(doc.Modified()) << "the saved file's order";
        }
    }
}
