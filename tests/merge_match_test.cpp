#include "compare/merge_resolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace kestrix;

namespace {

CarRow Car(std::initializer_list<std::string_view> values) {
    CarRow car;
    car.Assign(std::data(values), static_cast<int>(values.size()));
    return car;
}

HandlingDocument Doc(CarTable cars, std::string before = "") {
    HandlingDocument doc;
    doc.Cars = std::move(cars);
    doc.BeforeComments = std::move(before);
    return doc;
}

MergeOutcome Merge(const HandlingDocument& base, const HandlingDocument& ours,
                   const HandlingDocument& theirs) {
    return MergeFiles(ContentsOf(base), ContentsOf(ours), ContentsOf(theirs));
}

// Files where names repeat and cars look alike, and sides that change,
// delete, rename, insert and move them.
class Versions {
  public:
    explicit Versions(unsigned seed) : random_(seed) {}

    HandlingDocument Base() {
        CarTable cars;
        for (int count = Pick(0, 10); count > 0; --count)
            cars.push_back(RandomCar(Name()));
        return Doc(std::move(cars), Pick(0, 1) ? "; a\r" : "");
    }

    // Only values changed, or only cars deleted.
    HandlingDocument Changed(const HandlingDocument& base) {
        HandlingDocument side = base;
        for (CarRow& car : side.Cars) {
            if (Pick(0, 1))
                car.Set(Pick(1, kStatCount - 1), "9");
        }
        return side;
    }
    HandlingDocument Thinned(const HandlingDocument& base) {
        HandlingDocument side = base;
        std::erase_if(side.Cars, [this](const CarRow&) { return Pick(0, 2) == 0; });
        return side;
    }

    HandlingDocument Side(const HandlingDocument& base) {
        HandlingDocument side = base;
        CarTable cars;
        for (CarRow car : base.Cars) {
            const int fate = Pick(0, 9);
            if (fate == 0)
                continue; // deleted
            if (fate == 1)
                car.Set(0, "RENAMED_" + std::to_string(Pick(0, 2)));
            for (int changes = fate >= 6 ? Pick(1, 3) : 0; changes > 0; --changes)
                car.Set(Pick(1, kStatCount - 1), Value());
            cars.push_back(std::move(car));
        }
        for (int added = Pick(0, 2); added > 0; --added)
            cars.insert(cars.begin() + Pick(0, static_cast<int>(cars.size())), RandomCar(Name()));
        if (cars.size() > 1 && Pick(0, 5) == 0)
            std::swap(cars[0], cars.back());
        side.Cars = std::move(cars);
        if (Pick(0, 3) == 0)
            side.BeforeComments = "; side " + std::to_string(Pick(0, 1)) + "\r";
        return side;
    }

