#include "windows/frmAbout.h"

#include "handling_file/handling_format.h"
#include "scripted_services.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

// The value of a header line of a saved file, after its prefix.
std::string HeaderValue(const std::string& text, const std::string& prefix) {
    const std::size_t start = text.find(prefix) + prefix.size();
    return text.substr(start, text.find("\r\n", start) - start);
}

} // namespace

TEST(AboutWindow, TheLinksOpenTheHeadersAddresses) {
    test::ScriptedServices services;
    frmAbout about(services);
    about.lblWeb.UserClicks();
    about.lblEmail.UserClicks();
    const std::string header = WriteHandlingText(HandlingDocument{});
    const std::string web = HeaderValue(header, ";-# www  : ");
    const std::string email = HeaderValue(header, ";-# email: ");
    EXPECT_EQ(services.desktopTargets, (std::vector<std::string>{web, "mailto:" + email}));
    EXPECT_EQ(about.lblWeb.Caption(), SiteName(web));
    EXPECT_EQ(about.lblEmail.Caption(), email);
}
