#include "windows/editor_test.h"
#include "windows/frmPreferences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace kestrix;
using platform::Answer;
using test::CarLine;
namespace fs = std::filesystem;

namespace {

const std::string& kFile = test::kThreeCars;

using MainWindow = test::EditorOn<test::kThreeCars>;
using PlainStart = test::EditorTest; // started by the test

// "1" for each control that takes input, "0" for each that does not.
std::string Enabled(std::initializer_list<const platform::Control*> controls) {
    std::string on;
    for (const platform::Control* control : controls)
        on += control->Enabled() ? "1" : "0";
    return on;
}

} // namespace

TEST_F(PlainStart, StartsEmptyWhenTheFileCannotBeReadAndKeepsTheFolderPreferencesAndRecentFiles) {
    const std::string missing = Path("missing.cfg");
    services.answers = {Answer::Ok};
    Start("\"" + missing + "\"");
    EXPECT_NE(services.messages.at(0).text.find(missing), std::string::npos);
    EXPECT_EQ(form.Caption(), "Kestrix 3");
    EXPECT_EQ(Enabled({&form.mnuLoad, &form.mnuExit, &form.mnuViewProperties, &form.mnuAbout,
                       &form.cmdViewErrors, &form.cboCars, &form.tabGeneral, &form.mnuSave, &form.mnuRevert,
                       &form.mnuFileComments, &form.lvErrors}),
              "11111000000");

    services.openPaths = {"", Write("Handling.cfg", kFile)};
    form.mnuLoad.UserChooses();
    EXPECT_EQ(services.openDialogs.at(0).initialFolder, "/home/modder") << "nothing known yet: home";
    form.mnuLoad.UserChooses();
    test::Editor later(services.settings);
    later.Start();
    later.services.openPaths = {""};
    later.form.mnuLoad.UserChooses();
    EXPECT_EQ(later.services.openDialogs.at(0).initialFolder, folder.string())
        << "the last folder, across runs";
    EXPECT_TRUE(later.form.TryClose()) << "nothing to ask about";

    // Preferences are kept on Ok only.
    test::Editor placed;
    placed.Start();
    for (const bool ok : {false, true}) {
        placed.On<frmPreferences>([ok](frmPreferences& preferences) {
            EXPECT_EQ(preferences.chkSetting[0]->Value(), 0) << "Cancel kept nothing";
            preferences.chkSetting[0]->UserClicks();
            ok ? preferences.UserPressesEnter() : preferences.UserPressesEscape();
        });
        placed.form.mnuPreferences.UserChooses();
        EXPECT_EQ(SettingOn(placed.services, kReopenLastFile), ok);
    }
    EXPECT_EQ(placed.services.settings[std::string(kKeepLayout)], "1");

    // Recent files are kept newest first, greyed when missing, and reopened at a plain start.
    std::vector<std::string> paths;
    for (int i = 0; i < 9; ++i)
        paths.push_back(Write("Cars" + std::to_string(i) + ".cfg", kFile));
    for (const std::string& file : paths) {
        services.openPaths.push_back(file);
        form.mnuLoad.UserChooses();
    }
    // The menu as shown: the number of each file, "x" after a missing one.
    const auto menu = [&] {
        form.mnuRecent.UserChooses();
        std::string shown;
        for (const platform::MenuEntry& entry : form.mnuRecentFile)
            if (entry.Visible())
                shown += std::to_string(std::find(paths.begin(), paths.end(), entry.Tip()) - paths.begin()) +
                         (entry.Enabled() ? " " : "x ");
        return shown;
    };
    EXPECT_EQ(menu(), "8 7 6 5 4 3 2 1 ") << "eight at most, newest first";
    EXPECT_FALSE(form.mnuRemoveMissing.Enabled());

    fs::remove(paths[5]);
    Type(13, "250");
    services.answers = {Answer::No};
    form.mnuRecentFile[6].UserChooses(); // Cars2.cfg
    EXPECT_NE(services.messages.back().text.find("Cars8.cfg"), std::string::npos)
        << "changes are asked about";
    EXPECT_EQ(doc.FilePath(), paths[2]);
    EXPECT_EQ(menu(), "2 8 7 6 5x 4 3 1 ");
    form.mnuRemoveMissing.UserChooses();
    EXPECT_EQ(menu(), "2 8 7 6 4 3 1 ");

    const auto plainStart = [this](bool reopen) {
        auto kept = services.settings; // what this run kept
        kept[std::string(kReopenLastFile)] = reopen ? "1" : "0";
        test::Editor next(kept);
        next.Start();
        return next.doc.FilePath();
    };
    EXPECT_EQ(plainStart(false), "");
    EXPECT_EQ(plainStart(true), paths[2]);
}