  private:
    CarRow RandomCar(const std::string& name) {
        CarRow car;
        car.Set(0, name);
        for (int column = 1; column < kStatCount; ++column)
            car.Set(column, Value());
        return car;
    }
    std::string Name() { return "CAR_" + std::to_string(Pick(0, 3)); }
    std::string_view Value() {
        static constexpr std::string_view kValues[] = {"1", "2", "0.5"};
        return kValues[Pick(0, 2)];
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    std::mt19937 random_;
};

std::map<std::string, int> NameCounts(const CarTable& cars) {
    std::map<std::string, int> counts;
    for (const CarRow& car : cars)
        ++counts[std::string(car[0])];
    return counts;
}

// Every conflict settled by one side.
HandlingDocument AllTaken(const MergeOutcome& outcome, MergeSide side) {
    MergeResolution resolution(outcome);
    for (std::size_t i = 0; i < resolution.Conflicts().size(); ++i)
        resolution.Choose(i, side);
    return resolution.Result();
}

} // namespace

TEST(MergeProperty, ASideAloneIsTakenNoCarIsDoubledAndADeletionChangesNoOtherCar) {
    for (unsigned seed = 0; seed < 600; ++seed) {
        Versions versions(seed);
        const HandlingDocument base = versions.Base();
        const HandlingDocument ours = versions.Side(base);
        const HandlingDocument theirs = versions.Side(base);
        for (const MergeOutcome& outcome :
             {Merge(base, ours, base), Merge(base, base, ours), Merge(base, ours, ours)}) {
            EXPECT_EQ(ConflictText(outcome.conflicts), "") << "seed " << seed;
            EXPECT_EQ(outcome.merged.Cars, ours.Cars) << "seed " << seed;
            EXPECT_EQ(outcome.merged.BeforeComments, ours.BeforeComments) << "seed " << seed;
        }
        const MergeOutcome outcome = Merge(base, ours, theirs);
        const MergeOutcome mirrored = Merge(base, theirs, ours);

        // Each car of a name comes from the base or from a side that added it.
        auto inBase = NameCounts(base.Cars), inOurs = NameCounts(ours.Cars),
             inTheirs = NameCounts(theirs.Cars);
        for (const auto& [name, count] : NameCounts(outcome.merged.Cars)) {
            const int was = inBase[name];
            EXPECT_LE(count, was + std::max(0, inOurs[name] - was) + std::max(0, inTheirs[name] - was))
                << "seed " << seed << ": " << name;
        }

        // Nothing settled keeps our side; their side of everything is what
        // the mirrored merge makes with our side of everything.
        EXPECT_EQ(MergeResolution(outcome).Result().Cars, outcome.merged.Cars) << "seed " << seed;
        EXPECT_EQ(outcome.conflicts.size(), mirrored.conflicts.size()) << "seed " << seed;
        const HandlingDocument theirsTaken = AllTaken(outcome, MergeSide::Theirs);
        const HandlingDocument mirroredOurs = AllTaken(mirrored, MergeSide::Ours);
        EXPECT_TRUE(std::ranges::is_permutation(theirsTaken.Cars, mirroredOurs.Cars)) << "seed " << seed;
        EXPECT_EQ(theirsTaken.BeforeComments, mirroredOurs.BeforeComments) << "seed " << seed;

        // A deletion never changes a value of another car.
        const HandlingDocument changed = versions.Changed(base);
        const HandlingDocument thinned = versions.Thinned(base);
        const MergeOutcome deleted = Merge(base, changed, thinned);
        for (const CarRow& car : deleted.merged.Cars)
            EXPECT_GT(std::ranges::count(changed.Cars, car), 0) << "seed " << seed;
        const HandlingDocument deleting = AllTaken(deleted, MergeSide::Theirs);
        EXPECT_EQ(deleting.Cars.size(), thinned.Cars.size()) << "seed " << seed;
        for (const CarRow& car : deleting.Cars)
            EXPECT_GT(std::ranges::count(changed.Cars, car), 0) << "seed " << seed;
    }
}

TEST(MergeMatch, ADeletionAndAChangeOfOneOfTwoNamesakesMeetOnIt) {
    const CarRow first = Car({"BRACKEN", "1500", "2"});
    const CarRow second = Car({"BRACKEN", "1800", "3"});
    const HandlingDocument base = Doc({first, second, Car({"KITE", "900"})});
    CarRow lighter = first;
    lighter.Set(1, "1400");
    const MergeOutcome outcome =
        Merge(base, Doc({lighter, second, Car({"KITE", "900"})}), Doc({second, Car({"KITE", "900"})}));
    EXPECT_EQ(ConflictText(outcome.conflicts),
              "BRACKEN (1 of 2)\t(whole car)\t(in base)\t(changed)\t(deleted)\n");
    EXPECT_EQ(outcome.merged.Cars, (CarTable{lighter, second, Car({"KITE", "900"})}));
    MergeResolution resolution(outcome);
    std::string problem;
    EXPECT_FALSE(resolution.Type(0, "1450", problem)) << "a whole car takes no typed value";
    resolution.Choose(0, MergeSide::Theirs);
    EXPECT_EQ(resolution.Result().Cars, (CarTable{second, Car({"KITE", "900"})}));
    resolution.Choose(0, MergeSide::Base);
    EXPECT_EQ(resolution.Result().Cars, base.Cars) << "a choice can be made again";
}

TEST(MergeMatch, EachKindOfConflictOffersItsChoices) {
    const HandlingDocument base = Doc({Car({"KITE", "900", "2"}), Car({"ORE", "5"})}, "; b\r");
    const HandlingDocument ours =
        Doc({Car({"KITE_R", "900", "2"}), Car({"ORE", "6"}), Car({"NEW", "1"})}, "; o\r");
    const HandlingDocument theirs =
        Doc({Car({"ORE", "7"}), Car({"KITE_S", "900", "2"}), Car({"NEW", "2"})}, "; t\r; t2\r");
    MergeResolution resolution(Merge(base, ours, theirs));
    EXPECT_EQ(ConflictText(resolution.Conflicts()),
              "KITE\t#0 Vehicle Identifier\tKITE\tKITE_R\tKITE_S\n"
              "ORE\t#1 Mass\t5\t6\t7\n"
              "NEW\t#1 Mass\t(not in base)\t1\t2\n"
              "(comments before the cars)\t(block)\t; b\t; o\t; t | ; t2\n");
    EXPECT_EQ(resolution.Result().Cars[0], Car({"ORE", "6"})) << "our side until one is chosen";
    EXPECT_EQ(resolution.Conflicts()[0].kind, ConflictKind::Renamed)
        << "renamed on both sides, still one car";
    EXPECT_FALSE(resolution.Choose(2, MergeSide::Base)) << "a car both added has no base";
    std::string problem;
    EXPECT_FALSE(resolution.Type(3, "; mine", problem)) << "a comment block is taken whole";
    EXPECT_FALSE(resolution.Type(1, "=*", problem)) << "input that cannot be read";
    EXPECT_EQ(problem, "at character 3, a value is missing at the end");
    EXPECT_TRUE(resolution.Type(1, "=*2", problem));
    EXPECT_EQ(resolution.Chosen(1), "12") << "x is ours' value";
    resolution.Choose(0, MergeSide::Base);
    resolution.Choose(2, MergeSide::Theirs);
    resolution.Choose(3, MergeSide::Theirs);
    const HandlingDocument merged = resolution.Result();
    EXPECT_EQ(merged.Cars, (CarTable{Car({"ORE", "12"}), Car({"KITE", "900", "2"}), Car({"NEW", "2"})}))
        << "in their order: only their side moved a car";
    EXPECT_EQ(merged.BeforeComments, "; t\r; t2\r");
}

namespace {

// The cars of one name, each with values of its own in most columns.
CarTable Namesakes(std::string_view name, int count) {
    CarTable cars(static_cast<std::size_t>(count));
    for (int car = 0; car < count; ++car) {
        cars[static_cast<std::size_t>(car)].Set(0, name);
        for (int column = 1; column < kStatCount; ++column)
            cars[static_cast<std::size_t>(car)].Set(column, std::to_string(100 * car + column));
    }
    return cars;
}

CarRow With(CarRow car, int column, std::string_view value) {
    car.Set(column, value);
    return car;
}

} // namespace

// Identical copies (Add Car copies a car) are equally close to each other's
// partners: they are moved, never changed.
TEST(MergeMatchProperty, ShufflingNamesakesNeverMovesAChangeToAnotherCar) {
    std::mt19937 random(34);
    const auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(random); };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        CarTable base;
        std::vector<bool> copy;
        for (int name = pick(3); name >= 0; --name) {
            const CarTable cars = Namesakes("CAR_" + std::to_string(name), 1 + pick(6));
            for (const CarRow& car : cars) {
                const int copies = pick(4) == 0 ? 1 + pick(1) : 0;
                base.insert(base.end(), 1 + static_cast<std::size_t>(copies), car);
                copy.insert(copy.end(), 1 + static_cast<std::size_t>(copies), copies > 0);
            }
        }
        // Each side changes a few columns of its own of cars that have no copy.
        CarTable ours = base;
        CarTable theirs = base;
        CarTable both = base;
        for (std::size_t row = 0; row < base.size(); ++row) {
            if (copy[row])
                continue;
            for (int side = 0; side < 2; ++side) {
                if (pick(2) != 0)
                    continue;
                const int column = 1 + side * 15 + pick(14);
                const std::string value = "x" + std::to_string(pick(99));
                (side == 0 ? ours : theirs)[row].Set(column, value);
                both[row].Set(column, value);
            }
        }
        // Ours shuffles the cars of each name among the places that name holds.
        std::map<std::string, std::vector<std::size_t>> places;
        for (std::size_t row = 0; row < base.size(); ++row)
            places[std::string(base[row][0])].push_back(row);
        std::vector<std::size_t> order(base.size());
        for (auto& [name, rows] : places) {
            std::vector<std::size_t> shuffled = rows;
            std::shuffle(shuffled.begin(), shuffled.end(), random);
            for (std::size_t i = 0; i < rows.size(); ++i)
                order[rows[i]] = shuffled[i];
        }
        CarTable oursShuffled;
        CarTable expected;
        for (const std::size_t row : order) {
            oursShuffled.push_back(ours[row]);
            expected.push_back(both[row]);
        }
        const MergeOutcome outcome = Merge(Doc(base), Doc(oursShuffled), Doc(theirs));
        EXPECT_EQ(ConflictText(outcome.conflicts), "");
        EXPECT_EQ(outcome.merged.Cars, expected);
        const MergeOutcome mirrored = Merge(Doc(base), Doc(theirs), Doc(oursShuffled));
        EXPECT_EQ(mirrored.merged.Cars, expected) << "their side shuffled: their order";
        const FileDifference moved = CompareFiles(ContentsOf(Doc(ours)), ContentsOf(Doc(oursShuffled)));
        EXPECT_TRUE(moved.stats.empty() && moved.added.empty() && moved.removed.empty());
    }
}

