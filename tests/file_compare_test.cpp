#include "compare/file_compare.h"
#include "sample_cars.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
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

// Random documents and random edits of them. Value pools are small, so that
// two sides often make the same change.
struct Editor {
    std::mt19937 random;

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    std::string_view Value() {
        static constexpr std::string_view kValues[] = {"1", "2", "0.5", "R", "-3"};
        return kValues[Pick(0, 4)];
    }
    CarRow RandomCar(const std::string& name) {
        CarValues values{name};
        for (std::size_t column = 1; column < values.size(); ++column)
            values[column] = Value();
        CarRow car;
        car.Assign(values.data(), kStatCount);
        return car;
    }
    HandlingDocument Document() {
        CarTable cars;
        for (int count = Pick(0, 12); count > 0; --count)
            cars.push_back(RandomCar("CAR_" + std::to_string(Pick(0, 8))));
        return Doc(std::move(cars), Pick(0, 1) ? "; a\r" : "", Pick(0, 1) ? "someone" : "");
    }
};

// The edits one side makes: new values by base row and column, deleted base
// rows, cars added at the end, and the comments before the cars.
struct Edits {
    std::map<std::pair<int, int>, std::string> values;
    std::set<int> deleted;
    CarTable added;
    std::optional<std::string> before;
};

HandlingDocument Apply(const HandlingDocument& base, const std::vector<const Edits*>& sides) {
    HandlingDocument doc = base;
    std::set<int> deleted;
    for (const Edits* edits : sides) {
        for (const auto& [cell, value] : edits->values)
            doc.Cars[static_cast<std::size_t>(cell.first)].Set(cell.second, value);
        doc.BeforeComments = edits->before.value_or(doc.BeforeComments);
        deleted.insert(edits->deleted.begin(), edits->deleted.end());
    }
    for (auto row = deleted.rbegin(); row != deleted.rend(); ++row)
        doc.Cars.erase(doc.Cars.begin() + *row);
    for (const Edits* edits : sides)
        doc.Cars.insert(doc.Cars.end(), edits->added.begin(), edits->added.end());
    return doc;
}

// Edits on two sides that never touch the same value: both may change other
// stats of one car, and a car one side deletes (when its name is unique) the
// other leaves alone.
std::pair<Edits, Edits> SeparateEdits(Editor& editor, const HandlingDocument& base) {
    std::pair<Edits, Edits> sides;
    const auto side = [&]() -> Edits& { return editor.Pick(0, 1) ? sides.first : sides.second; };
    for (std::size_t row = 0; row < base.Cars.size(); ++row) {
        const bool unique = std::count_if(base.Cars.begin(), base.Cars.end(), [&](const CarRow& car) {
                                return car[0] == base.Cars[row][0];
                            }) == 1;
        if (unique && editor.Pick(0, 5) == 0) {
            side().deleted.insert(static_cast<int>(row));
            continue;
        }
        std::set<int> changed;
        for (int changes = editor.Pick(0, 4); changes > 0; --changes) {
            const int column = editor.Pick(1, kStatCount - 1);
            if (changed.insert(column).second)
                side().values[{static_cast<int>(row), column}] = editor.Value();
        }
    }
    int added = 0;
    for (Edits* side : {&sides.first, &sides.second}) {
        for (int count = editor.Pick(0, 2); count > 0; --count)
            side->added.push_back(editor.RandomCar("NEW_" + std::to_string(added++)));
    }
    if (editor.Pick(0, 1))
        side().before = "; changed\r";
    return sides;
}

} // namespace