TEST_F(MainWindow, TheRoadOfOneFileFromOpenToSaveAndSaveAs) {
    EXPECT_EQ(ShownCar() + " " + form.txtStat[0].Text(), "APPLE APPLE");
    EXPECT_EQ(Enabled({&form.txtStat[0], &form.txtStat[1]}), "01") << "the name changes by Rename only";
    EXPECT_EQ(ErrorRows(), (std::vector<std::string>{"#29|APPLE|1200F is longer than maximum length 4.",
                                                     "#1|mango|99999 is larger than maximum value 50000."}));
    EXPECT_EQ(services.busyDepth, 0);
    Type(1, "abc");
    EXPECT_EQ(Cell(1, 1), "1200") << "the table waits until the field is left";
    Leave();
    EXPECT_EQ(ErrorRows()[0], "#1|APPLE|abc is not a valid number.");

    Type(1, "1300");
    form.mnuSave.UserChooses(); // the shortcut acts while the field still has the focus
    EXPECT_EQ(Cell(1, 1), "1300");
    Write("Handling.cfg", "changed elsewhere");
    form.mnuSave.UserChooses();
    EXPECT_EQ(OnDisk(path), "changed elsewhere") << "saving an unchanged document writes nothing";

    Type(1, "1400");
    const std::string copy = Path("Copy.cfg");
    services.savePaths = {"", copy};
    form.mnuSaveAs.UserChooses();
    EXPECT_EQ(services.saveDialogs[0].initialFolder, folder.string()) << "the open file's folder";
    EXPECT_TRUE(services.saveDialogs[0].confirmReplace);
    EXPECT_EQ(form.Caption(), Title(true)) << "cancelling changes nothing";
    form.mnuSaveAs.UserChooses();
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + copy + ")");
    EXPECT_NE(OnDisk(copy).find("APPLE 1400 "), std::string::npos);
    EXPECT_EQ(OnDisk(path), "changed elsewhere");
}

TEST_F(MainWindow, FailuresNameThePathAndKeepTheDocument) {
    const std::string wide = Write("Wide.cfg", CarLine("WIDE") + " 1");
    services.openPaths = {wide};
    services.answers = {Answer::Ok};
    form.mnuLoad.UserChooses();
    EXPECT_EQ(services.messages.at(0).text,
              "Cannot read \"" + wide + "\": line 1 has 33 values; a car line holds at most 32");
    EXPECT_TRUE(services.openDialogs[0].fileMustExist);
    EXPECT_EQ(doc.FilePath(), path);
    EXPECT_EQ(form.cboCars.ListCount(), 3);
    EXPECT_EQ(form.Caption(), Title());

    Type(1, "1600");
    fs::remove(path);
    fs::create_directory(path);                   // the file's place is taken: the save cannot land
    services.answers = {Answer::Yes, Answer::Ok}; // overwrite what took its place
    form.mnuSave.UserChooses();
    EXPECT_EQ(services.messages.at(2).text, "Cannot save \"" + path + "\": Is a directory");
    EXPECT_EQ(form.Caption(), Title(true));
}

