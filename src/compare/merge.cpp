#include "compare/merge.h"

#include "compare/car_match.h"
#include "model/stat_catalogue.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace kestrix {

namespace {

template <class Row> int Size(const std::vector<Row>& rows) {
    return static_cast<int>(rows.size());
}

} // namespace

std::string ConflictCell(const MergeConflict& conflict, MergeSide side) {
    if (conflict.kind == ConflictKind::Text && conflict.text != DocumentText::Author)
        return OneLine(conflict.Value(side));
    return conflict.Value(side);
}

namespace {

constexpr std::string_view kWholeCar = "(whole car)";
constexpr std::string_view kBlock = "(block)";
constexpr std::string_view kInBase = "(in base)";
constexpr std::string_view kNotInBase = "(not in base)";
constexpr std::string_view kDeleted = "(deleted)";
constexpr std::string_view kAdded = "(added)";
constexpr std::string_view kOrder = "(order of the cars)";

// Pairs the cars of from that no name matched with the cars of to that none
// matched, where exactly one car on each side holds the same values under
// another name: the car was renamed.
void MatchRenamed(const CarTable& from, const CarTable& to, std::vector<int>& match) {
    std::vector<bool> taken(to.size(), false);
    for (const int row : match) {
        if (row >= 0)
            taken[static_cast<std::size_t>(row)] = true;
    }
    // The values but the name, as one text: values hold no line end.
    const auto key = [](const CarRow& car) {
        std::string text;
        for (int column = 1; column < kStatCount; ++column)
            text.append(car[column]).push_back('\n');
        return text;
    };
    constexpr int kSeveral = -2;
    std::unordered_map<std::string, int> single;
    for (int row = 0; row < Size(to); ++row) {
        if (taken[static_cast<std::size_t>(row)])
            continue;
        const auto [found, fresh] = single.try_emplace(key(to[static_cast<std::size_t>(row)]), row);
        if (!fresh)
            found->second = kSeveral;
    }
    if (single.empty())
        return;
    std::unordered_map<std::string, int> claimed; // key: the row of from, or kSeveral
    for (int row = 0; row < Size(from); ++row) {
        if (match[static_cast<std::size_t>(row)] >= 0)
            continue;
        std::string text = key(from[static_cast<std::size_t>(row)]);
        if (!single.contains(text))
            continue;
        const auto [found, fresh] = claimed.try_emplace(std::move(text), row);
        if (!fresh)
            found->second = kSeveral;
    }
    for (const auto& [text, row] : claimed) {
        const int partner = single.at(text);
        if (row >= 0 && partner >= 0)
            match[static_cast<std::size_t>(row)] = partner;
    }
}

// The names of the cars of side that no base car matched.
std::unordered_set<std::string_view> AddedNames(const CarTable& side, const std::vector<int>& baseToSide) {
    std::vector<bool> matched(side.size(), false);
    for (const int row : baseToSide) {
        if (row >= 0)
            matched[static_cast<std::size_t>(row)] = true;
    }
    std::unordered_set<std::string_view> names;
    for (std::size_t row = 0; row < side.size(); ++row) {
        if (!matched[row])
            names.insert(side[row][0]);
    }
    return names;
}

// A rename on one side to a name the other side added is rather a car both added.
void DropRenamesToAddedNames(const CarTable& base, const CarTable& side, std::vector<int>& baseToSide,
                             const std::unordered_set<std::string_view>& addedByOther) {
    if (addedByOther.empty())
        return;
    for (std::size_t row = 0; row < base.size(); ++row) {
        const int match = baseToSide[row];
        if (match >= 0 && side[static_cast<std::size_t>(match)][0] != base[row][0] &&
            addedByOther.contains(side[static_cast<std::size_t>(match)][0]))
            baseToSide[row] = -1;
    }
}

// The cars of both sides as the merge follows them from the base, whose
// names are indexed once for both.
std::array<std::vector<int>, 2> MatchSides(const NameIndex& baseNames, const CarTable& ours,
                                           const CarTable& theirs) {
    const CarTable& base = baseNames.Cars();
    std::array<std::vector<int>, 2> match{Inverse(MatchCars(ours, baseNames), base.size()),
                                          Inverse(MatchCars(theirs, baseNames), base.size())};
    MatchRenamed(base, ours, match[0]);
    MatchRenamed(base, theirs, match[1]);
    const std::unordered_set<std::string_view> oursAdded = AddedNames(ours, match[0]);
    const std::unordered_set<std::string_view> theirsAdded = AddedNames(theirs, match[1]);
    DropRenamesToAddedNames(base, ours, match[0], theirsAdded);
    DropRenamesToAddedNames(base, theirs, match[1], oursAdded);
    return match;
}

// A car's name with its place among the cars of that name, where several share it.
class PlacedNames {
  public:
    explicit PlacedNames(const CarTable& cars) : cars_(cars) {}
    explicit PlacedNames(const NameIndex& index) : cars_(index.Cars()), index_(&index) {}
    std::string Of(int row) {
        if (!index_)
            index_ = &owned_.emplace(cars_);
        const auto [place, total] = index_->PlaceOf(row);
        std::string name(cars_[static_cast<std::size_t>(row)][0]);
        if (total > 1)
            name += " (" + std::to_string(place) + " of " + std::to_string(total) + ")";
        return name;
    }