TEST(MergeMatch, TwoCarsOfTheSameValuesRenamedAreNoOnesRename) {
    const CarRow pike = Car({"PIKE", "1500", "2"});
    const HandlingDocument base = Doc({pike, pike, Car({"KITE", "900"})});
    // Ours renames both copies; theirs changes one of them.
    const HandlingDocument ours =
        Doc({With(pike, 0, "PIKE_A"), With(pike, 0, "PIKE_B"), Car({"KITE", "900"})});
    for (int changed = 0; changed < 2; ++changed) {
        CarTable theirs = base.Cars;
        theirs[static_cast<std::size_t>(changed)].Set(1, "1600");
        EXPECT_EQ(ConflictText(Merge(base, ours, Doc(theirs)).conflicts),
                  "PIKE (" + std::to_string(changed + 1) +
                      " of 2)\t(whole car)\t(in base)\t(deleted)\t(changed)\n")
            << "which new name the changed copy took cannot be told";
    }
}

TEST(MergeMatch, TheirOrderChosenIsTheOrderOfTheResult) {
    const HandlingDocument base = Doc({Car({"A", "1"}), Car({"B", "1"}), Car({"C", "1"})});
    const CarTable oursOrder{Car({"C", "1"}), Car({"A", "1"}), Car({"B", "1"})};
    const CarTable theirsOrder{Car({"B", "1"}), Car({"A", "1"}), Car({"C", "2"})};
    MergeResolution resolution(Merge(base, Doc(oursOrder), Doc(theirsOrder)));
    ASSERT_EQ(ConflictText(resolution.Conflicts()),
              "(order of the cars)\t(block)\t(base order)\t(moved)\t(moved)\n");
    EXPECT_EQ(resolution.Result().Cars, (CarTable{Car({"C", "2"}), Car({"A", "1"}), Car({"B", "1"})}));
    EXPECT_EQ(resolution.OursRows(), (std::vector<int>{0, 1, 2}));
    resolution.Choose(0, MergeSide::Theirs);
    EXPECT_EQ(resolution.Chosen(0), "(their order)");
    EXPECT_EQ(resolution.Result().Cars, (CarTable{Car({"B", "1"}), Car({"A", "1"}), Car({"C", "2"})}));
    EXPECT_EQ(resolution.OursRows(), (std::vector<int>{2, 1, 0}))
        << "each car still writes into its own line";
}
