#include "compare/file_compare.h"

#include "model/stat_catalogue.h"

#include <optional>
#include <unordered_map>
#include <utility>

namespace kestrix {

namespace {

int Size(const CarTable& cars) {
    return static_cast<int>(cars.size());
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
    std::string line(block);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    for (std::size_t at = 0; (at = line.find('\r', at)) != std::string::npos;)
        line.replace(at, 1, " | ");
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

std::vector<int> MatchCars(const CarTable& from, const CarTable& to) {
    // The rows of each name in to, chained in file order; each row of from
    // takes the next unclaimed row of its name.
    struct Chain {
        int next;
        int last;
    };
    std::vector<int> following(to.size(), -1);
    std::unordered_map<std::string_view, Chain> chains;
    chains.reserve(to.size());
    for (int row = 0; row < Size(to); ++row) {
        const auto [chain, fresh] = chains.try_emplace(to[static_cast<std::size_t>(row)][0], Chain{row, row});
        if (!fresh) {
            following[static_cast<std::size_t>(chain->second.last)] = row;
            chain->second.last = row;
        }
    }
    std::vector<int> match(from.size(), -1);
    for (std::size_t row = 0; row < from.size(); ++row) {
        const auto chain = chains.find(from[row][0]);
        if (chain == chains.end() || chain->second.next < 0)
            continue;
        match[row] = chain->second.next;
        chain->second.next = following[static_cast<std::size_t>(chain->second.next)];
    }
    return match;
}

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
        const CarRow& oldCar = oldCars[static_cast<std::size_t>(oldRow)];
        const CarRow& newCar = newCars[static_cast<std::size_t>(newRow)];
        if (oldCar == newCar)
            continue;
        for (int column = 1; column < kStatCount; ++column) {
            if (oldCar[column] != newCar[column])
                difference.stats.push_back({oldRow, newRow, column});
        }
    }
    for (int newRow = 0; newRow < Size(newCars); ++newRow) {
        if (!matched[static_cast<std::size_t>(newRow)])
            difference.added.push_back(newRow);
    }
    difference.reordered = Reordered(match);
    for (const DocumentText block : kDocumentTexts) {
        if (TextIn(before, block) != TextIn(after, block))
            difference.blocks.push_back(block);
    }
    return difference;
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

namespace {

constexpr std::string_view kWholeCar = "(whole car)";

class ThreeWayMerge {
  public:
    ThreeWayMerge(const FileContents& base, const FileContents& ours, const FileContents& theirs)
        : base_(*base.Cars), ours_(*ours.Cars), theirs_(*theirs.Cars), baseToOurs_(MatchCars(base_, ours_)),
          baseToTheirs_(MatchCars(base_, theirs_)), oursToTheirs_(MatchCars(ours_, theirs_)),
          kept_(base_.size()) {
        for (std::size_t row = 0; row < base_.size(); ++row)
            kept_[row] = MergeBaseCar(row);
        outcome_.merged.Cars.reserve(ours_.size() + theirs_.size() / 8);
        PlaceBaseCars();
        PlaceAddedCars();
        for (const DocumentText block : kDocumentTexts)
            MergeBlock(block, TextIn(base, block), TextIn(ours, block), TextIn(theirs, block));
    }

    MergeOutcome Take() { return std::move(outcome_); }

  private:
    static const CarRow& At(const CarTable& cars, int row) { return cars[static_cast<std::size_t>(row)]; }

    void Conflict(std::string_view car, std::string_view stat, std::string_view base, std::string_view ours,
                  std::string_view theirs) {
        outcome_.conflicts.push_back(
            {std::string(car), std::string(stat), std::string(base), std::string(ours), std::string(theirs)});
    }

    // Value by value; null base: the car is new on both sides.
    CarRow MergeRows(const CarRow* base, const CarRow& ours, const CarRow& theirs) {
        if (ours == theirs || (base && *base == theirs))
            return ours;
        if (base && *base == ours)
            return theirs;
        CarValues values;
        for (int column = 0; column < kStatCount; ++column) {
            const std::string_view o = ours[column];
            const std::string_view t = theirs[column];
            const std::string_view b = base ? (*base)[column] : std::string_view("(not in base)");
            values[static_cast<std::size_t>(column)] = (o == t || !base || b == t) ? o : b == o ? t : o;
            if (o != t && (!base || (b != o && b != t)))
                Conflict(ours[0], StatLabel(column), b, o, t);
        }
        CarRow row;
        row.Assign(values.data(), kStatCount);
        return row;
    }