  private:
    const CarTable& cars_;
    const NameIndex* index_ = nullptr;
    std::optional<NameIndex> owned_;
};

// Whether a side moved cars or put new ones before others.
bool Rearranged(const std::vector<int>& sideToBase) {
    bool added = false;
    int last = -1;
    for (const int row : sideToBase) {
        if (row < 0) {
            added = true;
            continue;
        }
        if (added || row < last)
            return true;
        last = row;
    }
    return false;
}

class ThreeWayMerge {
  public:
    ThreeWayMerge(const FileContents& base, const FileContents& ours, const FileContents& theirs)
        : base_(*base.Cars), ours_(*ours.Cars), theirs_(*theirs.Cars), baseNames_(base_),
          match_(MatchSides(baseNames_, ours_, theirs_)), baseToOurs_(match_[0]), baseToTheirs_(match_[1]),
          oursToBase_(Inverse(baseToOurs_, ours_.size())),
          theirsToBase_(Inverse(baseToTheirs_, theirs_.size())), names_{PlacedNames(baseNames_),
                                                                        PlacedNames(ours_),
                                                                        PlacedNames(theirs_)} {
        outcome_.cars.resize(base_.size());
        for (int row = 0; row < Size(base_); ++row)
            MergeBaseCar(row);
        MergeAddedCars();
        ArrangeCars();
        for (const DocumentText block : kDocumentTexts)
            MergeBlock(block, TextIn(base, block), TextIn(ours, block), TextIn(theirs, block));
        outcome_.merged.Cars = ArrangeMerged(outcome_.cars, outcome_.order, {}).Cars;
        outcome_.mergedOursRows = ArrangedOursRows(outcome_.cars, outcome_.order);
    }

    MergeOutcome Take() { return std::move(outcome_); }

  private:
    static const CarRow& At(const CarTable& cars, int row) { return cars[static_cast<std::size_t>(row)]; }

    std::string Label(MergeSide side, int row) { return names_[static_cast<std::size_t>(side)].Of(row); }

    MergeConflict& Conflict(ConflictKind kind, std::string car, std::string_view stat,
                            std::array<std::string, 3> values) {
        MergeConflict& conflict = outcome_.conflicts.emplace_back();
        conflict.kind = kind;
        conflict.car = std::move(car);
        conflict.stat = stat;
        conflict.values = std::move(values);
        return conflict;
    }

    void Clean(std::string car, std::string_view stat, std::string_view base, std::string_view ours,
               std::string_view theirs, std::string_view merged, bool wholeCar = false) {
        outcome_.clean.push_back({std::move(car), std::string(stat), std::string(base), std::string(ours),
                                  std::string(theirs), std::string(merged), wholeCar});
    }

