#include "windows/frmAbout.h"

#include "handling_file/handling_format.h"
#include "scripted_services.h"

#include <gtest/gtest.h>

using namespace kestrix;
using platform::Color;

namespace {

constexpr Color kLightBlue{192, 192, 255};
constexpr Color kRed{255, 0, 0};

// The value of a header line of a saved file, after its prefix.
std::string HeaderValue(const std::string& text, const std::string& prefix) {
    const std::size_t start = text.find(prefix) + prefix.size();
    return text.substr(start, text.find("\r\n", start) - start);
}

} // namespace

TEST(AboutWindow, TheLinksOpenTheHeadersAddressesAndTurnRedUnderThePointer) {
    test::ScriptedServices services;
    frmAbout about(services);
    const auto colours = [&] { return std::pair(*about.lblWeb.ForeColor(), *about.lblEmail.ForeColor()); };
    EXPECT_EQ(colours(), std::pair(kLightBlue, kLightBlue));
    about.lblWeb.UserMovesMouse();
    EXPECT_EQ(colours(), std::pair(kRed, kLightBlue));
    about.lblEmail.UserMovesMouse();
    EXPECT_EQ(colours(), std::pair(kLightBlue, kRed)) << "straight from one link to the other";
    about.lblWeb.UserClicks();
    about.lblEmail.UserClicks();
    EXPECT_EQ(colours(), std::pair(kLightBlue, kRed)) << "nothing else resets a colour";
    about.Image1.UserMovesMouse();
    EXPECT_EQ(colours(), std::pair(kLightBlue, kLightBlue));
    about.lblWeb.UserMovesMouse();
    about.lblVersion.UserMovesMouse();
    EXPECT_EQ(colours(), std::pair(kLightBlue, kLightBlue)) << "the version lies on the picture";

    const std::string header = WriteHandlingText(HandlingDocument{});
    const std::string web = HeaderValue(header, ";-# www  : ");
    const std::string email = HeaderValue(header, ";-# email: ");
    EXPECT_EQ(services.desktopTargets, (std::vector<std::string>{web, "mailto:" + email}));
    EXPECT_EQ(about.lblWeb.Caption(), SiteName(web));
    EXPECT_EQ(about.lblEmail.Caption(), email);
    EXPECT_FALSE(about.IsClosed());
}
