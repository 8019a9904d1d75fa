#include "compare/file_compare.h"

#include "handling_file/file_read.h"
#include "model/stat_catalogue.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace kestrix {

namespace {

template <class Row> int Size(const std::vector<Row>& rows) {
    return static_cast<int>(rows.size());
}

// True when the matched rows do not stand in ascending order.
bool Reordered(const std::vector<int>& match) {
    int last = -1;
    for (const int row : match) {
        if (row < 0)
            continue;
        if (row < last)
            return true;
        last = row;
    }
    return false;
}

void AppendLine(std::string& out, std::initializer_list<std::string_view> cells) {
    bool first = true;
    for (const std::string_view cell : cells) {
        if (!first)
            out += '\t';
        out += cell;
        first = false;
    }
    out += '\n';
}

// A comment block on one line, for the conflict list.
std::string OneLine(std::string_view block) {
    if (block.ends_with('\r'))
        block.remove_suffix(1);
    // Built in one pass: a block of thousands of lines must not move its tail at each one.
    std::string line;
    line.reserve(block.size());
    for (const char c : block) {
        if (c == '\r')
            line.append(" | ");
        else
            line.push_back(c);
    }
    return line;
}

// The matching the other way round: matching is symmetric.
std::vector<int> Inverse(const std::vector<int>& match, std::size_t size) {
    std::vector<int> inverse(size, -1);
    for (std::size_t row = 0; row < match.size(); ++row) {
        if (match[row] >= 0)
            inverse[static_cast<std::size_t>(match[row])] = static_cast<int>(row);
    }
    return inverse;
}

} // namespace

FileContents ContentsOf(const HandlingDocument& doc) {
    return {&doc.Cars, doc.BeforeComments, doc.AfterComments, doc.Author};
}

FileContents ContentsOf(const ParsedHandlingFile& file) {
    return {&file.Cars, file.BeforeComments, file.AfterComments,
            file.Author ? std::string_view(*file.Author) : std::string_view()};
}

std::string_view BlockLabel(DocumentText block) {
    switch (block) {
    case DocumentText::BeforeComments:
        return "(comments before the cars)";
    case DocumentText::AfterComments:
        return "(comments after the cars)";
    case DocumentText::Author:
        break;
    }
    return "(author)";
}

namespace {

// Beyond this many steps in one matching, the cars of the names left pair in
// order: only files of thousands of cars of a few names come near it.
constexpr std::size_t kMostAlignmentSteps = std::size_t{1} << 22;

constexpr std::size_t kValues = kStatCount - 1; // the name aside

// The values but the name of the cars of fewer, then of more, each as a number
// that two equal values share: comparing two cars is then 31 comparisons of
// numbers, however long the values.
std::vector<std::uint32_t> ValueNumbers(const std::vector<int>& fewer, const CarTable& fewerCars,
                                        const std::vector<int>& more, const CarTable& moreCars) {
    std::vector<std::uint32_t> numbers;
    numbers.reserve((fewer.size() + more.size()) * kValues);
    std::unordered_map<std::string_view, std::uint32_t> seen;
    const auto number = [&](const std::vector<int>& rows, const CarTable& cars) {
        for (const int row : rows) {
            const CarRow& car = cars[static_cast<std::size_t>(row)];
            for (int column = 1; column < kStatCount; ++column)
                numbers.push_back(
                    seen.try_emplace(car[column], static_cast<std::uint32_t>(seen.size())).first->second);
        }
    };
    number(fewer, fewerCars);
    number(more, moreCars);
    return numbers;
}

// How many values two cars share.
int Likeness(const std::uint32_t* a, const std::uint32_t* b) {
    int same = 0;
    for (std::size_t i = 0; i < kValues; ++i)
        same += a[i] == b[i];
    return same;
}

// Pairs each row of fewer (rows of one name in its table) with one of more,
// in order, so that the pairs share the most values; ties pair earlier rows.
// Gives, per row of fewer, the place in more it pairs with.
// steps: what is left of kMostAlignmentSteps.
std::vector<int> AlignFewer(const std::vector<int>& fewer, const CarTable& fewerCars,
                            const std::vector<int>& more, const CarTable& moreCars, std::size_t& steps) {
    const std::size_t n = fewer.size();
    const std::size_t skips = more.size() - n;
    std::vector<int> pairs(n);
    if (n * (skips + 1) > steps) {
        for (std::size_t j = 0; j < n; ++j)
            pairs[j] = static_cast<int>(j);
        return pairs;
    }
    steps -= n * (skips + 1);
    const std::vector<std::uint32_t> values = ValueNumbers(fewer, fewerCars, more, moreCars);
    const std::uint32_t* moreValues = &values[n * kValues];
    // best[j][d]: the most shared values with the first j of fewer paired
    // among the first j + d of more.
    const std::size_t width = skips + 1;
    std::vector<int> best((n + 1) * width, 0);
    const auto at = [&](std::size_t j, std::size_t d) -> int& { return best[j * width + d]; };
    for (std::size_t j = 1; j <= n; ++j) {
        const std::uint32_t* car = &values[(j - 1) * kValues];
        for (std::size_t d = 0; d < width; ++d) {
            const int paired = at(j - 1, d) + Likeness(car, &moreValues[(j + d - 1) * kValues]);
            at(j, d) = d > 0 ? std::max(paired, at(j, d - 1)) : paired;
        }
    }
    std::size_t d = skips;
    for (std::size_t j = n; j > 0;) {
        if (d > 0 && at(j, d) == at(j, d - 1)) {
            --d; // the later car of more stays single
            continue;
        }
        pairs[j - 1] = static_cast<int>(j - 1 + d);
        --j;
    }
    return pairs;
}

} // namespace