    // Value by value into the car of slot; null base: the car is new on both
    // sides, and named as ours names it.
    CarRow MergeRows(int slot, MergeSide named, int namedRow, const CarRow* base, const CarRow& ours,
                     const CarRow& theirs) {
        if (base && ours == *base && theirs == *base)
            return ours;
        std::string label;
        CarValues values;
        for (int column = 0; column < kStatCount; ++column) {
            const std::string_view o = ours[column];
            const std::string_view t = theirs[column];
            const std::string_view b = base ? (*base)[column] : kNotInBase;
            std::string_view& merged = values[static_cast<std::size_t>(column)];
            merged = (o == t || (base && b == t)) ? o : (base && b == o) ? t : o;
            const bool conflict = o != t && (!base || (b != o && b != t));
            if (!conflict && (!base || merged == b))
                continue;
            if (label.empty())
                label = Label(named, namedRow);
            if (!conflict) {
                Clean(label, StatLabel(column), b, o, t, merged);
                continue;
            }
            const ConflictKind kind = !base         ? ConflictKind::AddedOnBoth
                                      : column == 0 ? ConflictKind::Renamed
                                                    : ConflictKind::Value;
            MergeConflict& added =
                Conflict(kind, label, StatLabel(column), {std::string(b), std::string(o), std::string(t)});
            added.slot = slot;
            added.column = column;
        }
        CarRow row;
        row.Assign(values.data(), kStatCount);
        return row;
    }

    static std::string WhatBecame(const CarRow& base, const CarRow& car) {
        if (car == base)
            return "(unchanged)";
        return car[0] == base[0] ? "(changed)" : "(renamed to " + std::string(car[0]) + ")";
    }

    void MergeBaseCar(int row) {
        const CarRow& base = At(base_, row);
        const int ours = baseToOurs_[static_cast<std::size_t>(row)];
        const int theirs = baseToTheirs_[static_cast<std::size_t>(row)];
        MergedCar& slot = outcome_.cars[static_cast<std::size_t>(row)];
        slot.oursRow = ours;
        if (ours >= 0 && theirs >= 0) {
            slot.car = MergeRows(row, MergeSide::Base, row, &base, At(ours_, ours), At(theirs_, theirs));
            return;
        }
        const CarRow* kept = ours >= 0 ? &At(ours_, ours) : theirs >= 0 ? &At(theirs_, theirs) : nullptr;
        const std::string oursDid = ours >= 0 ? WhatBecame(base, *kept) : std::string(kDeleted);
        const std::string theirsDid = theirs >= 0 ? WhatBecame(base, *kept) : std::string(kDeleted);
        if (!kept || *kept == base) {
            slot.car = base;
            slot.kept = false;
            Clean(Label(MergeSide::Base, row), kWholeCar, kInBase, oursDid, theirsDid, kDeleted, true);
            return;
        }
        // Deleted on one side and changed on the other: nothing tells which wins.
        MergeConflict& conflict = Conflict(ConflictKind::DeletedChanged, Label(MergeSide::Base, row),
                                           kWholeCar, {std::string(kInBase), oursDid, theirsDid});
        conflict.slot = row;
        conflict.cars[static_cast<std::size_t>(MergeSide::Base)] = base;
        conflict.cars[static_cast<std::size_t>(ours >= 0 ? MergeSide::Ours : MergeSide::Theirs)] = *kept;
        slot.car = *kept;
        slot.kept = ours >= 0;
    }

