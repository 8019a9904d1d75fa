#include "windows/frmHelp.h"

#include "files/paths.h"
#include "windows/editor_test.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kestrix;

using ManualPlaceTest = test::TempFolderTest;

// Where each link leads and Back's way back, the order of the finds, the keys' way to the field and back
// and where the reader is left are the window view's tests.
TEST(HelpWindow, ALinkOutsideTheManualOpensOnTheDesktopAndFindTellsWhenItWrapsOrFindsNothing) {
    test::ScriptedServices services;
    frmHelp help(services,
                 {std::string(KESTRIX_SOURCE_DIR) + "/docs/manual.md", "# Grip\n\nMore grip.\n", {}});
    help.rtbManual.UserClicksLink("#no-such-part");
    EXPECT_FALSE(help.cmdBack.Enabled()) << "the reader did not move";
    EXPECT_TRUE(services.desktopTargets.empty());
    help.rtbManual.UserClicksLink("https://kestrix.example.org/");
    help.rtbManual.UserClicksLink("main-window.png");
    EXPECT_EQ(services.desktopTargets,
              (std::vector<std::string>{"https://kestrix.example.org/",
                                        std::string(KESTRIX_SOURCE_DIR) + "/docs/main-window.png"}));

    help.txtFind.UserTypes("GRIP");
    help.txtFind.UserPressesEnter();
    EXPECT_TRUE(help.UserPressesFunctionKey(3));
    EXPECT_EQ(help.lblFound.Caption(), "");
    help.cmdFindNext.UserClicks();
    EXPECT_EQ(help.rtbManual.SelStart(), 2u);
    EXPECT_EQ(help.lblFound.Caption(), "Found again from the start.");
    help.txtFind.UserTypes("tarmac");
    help.txtFind.UserPressesEnter();
    EXPECT_EQ(help.lblFound.Caption(), "\"tarmac\" is not in the manual.");
    EXPECT_TRUE(help.txtFind.UserPressesEscape());
    EXPECT_EQ(help.lblFound.Caption(), "");
}

TEST_F(ManualPlaceTest, BesideTheProgramComesFirstThenTheInstalledManualElseTheWindowSaysWhereItLooked) {
    const std::string program = Path("bin");
    const std::vector<std::string> places = ManualPlaces(program);
    EXPECT_EQ(places.front(), InFolder(InFolder(program, "manual"), "manual.md"));
    if (kSystemPathStyle == PathStyle::Posix) {
        EXPECT_EQ(places, (std::vector<std::string>{places.front(), Path("share/doc/kestrix/manual.md")}))
            << "as the install rules lay it out";
    }

    ManualFile none = FindManual(program);
    EXPECT_TRUE(none.path.empty());
    ASSERT_EQ(none.failures.size(), places.size());
    test::ScriptedServices services;
    frmHelp missing(services, none);
    for (std::size_t i = 0; i < places.size(); ++i) {
        EXPECT_NE(none.failures[i].find(places[i]), std::string::npos) << none.failures[i];
        EXPECT_NE(missing.rtbManual.ShownText().find(none.failures[i]), std::string::npos);
    }

    for (const std::size_t written : {places.size() - 1, std::size_t{0}}) {
        std::filesystem::create_directories(std::filesystem::path(places[written]).parent_path());
        test::WriteFile(places[written], "# The manual\n");
        const ManualFile found = FindManual(program);
        EXPECT_EQ(found.path, places[written]) << "the one beside the program, once there, comes first";
        frmHelp help(services, found);
        EXPECT_EQ(help.rtbManual.Folder(), FolderOf(found.path)) << "where its pictures are";
    }
}
