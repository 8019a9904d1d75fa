#pragma once

#include "compare/car_paste.h"
#include "document/document.h"
#include "platform/services.h"
#include "platform/window.h"
#include "validation/error_check.h"

#include <string>
#include <vector>

namespace kestrix {

// What pasted car lines would do to the open document. The cars that bring
// something come first, in the pasted order: a car each replaces, with a tick
// for each of its values that really differs, a car it adds, or a line
// refused with its reason; the cars that bring nothing are one line at the end.
// The ticked values and cars are applied as one step.
class frmPasteCars : public platform::Window {
  public:
    frmPasteCars(Document& doc, platform::Services& services, CarPaste paste);

    void Form_Load();

    platform::Label lblCars{"lblCars"};
    platform::TickTree tvCars{"tvCars"};
    platform::Label lblValues{"lblValues"};
    platform::ColumnList lvValues;
    platform::Label lblSummary{"lblSummary"};
    platform::Button cmdApply{"cmdApply"};
    platform::Button cmdCancel{"cmdCancel"};

    // Handlers.
    void tvCars_Click();
    void cmdApply_Click();
    void cmdCancel_Click();

  private:
    // An entry of tvCars: a pasted line, and the column of each of its values.
    struct Entry {
        int line = -1; // -1: the line of the cars that bring nothing
        std::vector<int> columns;
    };
    platform::TickTree::Entry EntryOf(const PastedLine& line, Entry& entry) const;
    std::string CarText(const PastedLine& line) const;
    // The check's rows of the pasted car of that row, as "#stat" and message.
    std::vector<const ErrorRecord*> ErrorsOf(int car) const;
    const PastedLine* LineOf(int entry) const;
    void ShowValues();
    void ShowSummary();

    Document& doc_;
    platform::Services& services_;
    CarPaste paste_;
    ErrorRegister errors_;
    std::vector<Entry> entries_;
};

} // namespace kestrix
