#pragma once

#include "compare/merge.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// How a conflict of a merge was settled.
enum class MergeChoice { None, Base, Ours, Theirs, Typed };

// The choices made among the conflicts of a merge, and the file they make.
class MergeResolution {
  public:
    explicit MergeResolution(MergeOutcome outcome);

    const MergeOutcome& Outcome() const { return outcome_; }
    const std::vector<MergeConflict>& Conflicts() const { return outcome_.conflicts; }
    std::size_t Left() const { return left_; }
    MergeChoice ChoiceOf(std::size_t conflict) const { return choices_[conflict]; }
    // Whether the conflict can be settled so: a car both sides added has no
    // base, a value is typed only for a stat, and the base's order is no choice.
    bool Offers(std::size_t conflict, MergeChoice choice) const;
    // Takes a side's value, car, order or text; false when the conflict does not offer it.
    bool Choose(std::size_t conflict, MergeSide side);
    // A value typed for a stat, read as a stat field reads typed input, over
    // ours' value; false when it cannot be read, or is empty. problem: why a
    // formula was not used.
    bool Type(std::size_t conflict, std::string_view input, std::string& problem);
    // What was chosen, as the conflict's row shows it; empty until chosen.
    const std::string& Chosen(std::size_t conflict) const { return chosen_[conflict]; }
    // The merged file with every choice made; a conflict not settled keeps our side.
    HandlingDocument Result() const;
    // Per car of Result(), the car of ours it is, whose line it is written into; -1: none.
    std::vector<int> OursRows() const;

  private:
    // The cars and their order with every choice made, and the texts.
    std::vector<MergedCar> ChosenCars(const std::vector<int>*& order, HandlingDocument* texts) const;
    void Settle(std::size_t conflict, MergeChoice choice, std::string shown);

    MergeOutcome outcome_;
    std::vector<MergeChoice> choices_;
    std::vector<std::string> chosen_;
    std::size_t left_ = 0;
};

} // namespace kestrix
