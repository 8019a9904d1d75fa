#pragma once

#include "platform/services.h"
#include "platform/window.h"

#include <string>
#include <string_view>

namespace kestrix {

// The name a web address is known by: without its scheme and closing "/".
std::string SiteName(std::string_view webAddress);

// The program's artwork with its version and licence, and the two links: the
// web page and a new e-mail to the contact address.
class frmAbout : public platform::Window {
  public:
    explicit frmAbout(platform::Services& services);

    platform::Picture Image1{"Image1", "about"};
    platform::Label lblVersion{"lblVersion"};
    platform::Label lblLicence{"lblLicence"};
    platform::Label lblWeb{"lblWeb"};
    platform::Label lblEmail{"lblEmail"};

    void Image1_MouseMove();
    void lblWeb_MouseMove();
    void lblEmail_MouseMove();
    void lblWeb_Click();
    void lblEmail_Click();

  private:
    platform::Services& services_;
};

} // namespace kestrix