TEST(FileMergeProperty, SeparateEditsMergeAsBothAppliedAndTheDiffNamesEachOfThem) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Editor editor{std::mt19937(seed)};
        const HandlingDocument base = editor.Document();
        const auto [oursEdits, theirsEdits] = SeparateEdits(editor, base);
        const HandlingDocument ours = Apply(base, {&oursEdits});
        const HandlingDocument theirs = Apply(base, {&theirsEdits});
        const MergeOutcome outcome = Merge(base, ours, theirs);
        const HandlingDocument both = Apply(base, {&oursEdits, &theirsEdits});
        EXPECT_EQ(ConflictText(outcome.conflicts), "");
        EXPECT_EQ(outcome.merged.Cars, both.Cars);
        EXPECT_EQ(std::tie(outcome.merged.BeforeComments, outcome.merged.Author),
                  std::tie(both.BeforeComments, base.Author));

        const FileDifference difference = CompareFiles(ContentsOf(base), ContentsOf(ours));
        std::size_t changed = 0;
        for (const auto& [cell, value] : oursEdits.values)
            changed += base.Cars[static_cast<std::size_t>(cell.first)][cell.second] != value;
        EXPECT_EQ(difference.stats.size(), changed);
        EXPECT_EQ(difference.removed, std::vector<int>(oursEdits.deleted.begin(), oursEdits.deleted.end()));
        EXPECT_EQ(difference.added.size(), oursEdits.added.size());
        EXPECT_FALSE(difference.reordered);
        EXPECT_EQ(difference.blocks.empty(), ours.BeforeComments == base.BeforeComments);
        for (const HandlingDocument* doc : {&base, &ours, &outcome.merged})
            EXPECT_EQ(Diff(*doc, *doc), "");
    }
}

TEST(FileCompare, MatchesTheNthCarOfANameAndReportsAMoveOnce) {
    const HandlingDocument before = Doc(Table({"TWIN 1", "SOLO 5", "TWIN 2", "GONE 3"}), "; top\r", "me");
    const HandlingDocument after =
        Doc(Table({"SOLO 5", "TWIN 1", "TWIN 4 x", "TWIN 9", "FRESH 1"}), "; top\r; more\r", "you");
    EXPECT_EQ(Diff(before, after), "TWIN\t#1 Mass\t2\t4\n"
                                   "TWIN\t#2 Dimensions (X)\t\tx\n"
                                   "GONE\t(removed)\n"
                                   "TWIN\t(added)\n"
                                   "FRESH\t(added)\n"
                                   "(order of the cars)\t(changed)\n"
                                   "(comments before the cars)\t(changed)\n"
                                   "(author)\tme\tyou\n");
    EXPECT_EQ(Diff(before, Doc(Table({"TWIN 1", "TWIN 2", "SOLO 5", "GONE 3"}), "; top\r", "me")),
              "(order of the cars)\t(changed)\n")
        << "the same cars of a name keep their order, so only SOLO moved";
}

TEST(FileMerge, ConflictsKeepOurSideAndAreListed) {
    const HandlingDocument base = Doc(Table({"A 1 1", "B 1", "C 1"}), "; b\r", "x");
    const HandlingDocument ours = Doc(Table({"A 2 1", "B 2", "N 1", "M 1"}), "; o\r", "y");
    const HandlingDocument theirs = Doc(Table({"A 3 5", "C 2", "N 1", "M 2"}), "; t\r", "y");
    const MergeOutcome outcome = Merge(base, ours, theirs);
    EXPECT_EQ(ConflictText(outcome.conflicts), "A\t#1 Mass\t1\t2\t3\n"
                                               "B\t(whole car)\t(in base)\t(changed)\t(deleted)\n"
                                               "C\t(whole car)\t(in base)\t(deleted)\t(changed)\n"
                                               "M\t#1 Mass\t(not in base)\t1\t2\n"
                                               "(comments before the cars)\t(block)\t; b\t; o\t; t\n");
    EXPECT_EQ(Diff(Doc(Table({"A 2 5", "B 2", "N 1", "M 1"}), "; o\r", "y"), outcome.merged), "")
        << "our values, their change of another stat of A, one N added alike, and the author both chose";
}

TEST(FileMerge, TakesTheOrderOfTheSideThatMovedCars) {
    const HandlingDocument base = Doc(Table({"A 1", "B 1", "C 1"}));
    const HandlingDocument moved = Doc(Table({"C 1", "A 1", "B 1"}));
    const HandlingDocument edited = Doc(Table({"A 1", "B 7", "C 1", "D 1"}));
    const CarTable expected = Table({"C 1", "A 1", "B 7", "D 1"});
    EXPECT_EQ(Merge(base, moved, edited).merged.Cars, expected);
    EXPECT_EQ(Merge(base, edited, moved).merged.Cars, expected);
    const MergeOutcome both = Merge(base, moved, Doc(Table({"B 1", "A 1", "C 1"})));
    ASSERT_EQ(both.conflicts.size(), 1u);
    EXPECT_EQ(both.conflicts[0].car, "(order of the cars)");
    EXPECT_EQ(both.merged.Cars, moved.Cars);
}