std::vector<int> MatchCars(const CarTable& from, const CarTable& to) {
    // The rows of each name in both tables, chained in file order.
    struct Name {
        int toFirst = -1, toLast = -1, toCount = 0;
        int fromFirst = -1, fromLast = -1, fromCount = 0;
    };
    std::vector<Name> names;
    std::unordered_map<std::string_view, int> index;
    index.reserve(to.size());
    std::vector<int> toNext(to.size(), -1);
    std::vector<int> fromNext(from.size(), -1);
    const auto chain = [](int row, int& first, int& last, int& count, std::vector<int>& next) {
        if (last >= 0)
            next[static_cast<std::size_t>(last)] = row;
        else
            first = row;
        last = row;
        ++count;
    };
    for (int row = 0; row < Size(to); ++row) {
        const auto [found, fresh] = index.try_emplace(to[static_cast<std::size_t>(row)][0], Size(names));
        if (fresh)
            names.emplace_back();
        Name& name = names[static_cast<std::size_t>(found->second)];
        chain(row, name.toFirst, name.toLast, name.toCount, toNext);
    }
    for (int row = 0; row < Size(from); ++row) {
        const auto found = index.find(from[static_cast<std::size_t>(row)][0]);
        if (found == index.end())
            continue;
        Name& name = names[static_cast<std::size_t>(found->second)];
        chain(row, name.fromFirst, name.fromLast, name.fromCount, fromNext);
    }
    std::vector<int> match(from.size(), -1);
    std::size_t steps = kMostAlignmentSteps;
    std::vector<int> fromRows;
    std::vector<int> toRows;
    const auto rows = [](int first, const std::vector<int>& next, std::vector<int>& out) {
        out.clear();
        for (int row = first; row >= 0; row = next[static_cast<std::size_t>(row)])
            out.push_back(row);
    };
    for (const Name& name : names) {
        if (name.fromCount == 0)
            continue;
        if (name.fromCount == name.toCount) {
            for (int f = name.fromFirst, t = name.toFirst; f >= 0;
                 f = fromNext[static_cast<std::size_t>(f)], t = toNext[static_cast<std::size_t>(t)])
                match[static_cast<std::size_t>(f)] = t;
            continue;
        }
        rows(name.fromFirst, fromNext, fromRows);
        rows(name.toFirst, toNext, toRows);
        if (fromRows.size() < toRows.size()) {
            const std::vector<int> pairs = AlignFewer(fromRows, from, toRows, to, steps);
            for (std::size_t j = 0; j < fromRows.size(); ++j)
                match[static_cast<std::size_t>(fromRows[j])] = toRows[static_cast<std::size_t>(pairs[j])];
        } else {
            const std::vector<int> pairs = AlignFewer(toRows, to, fromRows, from, steps);
            for (std::size_t j = 0; j < toRows.size(); ++j)
                match[static_cast<std::size_t>(fromRows[static_cast<std::size_t>(pairs[j])])] = toRows[j];
        }
    }
    return match;
}

