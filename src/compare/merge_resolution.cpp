#include "compare/merge_resolution.h"

#include "model/formula.h"

#include <utility>

namespace kestrix {

namespace {

bool IsStat(ConflictKind kind) {
    return kind == ConflictKind::Value || kind == ConflictKind::AddedOnBoth || kind == ConflictKind::Renamed;
}

MergeSide SideOf(MergeChoice choice) {
    return choice == MergeChoice::Base     ? MergeSide::Base
           : choice == MergeChoice::Theirs ? MergeSide::Theirs
                                           : MergeSide::Ours;
}

MergeChoice ChoiceFor(MergeSide side) {
    return side == MergeSide::Base     ? MergeChoice::Base
           : side == MergeSide::Theirs ? MergeChoice::Theirs
                                       : MergeChoice::Ours;
}

} // namespace

MergeResolution::MergeResolution(MergeOutcome outcome)
    : outcome_(std::move(outcome)), choices_(outcome_.conflicts.size(), MergeChoice::None),
      chosen_(outcome_.conflicts.size()), left_(outcome_.conflicts.size()) {}

bool MergeResolution::Offers(std::size_t conflict, MergeChoice choice) const {
    const ConflictKind kind = outcome_.conflicts[conflict].kind;
    switch (choice) {
    case MergeChoice::None:
        return false;
    case MergeChoice::Base:
        return kind != ConflictKind::AddedOnBoth && kind != ConflictKind::Order;
    case MergeChoice::Typed:
        return IsStat(kind);
    case MergeChoice::Ours:
    case MergeChoice::Theirs:
        break;
    }
    return true;
}

void MergeResolution::Settle(std::size_t conflict, MergeChoice choice, std::string shown) {
    if (choices_[conflict] == MergeChoice::None)
        --left_;
    choices_[conflict] = choice;
    chosen_[conflict] = std::move(shown);
}

bool MergeResolution::Choose(std::size_t conflict, MergeSide side) {
    const MergeChoice choice = ChoiceFor(side);
    if (!Offers(conflict, choice))
        return false;
    const MergeConflict& row = outcome_.conflicts[conflict];
    if (row.kind == ConflictKind::Order)
        Settle(conflict, choice, side == MergeSide::Ours ? "(our order)" : "(their order)");
    else if (std::string shown = ConflictCell(row, side); !shown.empty())
        Settle(conflict, choice, std::move(shown));
    else
        Settle(conflict, choice, "(empty)"); // an empty cell would read as no choice
    return true;
}

bool MergeResolution::Type(std::size_t conflict, std::string_view input, std::string& problem) {
    if (!Offers(conflict, MergeChoice::Typed) || input.empty())
        return false;
    const MergeConflict& row = outcome_.conflicts[conflict];
    const std::string_view ours = row.Value(MergeSide::Ours);
    // A formula works on our value; the car's other stats are not settled yet, so it names none.
    std::optional<std::string> value(input);
    if (IsFormula(input)) {
        FormulaResult result = EvaluateFormula(input, {ours, row.column, nullptr});
        value = std::move(result.value);
        problem = std::move(result.problem);
    }
    if (!value || value->empty())
        return false;
    Settle(conflict, MergeChoice::Typed, std::move(*value));
    return true;
}

std::vector<MergedCar> MergeResolution::ChosenCars(const std::vector<int>*& order,
                                                   HandlingDocument* texts) const {
    std::vector<MergedCar> cars = outcome_.cars;
    order = &outcome_.order;
    for (std::size_t i = 0; i < outcome_.conflicts.size(); ++i) {
        const MergeChoice choice = choices_[i];
        if (choice == MergeChoice::None)
            continue;
        const MergeConflict& conflict = outcome_.conflicts[i];
        const MergeSide side = SideOf(choice);
        switch (conflict.kind) {
        case ConflictKind::Value:
        case ConflictKind::AddedOnBoth:
        case ConflictKind::Renamed:
            cars[static_cast<std::size_t>(conflict.slot)].car.Set(
                conflict.column, choice == MergeChoice::Typed ? chosen_[i] : conflict.Value(side));
            break;
        case ConflictKind::DeletedChanged: {
            MergedCar& car = cars[static_cast<std::size_t>(conflict.slot)];
            const std::optional<CarRow>& chosen = conflict.cars[static_cast<std::size_t>(side)];
            car.kept = chosen.has_value();
            if (chosen)
                car.car = *chosen;
            break;
        }
        case ConflictKind::Order:
            if (side == MergeSide::Theirs)
                order = &outcome_.theirsOrder;
            break;
        case ConflictKind::Text:
            if (texts)
                TextIn(*texts, conflict.text) = conflict.Value(side);
            break;
        }
    }
    return cars;
}

HandlingDocument MergeResolution::Result() const {
    HandlingDocument texts;
    for (const DocumentText block : kDocumentTexts)
        TextIn(texts, block) = TextIn(outcome_.merged, block);
    const std::vector<int>* order = nullptr;
    const std::vector<MergedCar> cars = ChosenCars(order, &texts);
    return ArrangeMerged(cars, *order, texts);
}

std::vector<int> MergeResolution::OursRows() const {
    const std::vector<int>* order = nullptr;
    const std::vector<MergedCar> cars = ChosenCars(order, nullptr);
    return ArrangedOursRows(cars, *order);
}

} // namespace kestrix
