#pragma once

#include "platform/services.h"
#include "platform/window.h"

namespace kestrix {

// Every error of the document in a larger list that also names each row's
// stat; a click on a row offers the stat's properties.
class frmErrors : public platform::Window {
  public:
    explicit frmErrors(platform::Services& services);

    platform::ColumnList lvErrors;
    platform::Button cmdClose{"cmdClose"};
    platform::MenuEntry mnuPopup{"mnuPopup"};
    platform::MenuEntry mnuStatProperties{"mnuStatProperties"};

    // Copies the main list's rows in the order it shows them; the first cells stay as they are.
    void CopyRows(const platform::ColumnList& mainList);

    void cmdClose_Click();
    void lvErrors_ItemClick();
    void mnuStatProperties_Click();

  private:
    platform::Services& services_;
};

} // namespace kestrix
