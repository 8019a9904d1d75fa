#include "windows/frmAskNumber.h"

#include "model/number.h"

#include <algorithm>

namespace kestrix {

frmAskNumber::frmAskNumber(platform::Services& services, std::string caption, std::string prompt, Takes takes)
    : Window("frmAskNumber"), services_(services), takes_(takes) {
    SetCaption(std::move(caption));
    lblPrompt.SetCaption(std::move(prompt));
    NameAfter(txtNumber, lblPrompt);
    cmdOK.SetCaption("OK");
    cmdCancel.SetCaption("Cancel");
    txtNumber.SetRefusedCharacters(" \t\r\n", takes == Takes::NumberOrFormula ? '=' : '\0', "\r\n");
    DefaultButton = &cmdOK;
    CancelButton = &cmdCancel;
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    Focus.Join({&txtNumber, &cmdOK, &cmdCancel});
    txtNumber.SetFocus();
}

void frmAskNumber::cmdOK_Click() {
    if (takes_ == Takes::NumberOrFormula && IsFormula(txtNumber.Text())) {
        std::string problem;
        ResultFormula = Formula::Read(txtNumber.Text(), problem);
        if (!ResultFormula)
            return Refuse(FormulaRefusal(txtNumber.Text(), problem));
        Unload();
        return;
    }
    std::string text = txtNumber.Text();
    // A decimal comma is taken for the point, as people type it under such a locale.
    if (text.find('.') == std::string::npos)
        std::replace(text.begin(), text.end(), ',', '.');
    const std::optional<double> number = PlainNumber(text);
    if (!number)
        return Refuse("\"" + txtNumber.Text() + "\" is not a number.");
    Result = number;
    ResultText = std::move(text);
    Unload();
}

void frmAskNumber::Refuse(const std::string& text) {
    services_.ShowMessage(
        {text, Caption(), platform::Buttons::Ok, platform::Icon::Warning, platform::Answer::Ok});
    txtNumber.SetFocus();
}

void frmAskNumber::cmdCancel_Click() {
    Unload();
}

} // namespace kestrix
