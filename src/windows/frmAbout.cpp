#include "windows/frmAbout.h"

#include "model/handling_document.h"
#include "model/product.h"

namespace kestrix {

namespace {

constexpr platform::Color kAtRest{192, 192, 255};
constexpr platform::Color kUnderPointer{255, 0, 0};
constexpr platform::Color kVersionColour{255, 255, 255};

} // namespace

std::string SiteName(std::string_view webAddress) {
    if (const std::size_t scheme = webAddress.find("://"); scheme != std::string_view::npos)
        webAddress.remove_prefix(scheme + 3);
    while (webAddress.ends_with('/'))
        webAddress.remove_suffix(1);
    return std::string(webAddress);
}

frmAbout::frmAbout(platform::Services& services) : Window("frmAbout"), services_(services) {
    SetCaption("About " + std::string(kProgramTitle));
    lblVersion.SetCaption("Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor));
    lblVersion.SetForeColor(kVersionColour);
    lblLicence.SetCaption(std::string(kLicenceNote));
    lblLicence.SetForeColor(kAtRest);
    lblWeb.SetCaption(SiteName(kWebAddress));
    lblEmail.SetCaption(std::string(kContactEmail));
    for (platform::Label* link : {&lblWeb, &lblEmail}) {
        link->SetUnderline(true);
        link->SetForeColor(kAtRest);
    }
    Image1.MouseMove = [this] { Image1_MouseMove(); };
    // The version and the licence are drawn on the picture and belong to it.
    lblVersion.MouseMove = [this] { Image1_MouseMove(); };
    lblLicence.MouseMove = [this] { Image1_MouseMove(); };
    lblWeb.MouseMove = [this] { lblWeb_MouseMove(); };
    lblEmail.MouseMove = [this] { lblEmail_MouseMove(); };
    lblWeb.Click = [this] { lblWeb_Click(); };
    lblEmail.Click = [this] { lblEmail_Click(); };
}

void frmAbout::Image1_MouseMove() {
    lblWeb.SetForeColor(kAtRest);
    lblEmail.SetForeColor(kAtRest);
}

void frmAbout::lblWeb_MouseMove() {
    lblWeb.SetForeColor(kUnderPointer);
    lblEmail.SetForeColor(kAtRest);
}

void frmAbout::lblEmail_MouseMove() {
    lblEmail.SetForeColor(kUnderPointer);
    lblWeb.SetForeColor(kAtRest);
}

void frmAbout::lblWeb_Click() {
    services_.OpenWithDesktop(std::string(kWebAddress));
}

void frmAbout::lblEmail_Click() {
    services_.OpenWithDesktop("mailto:" + std::string(kContactEmail));
}

} // namespace kestrix
