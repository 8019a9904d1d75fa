#pragma once

#include "model/formula.h"
#include "platform/services.h"
#include "platform/window.h"

#include <optional>
#include <string>

namespace kestrix {

// Asks for the number of a bulk edit, or a formula where the edit takes one.
class frmAskNumber : public platform::Window {
  public:
    enum class Takes { Number, NumberOrFormula };
    frmAskNumber(platform::Services& services, std::string caption, std::string prompt,
                 Takes takes = Takes::Number);

    platform::Label lblPrompt{"lblPrompt"};
    platform::TextField txtNumber{"txtNumber"};
    platform::Button cmdOK{"cmdOK"};
    platform::Button cmdCancel{"cmdCancel"};

    // The number given; none when the user cancelled.
    std::optional<double> Result;
    // The number as the user wrote it, a decimal comma taken for the point: what Set writes.
    std::string ResultText;
    // The formula given instead of a number, read.
    std::optional<Formula> ResultFormula;

    void cmdOK_Click();
    void cmdCancel_Click();

  private:
    void Refuse(const std::string& text);
    platform::Services& services_;
    Takes takes_;
};

} // namespace kestrix