TEST_F(MainWindow, CloseOpenAndRevertAskAboutChangesFirst) {
    const std::string other = Write("Other.cfg", CarLine("OTHER", "1000", "F P 0 0000 0 0"));
    Type(1, "1100");
    services.answers = {Answer::Cancel, Answer::Cancel, Answer::No};
    form.mnuExit.UserChooses();
    EXPECT_FALSE(form.IsClosed());
    EXPECT_EQ(services.messages.at(0).defaultButton, Answer::Yes) << "Enter keeps the changes";
    form.mnuLoad.UserChooses();
    form.mnuRevert.UserChooses();
    EXPECT_EQ(Cell(1, 1), "1100") << "the shown car was kept before asking";
    EXPECT_EQ(OnDisk(path), kFile);

    services.answers = {Answer::Yes};
    services.openPaths = {other};
    form.mnuLoad.UserChooses();
    EXPECT_NE(OnDisk(path).find("APPLE 1100 "), std::string::npos);
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + other + ")");

    Type(1, "1");
    form.tabGeneral.UserChoosesPage(3);
    Write("Other.cfg", CarLine("BANANA", "1000", "F P 0 0000 0 0") + "\r\n" + CarLine("FIG"));
    services.answers = {Answer::Yes};
    form.mnuRevert.UserChooses();
    EXPECT_EQ(form.txtStat[0].Text() + " " + std::to_string(form.cboCars.ListCount()) + " " +
                  std::to_string(form.tabGeneral.Tab()) + " " + form.Caption(),
              "BANANA 2 0 Kestrix 3 (" + other + ")");

    Type(13, "250");
    services.answers = {Answer::Yes};
    EXPECT_TRUE(form.TryClose());
    EXPECT_NE(OnDisk(other).find("BANANA 1000 2 4 1.5 0 0 0 80 1 0.8 0.5 5 250 "), std::string::npos);
}

// APPLE is shown: drive r, ABS x, flags 1200F, rear lights 3.
TEST_F(MainWindow, ChoicesAndFlagsWriteTheStoredFormsAndFollowTheShownCar) {
    const auto ticked = [this] {
        std::vector<int> on;
        for (int i = 0; i < form.lvFlags.Count(); ++i)
            if (form.lvFlags.Ticked(i))
                on.push_back(i);
        return on;
    };
    EXPECT_EQ(ticked(), (std::vector<int>{0, 5}));
    form.cboDrive.UserPicks(2);
    form.chkABS.UserClicks();
    EXPECT_EQ(form.cboDrive.Tip().find("Stored in the file"), std::string::npos) << "the choice is stored";

    form.cboCars.UserPicks(1); // mango: ABS 0, flags a000
    EXPECT_EQ(Cell(1, 15) + Cell(1, 19), "41") << "choosing another car keeps the shown car's choices";
    EXPECT_EQ(std::pair(form.chkABS.Value(), form.txtStat[19].Text()), std::pair(0, std::string("0")));
    EXPECT_EQ(ticked(), (std::vector<int>{1, 3}));
    EXPECT_EQ(Cell(2, 29), "a000");
    form.lvFlags.UserClicks(15, true);
    EXPECT_EQ(form.txtStat[29].Text(), "A008");
    form.cboCars.UserSteps(0); // by the arrow keys
    EXPECT_EQ(Cell(2, 29), "A008");

    Type(13, "123"); // the keyboard moves on while the field still has the focus
    form.cboCars.UserSteps(2);
    EXPECT_EQ(Cell(1, 13) + " " + form.txtStat[0].Text() + " " + form.txtStat[13].Text(), "123 ZEBRA 200");
}

// A gap left by an emptied value is saved only when the user says so; Enter commits a field (blanks
// refused and Escape bringing the value back are the window view's test), and a relative input computes
// from the value last committed or notes a typo (APPLE, row 1).
TEST_F(MainWindow, AGapIsSavedOnRequestAndAFieldCommitsOnEnterComputingFromTheValueLastCommitted) {
    TypeAndLeave(9, "");
    services.answers = {Answer::No};
    form.mnuSave.UserChooses();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("\"Traction Multiplier\""), std::string::npos);
    EXPECT_EQ(services.messages[0].defaultButton, Answer::No);
    services.messages.clear();

    Type(13, "400");
    EXPECT_TRUE(form.txtStat[13].UserPressesEnter());
    EXPECT_EQ(form.txtStat[13].SelLength(), 3u) << "the value stays selected, ready to be typed over";

    Type(1, "=*2");
    form.txtStat[1].UserPressesEnter();
    TypeAndLeave(1, "=+10%");
    EXPECT_EQ(Cell(1, 1), "2640") << "from 2400, not from 1200";
    services.answers = {Answer::Ok};
    Type(1, "=*1,5");
    form.txtStat[1].UserPressesEnter();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("\"=*1,5\""), std::string::npos);
    EXPECT_EQ(form.txtStat[1].Text(), "=*1,5") << "kept as typed";
    form.tabGeneral.UserChoosesPage(2);
    EXPECT_EQ(Cell(1, 1), "2640") << "no commit takes the typo for a value, and none asks again";
}

