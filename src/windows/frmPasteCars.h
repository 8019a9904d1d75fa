#pragma once

#include "compare/car_paste.h"
#include "document/document.h"
#include "platform/services.h"
#include "platform/window.h"
#include "validation/error_check.h"

#include <string>
#include <vector>

namespace kestrix {

// What pasted car lines would do to the open document, a car per entry: which
// car each replaces and how many of its values differ, or that it adds a car,
// or why its line was refused. The ticked cars are applied as one step.
class frmPasteCars : public platform::Window {
  public:
    frmPasteCars(Document& doc, platform::Services& services, CarPaste paste);

    void Form_Load();

    platform::Label lblCars{"lblCars"};
    platform::TickList lstCars{"lstCars"};
    platform::Label lblValues{"lblValues"};
    platform::ColumnList lvValues;
    platform::Label lblSummary{"lblSummary"};
    platform::Button cmdApply{"cmdApply"};
    platform::Button cmdCancel{"cmdCancel"};

    // Handlers.
    void lstCars_Click();
    void cmdApply_Click();
    void cmdCancel_Click();

  private:
    std::string EntryText(const PastedLine& line) const;
    // The check's rows of the pasted car of that row, as "#stat" and message.
    std::vector<const ErrorRecord*> ErrorsOf(int car) const;
    void ShowValues();
    void ShowSummary();

    Document& doc_;
    platform::Services& services_;
    CarPaste paste_;
    ErrorRegister errors_;
};

} // namespace kestrix