namespace {

void AppendValueDifferences(const CarRow& oldCar, const CarRow& newCar, int oldRow, int newRow,
                            FileDifference& difference) {
    if (oldCar == newCar)
        return;
    for (int column = 1; column < kStatCount; ++column) {
        if (oldCar[column] != newCar[column])
            difference.stats.push_back({oldRow, newRow, column});
    }
}

void AppendBlockDifferences(const FileContents& before, const FileContents& after,
                            FileDifference& difference) {
    for (const DocumentText block : kDocumentTexts) {
        if (TextIn(before, block) != TextIn(after, block))
            difference.blocks.push_back(block);
    }
}

} // namespace

FileDifference CompareFiles(const FileContents& before, const FileContents& after) {
    const CarTable& oldCars = *before.Cars;
    const CarTable& newCars = *after.Cars;
    FileDifference difference;
    const std::vector<int> match = MatchCars(oldCars, newCars);
    std::vector<bool> matched(newCars.size(), false);
    for (int oldRow = 0; oldRow < Size(oldCars); ++oldRow) {
        const int newRow = match[static_cast<std::size_t>(oldRow)];
        if (newRow < 0) {
            difference.removed.push_back(oldRow);
            continue;
        }
        matched[static_cast<std::size_t>(newRow)] = true;
        AppendValueDifferences(oldCars[static_cast<std::size_t>(oldRow)],
                               newCars[static_cast<std::size_t>(newRow)], oldRow, newRow, difference);
    }
    for (int newRow = 0; newRow < Size(newCars); ++newRow) {
        if (!matched[static_cast<std::size_t>(newRow)])
            difference.added.push_back(newRow);
    }
    difference.reordered = Reordered(match);
    AppendBlockDifferences(before, after, difference);
    return difference;
}

std::string ReadPackedFile(const std::string& path, PackedFile& file, FileOperations& files) {
    HandlingFileRead read = ReadHandlingCars(path, file.cars, files);
    file.rest = std::move(read.file);
    return read.error;
}

FileContents ContentsOf(const PackedFile& file, const CarTable& cars) {
    FileContents contents = ContentsOf(file.rest);
    contents.Cars = &cars;
    return contents;
}

PackedDifference ComparePackedFiles(const PackedFile& before, const PackedFile& after) {
    PackedDifference result;
    if (!before.cars.SameNamesAs(after.cars)) {
        result.oldCars = before.cars.Table();
        result.newCars = after.cars.Table();
        result.difference =
            CompareFiles(ContentsOf(before, result.oldCars), ContentsOf(after, result.newCars));
        return result;
    }
    // Every car is its namesake at the same place: only the cars packed
    // differently are unpacked, into tables of their own.
    for (std::size_t car = 0; car < before.cars.size(); ++car) {
        if (before.cars.Packed(car) == after.cars.Packed(car))
            continue;
        const int row = Size(result.oldCars);
        result.oldCars.push_back(before.cars.Row(car));
        result.newCars.push_back(after.cars.Row(car));
        AppendValueDifferences(result.oldCars.back(), result.newCars.back(), row, row, result.difference);
    }
    AppendBlockDifferences(ContentsOf(before, result.oldCars), ContentsOf(after, result.newCars),
                           result.difference);
    return result;
}

std::string DifferenceText(const PackedFile& before, const PackedFile& after,
                           const PackedDifference& difference) {
    return DifferenceText(ContentsOf(before, difference.oldCars), ContentsOf(after, difference.newCars),
                          difference.difference);
}

