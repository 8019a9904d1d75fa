#pragma once

#include "platform/services.h"
#include "platform/window.h"

namespace kestrix {

// The definition of one stat: its name, its kind and its limits. The chooser
// picks the stat; the list always shows the one the chooser shows.
class frmInfo : public platform::Window {
  public:
    frmInfo();

    platform::Label lblStats{"lblStats"};
    platform::DropDown cboStats{"cboStats"};
    platform::ColumnList lvProperties;
    platform::Button Command1{"Command1"};

    void cboStats_Click();
    void Command1_Click();
};

// Opens the window on a stat, blocking its opener until it closes.
void ShowStatProperties(platform::Services& services, int column);

} // namespace kestrix