    // Cars new on either side; a car both added is merged value by value.
    void MergeAddedCars() {
        // A base car's slot is its row in the base.
        oursSlot_ = oursToBase_;
        theirsSlot_ = theirsToBase_;
        const auto added = [](const CarTable& cars, const std::vector<int>& slots, CarTable& table) {
            std::vector<int> rows;
            for (int row = 0; row < Size(cars); ++row) {
                if (slots[static_cast<std::size_t>(row)] < 0) {
                    rows.push_back(row);
                    table.push_back(cars[static_cast<std::size_t>(row)]);
                }
            }
            return rows;
        };
        CarTable oursTable;
        CarTable theirsTable;
        const std::vector<int> oursAdded = added(ours_, oursSlot_, oursTable);
        const std::vector<int> theirsAdded = added(theirs_, theirsSlot_, theirsTable);
        const std::vector<int> pairs = MatchCars(oursTable, theirsTable);
        for (std::size_t i = 0; i < oursAdded.size(); ++i) {
            const int slot = Size(outcome_.cars);
            const int row = oursAdded[i];
            oursSlot_[static_cast<std::size_t>(row)] = slot;
            const int pair = pairs[i];
            MergedCar car;
            car.oursRow = row;
            if (pair >= 0) {
                theirsSlot_[static_cast<std::size_t>(theirsAdded[static_cast<std::size_t>(pair)])] = slot;
                car.car = MergeRows(slot, MergeSide::Ours, row, nullptr, At(ours_, row),
                                    theirsTable[static_cast<std::size_t>(pair)]);
            } else {
                car.car = At(ours_, row);
                Clean(Label(MergeSide::Ours, row), kWholeCar, kNotInBase, kAdded, "", kAdded, true);
            }
            outcome_.cars.push_back(std::move(car));
        }
        for (const int row : theirsAdded) {
            if (theirsSlot_[static_cast<std::size_t>(row)] >= 0)
                continue;
            theirsSlot_[static_cast<std::size_t>(row)] = Size(outcome_.cars);
            outcome_.cars.push_back({At(theirs_, row), true, -1});
            Clean(Label(MergeSide::Theirs, row), kWholeCar, kNotInBase, "", kAdded, kAdded, true);
        }
    }