    // The merged car of a base row, or nothing when it goes.
    std::optional<CarRow> MergeBaseCar(std::size_t row) {
        const CarRow& base = base_[row];
        const int ours = baseToOurs_[row];
        const int theirs = baseToTheirs_[row];
        if (ours >= 0 && theirs >= 0)
            return MergeRows(&base, At(ours_, ours), At(theirs_, theirs));
        if (ours >= 0 && At(ours_, ours) != base) {
            Conflict(base[0], kWholeCar, "(in base)", "(changed)", "(deleted)");
            return At(ours_, ours);
        }
        if (theirs >= 0 && At(theirs_, theirs) != base)
            Conflict(base[0], kWholeCar, "(in base)", "(deleted)", "(changed)");
        return std::nullopt;
    }

    void Place(std::vector<bool>& placed, int baseRow) {
        auto& car = kept_[static_cast<std::size_t>(baseRow)];
        if (car && !placed[static_cast<std::size_t>(baseRow)])
            outcome_.merged.Cars.push_back(std::move(*car));
        placed[static_cast<std::size_t>(baseRow)] = true;
    }

    // In our order unless only their side moved cars; both moving them
    // differently is a conflict that our order wins.
    void PlaceBaseCars() {
        const std::vector<int> oursToBase = Inverse(baseToOurs_, ours_.size());
        const std::vector<int> theirsToBase = Inverse(baseToTheirs_, theirs_.size());
        const bool oursMoved = Reordered(baseToOurs_);
        const bool theirsMoved = Reordered(baseToTheirs_);
        const std::vector<int>& order = theirsMoved && !oursMoved ? theirsToBase : oursToBase;
        if (oursMoved && theirsMoved && !SameOrder(oursToBase, theirsToBase))
            Conflict("(order of the cars)", "(block)", "(base order)", "(moved)", "(moved)");
        std::vector<bool> placed(base_.size(), false);
        for (const int baseRow : order) {
            if (baseRow >= 0)
                Place(placed, baseRow);
        }
        for (int baseRow = 0; baseRow < Size(base_); ++baseRow)
            Place(placed, baseRow);
    }

    // Whether the base cars both sides kept stand in the same order on both.
    bool SameOrder(const std::vector<int>& oursToBase, const std::vector<int>& theirsToBase) const {
        std::vector<int> oursOrder;
        std::vector<int> theirsOrder;
        for (const int row : oursToBase) {
            if (row >= 0 && baseToTheirs_[static_cast<std::size_t>(row)] >= 0)
                oursOrder.push_back(row);
        }
        for (const int row : theirsToBase) {
            if (row >= 0 && baseToOurs_[static_cast<std::size_t>(row)] >= 0)
                theirsOrder.push_back(row);
        }
        return oursOrder == theirsOrder;
    }

    void PlaceAddedCars() {
        std::vector<bool> inBase(ours_.size(), false);
        std::vector<bool> theirsTaken(theirs_.size(), false);
        for (const int row : baseToOurs_) {
            if (row >= 0)
                inBase[static_cast<std::size_t>(row)] = true;
        }
        for (const int row : baseToTheirs_) {
            if (row >= 0)
                theirsTaken[static_cast<std::size_t>(row)] = true;
        }
        for (std::size_t row = 0; row < ours_.size(); ++row) {
            if (inBase[row])
                continue;
            const int theirs = oursToTheirs_[row];
            if (theirs < 0) {
                outcome_.merged.Cars.push_back(ours_[row]);
                continue;
            }
            theirsTaken[static_cast<std::size_t>(theirs)] = true;
            outcome_.merged.Cars.push_back(MergeRows(nullptr, ours_[row], At(theirs_, theirs)));
        }
        for (std::size_t row = 0; row < theirs_.size(); ++row) {
            if (!theirsTaken[row])
                outcome_.merged.Cars.push_back(theirs_[row]);
        }
    }

    void MergeBlock(DocumentText block, std::string_view base, std::string_view ours,
                    std::string_view theirs) {
        const std::string_view merged = ours == base ? theirs : ours;
        if (ours != base && theirs != base && ours != theirs) {
            if (block == DocumentText::Author)
                Conflict(BlockLabel(block), "(block)", base, ours, theirs);
            else
                Conflict(BlockLabel(block), "(block)", OneLine(base), OneLine(ours), OneLine(theirs));
        }
        TextIn(outcome_.merged, block) = std::string(merged);
    }

    const CarTable& base_;
    const CarTable& ours_;
    const CarTable& theirs_;
    const std::vector<int> baseToOurs_;
    const std::vector<int> baseToTheirs_;
    const std::vector<int> oursToTheirs_;
    std::vector<std::optional<CarRow>> kept_;
    MergeOutcome outcome_;
};

} // namespace

MergeOutcome MergeFiles(const FileContents& base, const FileContents& ours, const FileContents& theirs) {
    return ThreeWayMerge(base, ours, theirs).Take();
}

std::string ConflictText(const std::vector<MergeConflict>& conflicts) {
    std::string out;
    for (const MergeConflict& conflict : conflicts)
        AppendLine(out, {conflict.car, conflict.stat, conflict.base, conflict.ours, conflict.theirs});
    return out;
}

} // namespace kestrix
