#pragma once

#include "platform/services.h"
#include "platform/window.h"

#include <functional>
#include <string>

namespace kestrix {

// Every error of the document in a larger list that also names each row's
// stat; a click on a row offers the stat's properties and the way to its value.
class frmErrors : public platform::Window {
  public:
    explicit frmErrors(platform::Services& services);

    platform::ColumnList lvErrors;
    platform::Button cmdClose{"cmdClose"};
    platform::MenuEntry mnuPopup{"mnuPopup"};
    platform::MenuEntry mnuStatProperties{"mnuStatProperties"};
    platform::MenuEntry mnuGoToValue{"mnuGoToValue"};
    // Asked to show a row's value: the row, which is the main list's row as shown. The window closes first.
    std::function<void(int row)> GoToValue;

    // Copies the main list's rows in the order it shows them; the first cells stay as they are.
    void CopyRows(const platform::ColumnList& mainList);

    void cmdClose_Click();
    void lvErrors_ItemClick();
    void mnuStatProperties_Click();
    void mnuGoToValue_Click();

  private:
    platform::Services& services_;
};

} // namespace kestrix
