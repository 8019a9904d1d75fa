#include "compare/car_match.h"
#include "compare/car_paste.h"
#include "compare/file_compare.h"
#include "compare/merge.h"
#include "sample_cars.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <random>
#include <set>
#include <tuple>

using namespace kestrix;
using test::Table;

namespace {

HandlingDocument Doc(CarTable cars, std::string before = "; top\r", std::string author = "") {
    HandlingDocument doc;
    doc.Cars = std::move(cars);
    doc.BeforeComments = std::move(before);
    doc.Author = std::move(author);
    return doc;
}

std::string Diff(const HandlingDocument& before, const HandlingDocument& after) {
    return DifferenceText(ContentsOf(before), ContentsOf(after),
                          CompareFiles(ContentsOf(before), ContentsOf(after)));
}

MergeOutcome Merge(const HandlingDocument& base, const HandlingDocument& ours,
                   const HandlingDocument& theirs) {
    return MergeFiles(ContentsOf(base), ContentsOf(ours), ContentsOf(theirs));
}

// A random base and two sides that edit it apart: each value, each deleted
// car and the comments are changed by one side at most, so a merge must take
// both. Values come from a small pool, so that a change often restores a value.
struct Sides {
    HandlingDocument base, ours, theirs, both;
    std::size_t oursChanged = 0; // values of ours that differ from the base
    std::vector<int> oursRemoved;
    std::size_t oursAdded = 0;
};

Sides EditedApart(std::mt19937& random) {
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto value = [&] { return std::array<std::string, 5>{"1", "2", "0.5", "R", "-3"}[pick(5)]; };
    const auto car = [&](const std::string& name) {
        std::string line = name;
        for (int column = 1; column < kStatCount; ++column)
            line += " " + value();
        return Table({line})[0];
    };
    Sides s;
    for (int count = pick(13); count > 0; --count)
        s.base.Cars.push_back(car("CAR_" + std::to_string(pick(9))));
    s.base.BeforeComments = pick(2) ? "; a\r" : "";
    s.base.Author = pick(2) ? "someone" : "";
    s.ours = s.theirs = s.both = s.base;
    for (HandlingDocument* doc : {&s.ours, &s.theirs, &s.both})
        doc->Cars.clear();
    for (int row = 0; row < static_cast<int>(s.base.Cars.size()); ++row) {
        const CarRow& was = s.base.Cars[static_cast<std::size_t>(row)];
        CarRow ours = was, theirs = was, both = was;
        // A car of a name no other car has may be deleted by one side; the other leaves it alone.
        if (std::ranges::count(s.base.Cars, was[0], [](const CarRow& car) { return car[0]; }) == 1 &&
            pick(6) == 0) {
            const bool byUs = pick(2);
            (byUs ? s.theirs : s.ours).Cars.push_back(was);
            if (byUs)
                s.oursRemoved.push_back(row);
            continue;
        }
        std::set<int> changed;
        for (int changes = pick(5); changes > 0; --changes) {
            const int column = 1 + pick(kStatCount - 1);
            if (!changed.insert(column).second)
                continue;
            const std::string now = value();
            const bool byUs = pick(2);
            (byUs ? ours : theirs).Set(column, now);
            both.Set(column, now);
            s.oursChanged += byUs && now != was[column];
        }
        s.ours.Cars.push_back(ours);
        s.theirs.Cars.push_back(theirs);
        s.both.Cars.push_back(both);
    }
    int added = 0;
    for (HandlingDocument* side : {&s.ours, &s.theirs})
        for (int count = pick(3); count > 0; --count) {
            side->Cars.push_back(car("NEW_" + std::to_string(added++)));
            s.both.Cars.push_back(side->Cars.back());
            s.oursAdded += side == &s.ours;
        }
    if (pick(2))
        (pick(2) ? s.ours : s.theirs).BeforeComments = s.both.BeforeComments = "; changed\r";
    return s;
}

} // namespace

TEST(FileMergeProperty, SeparateEditsMergeAsBothAppliedAndTheDiffNamesEachOfThem) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const Sides sides = EditedApart(random);
        const MergeOutcome outcome = Merge(sides.base, sides.ours, sides.theirs);
        EXPECT_EQ(ConflictText(outcome.conflicts), "");
        EXPECT_EQ(outcome.merged.Cars, sides.both.Cars);
        EXPECT_EQ(std::tie(outcome.merged.BeforeComments, outcome.merged.Author),
                  std::tie(sides.both.BeforeComments, sides.base.Author));

        const FileDifference difference = CompareFiles(ContentsOf(sides.base), ContentsOf(sides.ours));
        EXPECT_EQ(difference.stats.size(), sides.oursChanged);
        EXPECT_EQ(difference.removed, sides.oursRemoved);
        EXPECT_EQ(difference.added.size(), sides.oursAdded);
        EXPECT_FALSE(difference.reordered);
        EXPECT_EQ(difference.blocks.empty(), sides.ours.BeforeComments == sides.base.BeforeComments);
        for (const HandlingDocument* doc : {&sides.base, &sides.ours, &outcome.merged})
            EXPECT_EQ(Diff(*doc, *doc), "");
    }
}