std::string StatLabel(int column) {
    return "#" + std::to_string(column) + " " + std::string(StatCatalogue::Instance()[column].StatName);
}

std::string DifferenceText(const FileContents& before, const FileContents& after,
                           const FileDifference& difference) {
    const CarTable& oldCars = *before.Cars;
    const CarTable& newCars = *after.Cars;
    std::string out;
    out.reserve(difference.stats.size() * 48);
    for (const StatDifference& stat : difference.stats) {
        const CarRow& oldCar = oldCars[static_cast<std::size_t>(stat.oldRow)];
        AppendLine(out, {oldCar[0], StatLabel(stat.column), oldCar[stat.column],
                         newCars[static_cast<std::size_t>(stat.newRow)][stat.column]});
    }
    for (const int row : difference.removed)
        AppendLine(out, {oldCars[static_cast<std::size_t>(row)][0], "(removed)"});
    for (const int row : difference.added)
        AppendLine(out, {newCars[static_cast<std::size_t>(row)][0], "(added)"});
    if (difference.reordered)
        AppendLine(out, {"(order of the cars)", "(changed)"});
    for (const DocumentText block : difference.blocks) {
        if (block == DocumentText::Author)
            AppendLine(out, {BlockLabel(block), before.Author, after.Author});
        else
            AppendLine(out, {BlockLabel(block), "(changed)"});
    }
    return out;
}

std::string ValueLinesText(const FileContents& contents) {
    std::string out;
    const auto comments = [&](std::string_view block) {
        for (const char c : block)
            out += c == '\r' ? '\n' : c;
    };
    if (!contents.Author.empty())
        out.append(kAuthorPrefix).append(contents.Author).append("\n");
    comments(contents.BeforeComments);
    std::vector<std::string> labels;
    for (int column = 0; column < kStatCount; ++column)
        labels.push_back(StatLabel(column));
    for (const CarRow& car : *contents.Cars) {
        for (int column = 0; column < kStatCount; ++column)
            AppendLine(out, {car[0], labels[static_cast<std::size_t>(column)], car[column]});
    }
    comments(contents.AfterComments);
    return out;
}

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

// The cars of both sides as the merge follows them from the base.
std::array<std::vector<int>, 2> MatchSides(const CarTable& base, const CarTable& ours,
                                           const CarTable& theirs) {
    std::array<std::vector<int>, 2> match{MatchCars(base, ours), MatchCars(base, theirs)};
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
    std::string Of(int row) {
        if (place_.size() != cars_.size())
            Count();
        const auto i = static_cast<std::size_t>(row);
        std::string name(cars_[i][0]);
        if (total_[i] > 1)
            name += " (" + std::to_string(place_[i]) + " of " + std::to_string(total_[i]) + ")";
        return name;
    }

  private:
    void Count() {
        std::unordered_map<std::string_view, int> seen;
        place_.resize(cars_.size());
        total_.resize(cars_.size());
        for (std::size_t row = 0; row < cars_.size(); ++row)
            place_[row] = ++seen[cars_[row][0]];
        for (std::size_t row = 0; row < cars_.size(); ++row)
            total_[row] = seen[cars_[row][0]];
    }
    const CarTable& cars_;
    std::vector<int> place_;
    std::vector<int> total_;
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
        : base_(*base.Cars), ours_(*ours.Cars), theirs_(*theirs.Cars),
          match_(MatchSides(base_, ours_, theirs_)), baseToOurs_(match_[0]), baseToTheirs_(match_[1]),
          oursToBase_(Inverse(baseToOurs_, ours_.size())),
          theirsToBase_(Inverse(baseToTheirs_, theirs_.size())), names_{PlacedNames(base_),
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
            outcome_.cars.push_back({At(theirs_, row), true});
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

std::string ConflictText(const std::vector<MergeConflict>& conflicts) {
    std::string out;
    for (const MergeConflict& conflict : conflicts)
        AppendLine(out, {conflict.car, conflict.stat, ConflictCell(conflict, MergeSide::Base),
                         ConflictCell(conflict, MergeSide::Ours), ConflictCell(conflict, MergeSide::Theirs)});
    return out;
}

} // namespace kestrix
