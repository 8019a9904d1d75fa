#include "windows/frmAskNumber.h"

#include "model/number.h"

#include <algorithm>

namespace kestrix {

frmAskNumber::frmAskNumber(platform::Services& services, std::string caption, std::string prompt)
    : Window("frmAskNumber"), services_(services) {
    SetCaption(std::move(caption));
    lblPrompt.SetCaption(std::move(prompt));
    cmdOK.SetCaption("OK");
    cmdCancel.SetCaption("Cancel");
    txtNumber.SetRefusedCharacters(" \t\r\n");
    DefaultButton = &cmdOK;
    CancelButton = &cmdCancel;
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    Focus.Join({&txtNumber, &cmdOK, &cmdCancel});
    txtNumber.SetFocus();
}

void frmAskNumber::cmdOK_Click() {
    std::string text = txtNumber.Text();
    // A decimal comma is taken for the point, as people type it under such a locale.
    if (text.find('.') == std::string::npos)
        std::replace(text.begin(), text.end(), ',', '.');
    const std::optional<double> number = PlainNumber(text);
    if (!number) {
        services_.ShowMessage({"\"" + txtNumber.Text() + "\" is not a number.", Caption(),
                               platform::Buttons::Ok, platform::Icon::Warning, platform::Answer::Ok});
        txtNumber.SetFocus();
        return;
    }
    Result = number;
    ResultText = std::move(text);
    Unload();
}

void frmAskNumber::cmdCancel_Click() {
    Unload();
}

} // namespace kestrix