TEST(FileCompare, TheDiffMatchesCarsOfANameAndListsEveryDifference) {
    const HandlingDocument before = Doc(Table({"TWIN 1", "SOLO 5", "TWIN 2", "GONE 3"}), "; top\r", "me");
    const HandlingDocument after =
        Doc(Table({"SOLO 5", "TWIN 1", "TWIN 4 x", "TWIN 9", "FRESH 1"}), "; top\r; more\r", "you");
    EXPECT_EQ(Diff(before, after), "TWIN\t#1 Mass\t2\t9\n"
                                   "GONE\t(removed)\n"
                                   "TWIN\t(added)\n"
                                   "FRESH\t(added)\n"
                                   "(order of the cars)\t(changed)\n"
                                   "(comments before the cars)\t(changed)\n"
                                   "(author)\tme\tyou\n");
    // Both old TWINs share a value with the second new one alone: the pairing that keeps their places wins.
    EXPECT_EQ(Diff(Doc(Table({"TWIN 1 7", "TWIN 2 7"})), Doc(Table({"TWIN 3 8", "TWIN 4 7"}))),
              "TWIN\t#1 Mass\t1\t3\nTWIN\t#2 Dimensions (X)\t7\t8\nTWIN\t#1 Mass\t2\t4\n");
}

// The n-th car of a name is matched with the n-th; over another file, each
// line names exactly the values that differ.
TEST(CarPasteProperty, CopiedLinesComeBackAsTheirOwnCarsWhateverTheBlanks) {
    std::mt19937 random(26);
    for (int round = 0; round < 200; ++round) {
        const Sides s = EditedApart(random);
        std::vector<int> rows(s.ours.Cars.size());
        std::iota(rows.begin(), rows.end(), 0);
        std::string lines = CarLinesOf(WriteHandlingText(s.ours), rows);
        for (char& c : lines)
            if (c == ' ' && random() % 3 == 0)
                c = random() % 2 ? '\t' : '\xA0';
        const CarPaste back = ReadCarPaste(lines, s.ours.Cars);
        const CarPaste onBase = ReadCarPaste(lines, s.base.Cars);
        ASSERT_EQ(back.lines.size(), rows.size());
        const std::vector<int> matches = MatchCars(s.ours.Cars, s.base.Cars);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(back.lines[i].docRow, static_cast<int>(i));
            EXPECT_TRUE(back.lines[i].differing.empty());
            ASSERT_EQ(onBase.lines[i].docRow, matches[i]);
            // No value here is four hexadecimal digits: a Flags value that differs is refused.
            std::vector<int> differing;
            std::vector<int> refused;
            for (int column = 1; matches[i] >= 0 && column < kStatCount; ++column)
                if (s.ours.Cars[i][column] != s.base.Cars[static_cast<std::size_t>(matches[i])][column])
                    (column == Flags ? refused : differing).push_back(column);
            EXPECT_EQ(onBase.lines[i].differing, differing);
            ASSERT_EQ(onBase.lines[i].refused.size(), refused.size());
            EXPECT_TRUE(refused.empty() || onBase.lines[i].refused[0].column == Flags);
        }
    }
}

// A spreadsheet gives values back in its own spelling: a number equal in value,
// or a Flags value equal apart from case and the leading zeros it drops, is no
// difference; any other Flags value that is not four hexadecimal digits is
// refused, and a new car with one is a refused line; text compares exactly.
TEST(CarPaste, ASpreadsheetsSpellingIsNoDifferenceAndAFlagsValueItCannotTellIsRefused) {
    enum Verdict { Same, Differs, Refused };
    const std::tuple<int, std::string_view, std::string_view, Verdict> cases[] = {
        {Flags, "0001", "1", Same},       {Flags, "00ab", "AB", Same},      {Flags, "1001", "1", Refused},
        {Flags, "0001", "10", Refused},   {Flags, "2001", "", Refused},     {Flags, "2001", "20010", Refused},
        {Flags, "2001", "200G", Refused}, {Flags, "2001", "2002", Differs}, {Flags, "12", "0012", Differs},
        {1, "1870.0", "1870", Same},      {1, "1,5", "1.5", Differs},       {DriveType, "R", "r", Differs},
        {Abs, "1", "1.0", Differs},
    };
    for (const auto& [column, stored, pasted, verdict] : cases) {
        const PastedValue value = MeetStored(column, stored, pasted);
        EXPECT_EQ(value.differs           ? Differs
                  : value.refusal.empty() ? Same
                                          : Refused,
                  verdict)
            << stored << " and " << pasted;
    }
    const std::string line = test::CarLine("NEW", "1500.0", "R P 1 1 1 1");
    const CarPaste paste = ReadCarPaste(line + "\n" + test::CarLine("OLD", "1500.0", "R P 1 1 1 1"),
                                        Table({test::CarLine("OLD", "1500", "R P 1 1000 1 1")}));
    ASSERT_EQ(paste.lines.size(), 2u);
    EXPECT_EQ(paste.lines[0].refusal, "its Flags value \"1\" is not four hexadecimal digits");
    EXPECT_TRUE(paste.lines[1].differing.empty());
    ASSERT_EQ(paste.lines[1].refused.size(), 1u);
    EXPECT_EQ(paste.lines[1].refused[0].column, Flags);
}
