#pragma once

#include "platform/services.h"
#include "platform/window.h"

#include <optional>
#include <string>

namespace kestrix {

// Asks for the number of a bulk edit.
class frmAskNumber : public platform::Window {
  public:
    frmAskNumber(platform::Services& services, std::string caption, std::string prompt);

    platform::Label lblPrompt{"lblPrompt"};
    platform::TextField txtNumber{"txtNumber"};
    platform::Button cmdOK{"cmdOK"};
    platform::Button cmdCancel{"cmdCancel"};

    // The number given; none when the user cancelled.
    std::optional<double> Result;
    // The number as the user wrote it, a decimal comma taken for the point: what Set writes.
    std::string ResultText;

    void cmdOK_Click();
    void cmdCancel_Click();

  private:
    platform::Services& services_;
};

} // namespace kestrix
