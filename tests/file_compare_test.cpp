#include "compare/file_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

using namespace kestrix;

namespace {

CarRow Car(std::initializer_list<std::string_view> values) {
    CarRow car;
    car.Assign(std::data(values), static_cast<int>(values.size()));
    return car;
}

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
class Editor {
  public:
    explicit Editor(unsigned seed) : random_(seed) {}

    HandlingDocument Document() {
        CarTable cars;
        const int count = Pick(0, 12);
        for (int i = 0; i < count; ++i)
            cars.push_back(RandomCar("CAR_" + std::to_string(Pick(0, 8))));
        return Doc(std::move(cars), Pick(0, 1) ? "; a\r" : "", Pick(0, 1) ? "someone" : "");
    }

    CarRow RandomCar(const std::string& name) {
        CarValues values;
        values[0] = name;
        for (int column = 1; column < kStatCount; ++column)
            values[static_cast<std::size_t>(column)] = Value();
        CarRow car;
        car.Assign(values.data(), kStatCount);
        return car;
    }

    std::string_view Value() {
        static constexpr std::string_view kValues[] = {"1", "2", "0.5", "R", "-3"};
        return kValues[Pick(0, 4)];
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  private:
    std::mt19937 random_;
};

// The edits one side makes: new values by base row and column, deleted base
// rows, and cars added at the end.
struct Edits {
    std::map<std::pair<int, int>, std::string> values;
    std::set<int> deleted;
    CarTable added;
    std::string before;
    bool changesBefore = false;
};

HandlingDocument Apply(const HandlingDocument& base, const std::vector<const Edits*>& sides) {
    HandlingDocument doc = base;
    for (const Edits* edits : sides) {
        for (const auto& [cell, value] : edits->values)
            doc.Cars[static_cast<std::size_t>(cell.first)].Set(cell.second, value);
        if (edits->changesBefore)
            doc.BeforeComments = edits->before;
    }
    CarTable kept;
    for (std::size_t row = 0; row < doc.Cars.size(); ++row) {
        if (std::none_of(sides.begin(), sides.end(),
                         [&](const Edits* edits) { return edits->deleted.contains(static_cast<int>(row)); }))
            kept.push_back(doc.Cars[row]);
    }
    for (const Edits* edits : sides)
        kept.insert(kept.end(), edits->added.begin(), edits->added.end());
    doc.Cars = std::move(kept);
    return doc;
}

bool UniqueName(const CarTable& cars, std::size_t row) {
    return std::count_if(cars.begin(), cars.end(),
                         [&](const CarRow& car) { return car[0] == cars[row][0]; }) == 1;
}

// Edits on two sides that never touch the same value: both may change other
// stats of one car, and a car one side deletes (when its name is unique) the
// other leaves alone.
std::pair<Edits, Edits> SeparateEdits(Editor& editor, const HandlingDocument& base) {
    std::pair<Edits, Edits> sides;
    const auto side = [&]() -> Edits& { return editor.Pick(0, 1) ? sides.first : sides.second; };
    for (std::size_t row = 0; row < base.Cars.size(); ++row) {
        if (UniqueName(base.Cars, row) && editor.Pick(0, 5) == 0) {
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
    Edits& comments = editor.Pick(0, 1) ? sides.first : sides.second;
    comments.changesBefore = editor.Pick(0, 1);
    comments.before = "; changed\r";
    return sides;
}

} // namespace

TEST(FileMergeProperty, SeparateEditsMergeAsBothAppliedAndTheDiffNamesEachOfThem) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        Editor editor(seed);
        const HandlingDocument base = editor.Document();
        const auto [oursEdits, theirsEdits] = SeparateEdits(editor, base);
        const HandlingDocument ours = Apply(base, {&oursEdits});
        const HandlingDocument theirs = Apply(base, {&theirsEdits});
        const MergeOutcome outcome = Merge(base, ours, theirs);
        const HandlingDocument both = Apply(base, {&oursEdits, &theirsEdits});
        EXPECT_TRUE(outcome.conflicts.empty()) << "seed " << seed << ": " << ConflictText(outcome.conflicts);
        EXPECT_EQ(outcome.merged.Cars, both.Cars) << "seed " << seed;
        EXPECT_EQ(outcome.merged.BeforeComments, both.BeforeComments) << "seed " << seed;
        EXPECT_EQ(outcome.merged.Author, base.Author);

        const FileDifference difference = CompareFiles(ContentsOf(base), ContentsOf(ours));
        std::size_t changed = 0;
        for (const auto& [cell, value] : oursEdits.values)
            changed += base.Cars[static_cast<std::size_t>(cell.first)][cell.second] != value;
        EXPECT_EQ(difference.stats.size(), changed) << "seed " << seed;
        EXPECT_EQ(difference.removed, std::vector<int>(oursEdits.deleted.begin(), oursEdits.deleted.end()));
        EXPECT_EQ(difference.added.size(), oursEdits.added.size());
        EXPECT_FALSE(difference.reordered);
        EXPECT_EQ(difference.blocks.empty(), ours.BeforeComments == base.BeforeComments);
        for (const HandlingDocument* doc : {&base, &ours, &outcome.merged})
            EXPECT_EQ(Diff(*doc, *doc), "") << "seed " << seed;
    }
}

TEST(FileCompare, MatchesCarsOfANameAndReportsAMoveOnce) {
    const HandlingDocument before = Doc(
        {Car({"TWIN", "1"}), Car({"SOLO", "5"}), Car({"TWIN", "2"}), Car({"GONE", "3"})}, "; top\r", "me");
    const HandlingDocument after = Doc({Car({"SOLO", "5"}), Car({"TWIN", "1"}), Car({"TWIN", "4", "x"}),
                                        Car({"TWIN", "9"}), Car({"FRESH", "1"})},
                                       "; top\r; more\r", "you");
    EXPECT_EQ(Diff(before, after), "TWIN\t#1 Mass\t2\t9\n"
                                   "GONE\t(removed)\n"
                                   "TWIN\t(added)\n"
                                   "FRESH\t(added)\n"
                                   "(order of the cars)\t(changed)\n"
                                   "(comments before the cars)\t(changed)\n"
                                   "(author)\tme\tyou\n");
    EXPECT_EQ(
        Diff(before, Doc({Car({"TWIN", "1"}), Car({"TWIN", "2"}), Car({"SOLO", "5"}), Car({"GONE", "3"})},
                         "; top\r", "me")),
        "(order of the cars)\t(changed)\n")
        << "the same cars of a name keep their order, so only SOLO moved";
}

TEST(FileMerge, ConflictsKeepOurSideAndAreListed) {
    const HandlingDocument base = Doc({Car({"A", "1", "1"}), Car({"B", "1"}), Car({"C", "1"})}, "; b\r", "x");
    const HandlingDocument ours =
        Doc({Car({"A", "2", "1"}), Car({"B", "2"}), Car({"N", "1"}), Car({"M", "1"})}, "; o\r", "y");
    const HandlingDocument theirs =
        Doc({Car({"A", "3", "5"}), Car({"C", "2"}), Car({"N", "1"}), Car({"M", "2"})}, "; t\r", "y");
    const MergeOutcome outcome = Merge(base, ours, theirs);
    EXPECT_EQ(ConflictText(outcome.conflicts), "A\t#1 Mass\t1\t2\t3\n"
                                               "B\t(whole car)\t(in base)\t(changed)\t(deleted)\n"
                                               "C\t(whole car)\t(in base)\t(deleted)\t(changed)\n"
                                               "M\t#1 Mass\t(not in base)\t1\t2\n"
                                               "(comments before the cars)\t(block)\t; b\t; o\t; t\n");
    EXPECT_EQ(
        Diff(Doc({Car({"A", "2", "5"}), Car({"B", "2"}), Car({"N", "1"}), Car({"M", "1"})}, "; o\r", "y"),
             outcome.merged),
        "")
        << "our values, their change of another stat of A, one N added alike, and the author both chose";
}

TEST(FileMerge, TakesTheOrderOfTheSideThatMovedCars) {
    const HandlingDocument base = Doc({Car({"A", "1"}), Car({"B", "1"}), Car({"C", "1"})});
    const HandlingDocument moved = Doc({Car({"C", "1"}), Car({"A", "1"}), Car({"B", "1"})});
    const HandlingDocument edited = Doc({Car({"A", "1"}), Car({"B", "7"}), Car({"C", "1"}), Car({"D", "1"})});
    const CarTable expected{Car({"C", "1"}), Car({"A", "1"}), Car({"B", "7"}), Car({"D", "1"})};
    EXPECT_EQ(Merge(base, moved, edited).merged.Cars, expected);
    EXPECT_EQ(Merge(base, edited, moved).merged.Cars, expected);
    const MergeOutcome both = Merge(base, moved, Doc({Car({"B", "1"}), Car({"A", "1"}), Car({"C", "1"})}));
    ASSERT_EQ(both.conflicts.size(), 1u);
    EXPECT_EQ(both.conflicts[0].car, "(order of the cars)");
    EXPECT_EQ(both.merged.Cars, moved.Cars);
}
