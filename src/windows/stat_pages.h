#pragma once

#include "document/document.h"
#include "platform/controls.h"
#include "platform/services.h"

#include <array>
#include <bitset>
#include <memory>
#include <string_view>
#include <vector>

namespace kestrix {

// One row of a stat page: a label and the columns whose controls follow it.
struct StatPageRow {
    std::string_view caption;
    std::vector<int> columns;
};

struct StatPage {
    std::string_view caption;
    std::vector<StatPageRow> rows;
};

// The eight pages of the stat area, in tab order, with their rows top to bottom.
const std::vector<StatPage>& StatPages();
std::vector<std::string> StatPageCaptions();
// The page that holds the control of a column; page 0 for any other number.
int PageOfColumn(int column);
// The colour of the label of a value that differs from the saved file.
inline constexpr platform::Color kChangedColour{0, 80, 170};
// Why a typed or pasted text did not enter a stat field.
std::string_view RefusalNote(platform::TextField::Refusal refusal);

// The main window's stat pages bound to the car it shows: the car's values in
// the fields and choice controls, a mark on each label whose value differs
// from the saved file, and the user's edits handed to the document as one
// change. A stat edited by a choice keeps its stored value in a hidden field.
class StatPageBinding {
  public:
    // The controls of the stat pages, as the main window owns them.
    struct Controls {
        std::array<platform::TextField, kStatCount>& txtStat;
        std::vector<std::unique_ptr<platform::Label>>& LabStat;
        platform::DropDown& cboDrive;
        platform::DropDown& cboEngine;
        platform::DropDown& cboFront;
        platform::DropDown& cboRear;
        platform::CheckBox& chkABS;
        platform::TickList& lvFlags;
        platform::Label& lblFlagsNote;
    };
    // Names the controls, makes a label per page row and gives each its tip.
    StatPageBinding(Document& doc, platform::Services& services, Controls controls);

    // The entries of the choice lists and flags, from the stat descriptions.
    void FillChoices();
    // The control that shows a column: its text field, or the choice control of a choice stat.
    platform::Control& StatControl(int column);
    void EnableControls(bool hasCar);

    void ShowCar(int row);
    void ClearShownCar();
    // The labels marked, and the help telling the saved value, where the shown car's value differs
    // from the saved file.
    void MarkChangedValues(int shown);

    // A field the user typed in; whether any holds typing not yet committed. Typing
    // edited back to the value committed is taken back, as Escape takes it back.
    void Typed(int row, int column);
    bool HasTyping() const { return edited_.any(); }
    // The value last committed back in the field.
    void Revert(int row, int column);
    // A field holding a formula ("=*1.2", "=max(x, 0.5)") gets its result, x
    // being the value last committed; false, with a message when asked, when
    // the formula is refused.
    bool ResolveFormula(int row, int column, bool noteProblem);
    // The shown car's field edits into the document as one change; true when a value changed.
    bool KeepFieldEdits(int row);

    // The user's choice in a list, the ABS box or the flags, committed at once. Choosing the entry
    // shown already, moving through the flags or clicking beside a tick changes nothing.
    void Choose(const platform::DropDown& list, int row);
    void ChooseAbs(int row);
    void ChooseFlags(int row);

    // While a car is shown, the controls' events are not the user's.
    bool FillingControls = false;

  private:
    struct ChoiceStat {
        platform::DropDown* control;
        int column;
    };
    void SetChoiceControls();
    // The tip of a choice control that cannot show its stored value exactly names that value.
    void ShowStoredChoice(platform::Control& control, int column, bool shownExactly);
    std::string ValueTip(int column, int shown) const;
    // What a choice control says of a stored value it does not show as it is; empty when it does.
    std::string StoredNote(int column, int shown) const;
    // The document's star follows the fields that hold typing.
    void ShowTyping();

    Document& doc_;
    platform::Services& services_;
    std::array<platform::TextField, kStatCount>& txtStat;
    std::vector<std::unique_ptr<platform::Label>>& LabStat;
    platform::CheckBox& chkABS;
    platform::TickList& lvFlags;
    platform::Label& lblFlagsNote;
    const std::array<ChoiceStat, 4> choices_;
    // The fields the user changed since the car was shown: only those become a change.
    std::bitset<kStatCount> edited_;
    // The choice stats whose control cannot show the stored value exactly.
    std::bitset<kStatCount> inexact_;
};

} // namespace kestrix