namespace {

// Two cars named VELKAR, rows 0 and 3; the list shows Brisling first.
const std::string kNamesakes = test::Line("VELKAR", "1000") + test::Line("Brisling", "1100") +
                               test::Line("VELKAR_GT", "1200") + test::Line("VELKAR", "1300") +
                               test::Line("ZEBRA", "1400") + test::Line("velkar", "1500");

} // namespace

// Ctrl+F finds cars by any part of their names, letter case aside, each namesake apart; Enter shows the
// one chosen as the car list would, Escape or the focus leaving closes the find, and the focus goes back.
TEST_F(PlainStart, AFindShowsTheCarChosenAmongThoseWhoseNamesHoldWhatWasTyped) {
    OpenOn(kNamesakes);
    EXPECT_EQ(ShownCar(), "Brisling");
    Type(1, "1111");
    form.mnuFindCar.UserChooses();
    EXPECT_EQ(Cell(1, 1), "1111") << "the field was left: its edit is kept";
    EXPECT_EQ(form.lvFound.ListCount(), 6) << "nothing typed yet: every car";
    form.txtFind.UserTypes("eLk");
    EXPECT_EQ(test::EntryTexts(form.lvFound),
              (std::vector<std::string>{"VELKAR (1 of 2)*", "VELKAR (2 of 2)", "velkar", "VELKAR_GT"}));
    for (const int step : {1, 1, 1, 1, -1, -1})
        EXPECT_TRUE(form.txtFind.UserPressesArrow(step));
    EXPECT_EQ(form.lvFound.ListIndex(), 1) << "Down stops at the last car";
    Type(1, "2222"); // the focus going to a stat field closes the find
    EXPECT_FALSE(form.txtFind.Visible());
    form.mnuFindCar.UserChooses();
    EXPECT_EQ(form.txtFind.SelLength(), 3u) << "the last search, ready to be typed over";
    form.txtFind.UserPressesArrow(1);
    EXPECT_TRUE(form.txtFind.UserPressesEnter());
    EXPECT_EQ(Cell(1, 1), "2222") << "the shown car kept its edit first";
    EXPECT_EQ(form.txtStat[1].Text(), "1300") << "the second VELKAR, row 3";

    form.cboCars.SetFocus();
    form.mnuFindCar.UserChooses();
    form.txtFind.UserTypes("zz");
    EXPECT_FALSE(form.lvFound.Visible()) << "no car found, no list";
    EXPECT_TRUE(form.txtFind.UserPressesEnter()) << "taken, and nothing happens";
    EXPECT_TRUE(form.txtFind.Visible());
    form.txtFind.UserTypes("ZEB");
    form.lvFound.SetFocus();
    form.lvFound.UserClicks(0);
    EXPECT_TRUE(form.txtFind.Visible() && form.txtFind.HasFocus())
        << "a click on a car found leaves the typing where it was";
    EXPECT_TRUE(form.txtFind.UserPressesEscape());
    EXPECT_FALSE(form.txtFind.Visible());
    EXPECT_EQ(form.Note(), "") << "the count of cars found goes with the find";
    EXPECT_EQ(form.txtStat[1].Text(), "1300") << "Escape shows no other car";
    form.mnuFindCar.UserChooses();
    form.lvFound.UserDoubleClicks(0);
    EXPECT_EQ(ShownCar(), "ZEBRA");
}