    // In the order of one side: the base cars it no longer holds follow the
    // base car before them, and the cars only the other side added come last.
    std::vector<int> Arrange(MergeSide first) const {
        const std::vector<int>& walk = first == MergeSide::Ours ? oursSlot_ : theirsSlot_;
        const std::size_t slots = outcome_.cars.size();
        std::vector<int> position(slots, -1);
        std::vector<int> walked;
        walked.reserve(slots);
        for (const int slot : walk) {
            if (position[static_cast<std::size_t>(slot)] < 0) {
                position[static_cast<std::size_t>(slot)] = Size(walked);
                walked.push_back(slot);
            }
        }
        std::vector<std::pair<int, int>> following; // (position it follows, base slot)
        int anchor = -1;
        for (int row = 0; row < Size(base_); ++row) {
            const int at = position[static_cast<std::size_t>(row)];
            if (at >= 0)
                anchor = at;
            else
                following.emplace_back(anchor, row);
        }
        std::stable_sort(following.begin(), following.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<int> order;
        order.reserve(slots);
        std::size_t next = 0;
        const auto emitFollowing = [&](int at) {
            for (; next < following.size() && following[next].first == at; ++next)
                order.push_back(following[next].second);
        };
        emitFollowing(-1);
        for (int at = 0; at < Size(walked); ++at) {
            order.push_back(walked[static_cast<std::size_t>(at)]);
            emitFollowing(at);
        }
        for (std::size_t slot = base_.size(); slot < slots; ++slot) {
            if (position[slot] < 0)
                order.push_back(static_cast<int>(slot));
        }
        return order;
    }

    // In our order unless only their side moved or inserted cars; both moving
    // them differently is a conflict that our order wins.
    void ArrangeCars() {
        const bool oursMoved = Reordered(baseToOurs_);
        const bool theirsMoved = Reordered(baseToTheirs_);
        const bool theirsFirst = Rearranged(theirsToBase_) && !Rearranged(oursToBase_);
        outcome_.order = Arrange(theirsFirst ? MergeSide::Theirs : MergeSide::Ours);
        const std::string_view oursDid = oursMoved ? "(moved)" : "";
        const std::string_view theirsDid = theirsMoved ? "(moved)" : "";
        if (oursMoved && theirsMoved && !SameOrder()) {
            Conflict(ConflictKind::Order, std::string(kOrder), kBlock,
                     {"(base order)", std::string(oursDid), std::string(theirsDid)});
            outcome_.theirsOrder = Arrange(MergeSide::Theirs);
        } else if (oursMoved || theirsMoved) {
            Clean(std::string(kOrder), kBlock, "(base order)", oursDid, theirsDid, "(moved)");
        }
    }

    // Whether the base cars both sides kept stand in the same order on both.
    bool SameOrder() const {
        std::vector<int> oursOrder;
        std::vector<int> theirsOrder;
        for (const int row : oursToBase_) {
            if (row >= 0 && baseToTheirs_[static_cast<std::size_t>(row)] >= 0)
                oursOrder.push_back(row);
        }
        for (const int row : theirsToBase_) {
            if (row >= 0 && baseToOurs_[static_cast<std::size_t>(row)] >= 0)
                theirsOrder.push_back(row);
        }
        return oursOrder == theirsOrder;
    }

    void MergeBlock(DocumentText block, std::string_view base, std::string_view ours,
                    std::string_view theirs) {
        const std::string_view merged = ours == base ? theirs : ours;
        TextIn(outcome_.merged, block) = std::string(merged);
        if (ours != base && theirs != base && ours != theirs) {
            MergeConflict& conflict = Conflict(ConflictKind::Text, std::string(BlockLabel(block)), kBlock,
                                               {std::string(base), std::string(ours), std::string(theirs)});
            conflict.text = block;
        } else if (merged != base) {
            const bool lines = block != DocumentText::Author;
            const auto cell = [lines](std::string_view text) {
                return lines ? OneLine(text) : std::string(text);
            };
            Clean(std::string(BlockLabel(block)), kBlock, cell(base), cell(ours), cell(theirs), cell(merged));
        }
    }

    const CarTable& base_;
    const CarTable& ours_;
    const CarTable& theirs_;
    const NameIndex baseNames_;
    const std::array<std::vector<int>, 2> match_;
    const std::vector<int>& baseToOurs_;
    const std::vector<int>& baseToTheirs_;
    const std::vector<int> oursToBase_;
    const std::vector<int> theirsToBase_;
    std::array<PlacedNames, 3> names_;
    // Per row of each side, the merged car it is.
    std::vector<int> oursSlot_;
    std::vector<int> theirsSlot_;
    MergeOutcome outcome_;
};

} // namespace

MergeOutcome MergeFiles(const FileContents& base, const FileContents& ours, const FileContents& theirs) {
    return ThreeWayMerge(base, ours, theirs).Take();
}

HandlingDocument ArrangeMerged(const std::vector<MergedCar>& cars, const std::vector<int>& order,
                               const HandlingDocument& texts) {
    HandlingDocument doc;
    for (const DocumentText block : kDocumentTexts)
        TextIn(doc, block) = TextIn(texts, block);
    doc.Cars.reserve(cars.size());
    for (const int slot : order) {
        const MergedCar& car = cars[static_cast<std::size_t>(slot)];
        if (car.kept)
            doc.Cars.push_back(car.car);
    }
    return doc;
}

std::vector<int> ArrangedOursRows(const std::vector<MergedCar>& cars, const std::vector<int>& order) {
    std::vector<int> rows;
    rows.reserve(cars.size());
    for (const int slot : order) {
        const MergedCar& car = cars[static_cast<std::size_t>(slot)];
        if (car.kept)
            rows.push_back(car.oursRow);
    }
    return rows;
}

std::string ConflictText(const std::vector<MergeConflict>& conflicts) {
    std::string out;
    for (const MergeConflict& conflict : conflicts)
        AppendLine(out, {conflict.car, conflict.stat, ConflictCell(conflict, MergeSide::Base),
                         ConflictCell(conflict, MergeSide::Ours), ConflictCell(conflict, MergeSide::Theirs)});
    return out;
}

} // namespace kestrix
