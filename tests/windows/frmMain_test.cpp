#include "windows/editor_test.h"
#include "windows/frmPreferences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace kestrix;
using platform::Answer;
using test::CarLine;
namespace fs = std::filesystem;

namespace {

const std::string& kFile = test::kThreeCars;

class MainWindow : public test::EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        path = Write("Handling.cfg", kFile);
    }

    void Start(const std::string& commandLine) {
        services.commandLine = commandLine;
        form.Form_Load();
    }
    void StartWithFile() { Start("\"" + path + "\""); }

    std::vector<int> Ticked() const {
        std::vector<int> on;
        for (int i = 0; i < form.lvFlags.Count(); ++i)
            if (form.lvFlags.Ticked(i))
                on.push_back(i);
        return on;
    }
};

} // namespace

TEST_F(MainWindow, StartsEmptyWithOnlyTheFileFreeCommandsWhenTheCommandLineFileCannotBeRead) {
    services.answers = {Answer::Ok};
    Start("\"" + (folder / "missing.cfg").string() + "\"");
    EXPECT_EQ(services.messages.at(0).text,
              "Cannot open \"" + (folder / "missing.cfg").string() + "\": No such file or directory");
    services.messages.clear();
    EXPECT_EQ(form.Caption(), "Kestrix 3");
    EXPECT_EQ(doc.FilePath(), "");
    for (const platform::Control* on :
         {&form.mnuLoad, &form.mnuExit, &form.mnuViewProperties, &form.mnuAbout})
        EXPECT_TRUE(on->Enabled()) << on->Name();
    EXPECT_TRUE(form.cmdViewErrors.Enabled());
    for (const platform::Control* off : std::initializer_list<const platform::Control*>{
             &form.cboCars, &form.tabGeneral, &form.mnuSave, &form.mnuRevert, &form.mnuFileComments,
             &form.lvErrors})
        EXPECT_FALSE(off->Enabled()) << off->Name();
    form.StatsToArray(); // with no file: no copy, no check
    EXPECT_EQ(form.lvErrors.RowCount(), 0);
    EXPECT_TRUE(form.TryClose()) << "nothing to ask about";
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(MainWindow, OpensTheCommandLineFileOnItsFirstCarByName) {
    StartWithFile();
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + path + ")");
    EXPECT_EQ(form.cboCars.List(0), "APPLE");
    EXPECT_EQ(form.cboCars.List(2), "ZEBRA") << "names sort without regard to case";
    EXPECT_EQ(form.cboCars.ItemData(0), 1);
    EXPECT_EQ(form.txtStat[0].Text(), "APPLE");
    EXPECT_FALSE(form.txtStat[0].Enabled());
    EXPECT_FALSE(form.txtStat[15].Visible());
    EXPECT_TRUE(form.txtStat[1].Enabled());
    EXPECT_EQ(form.tabGeneral.Tab(), 0);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(ErrorRows(), (std::vector<std::string>{"#29|APPLE|1200F is longer than maximum length 4.",
                                                     "#1|mango|99999 is larger than maximum value 50000."}));
    EXPECT_EQ(services.busyDepth, 0);
}

TEST_F(MainWindow, TheRoadOfOneFileFromOpenToSave) {
    StartWithFile();
    Type(1, "abc");
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + path + "*)") << "the star comes with the first keystroke";
    EXPECT_EQ(Cell(1, 1), "1200") << "the table waits until the field is left";
    EXPECT_EQ(form.lvErrors.RowCount(), 2);
    EXPECT_EQ(form.CurrentStat, 1);

    Leave();
    EXPECT_EQ(Cell(1, 1), "abc");
    EXPECT_EQ(ErrorRows()[0], "#1|APPLE|abc is not a valid number.");

    Type(1, "1300");
    form.mnuSave.UserChooses(); // the shortcut acts while the field still has the focus
    EXPECT_EQ(Cell(1, 1), "1300");
    EXPECT_EQ(OnDisk(path), WriteHandlingText(doc.Data()));
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + path + ")");
    EXPECT_FALSE(doc.Modified());

    Write("Handling.cfg", "changed elsewhere");
    form.mnuSave.UserChooses();
    EXPECT_EQ(OnDisk(path), "changed elsewhere") << "saving an unchanged document writes nothing";
}

TEST_F(MainWindow, EveryAnswerOfTheCloseQuestion) {
    StartWithFile();
    Type(13, "250");
    services.answers = {Answer::Cancel, Answer::No};
    form.mnuExit.UserChooses();
    EXPECT_FALSE(form.IsClosed());
    EXPECT_EQ(services.messages.at(0).defaultButton, Answer::Yes) << "Enter keeps the changes";
    EXPECT_TRUE(doc.Modified());
    EXPECT_TRUE(form.TryClose());
    EXPECT_EQ(OnDisk(path), kFile) << "No loses the changes";

    Document other; // the closed window is done with: a new one says Yes
    test::ScriptedServices otherServices;
    otherServices.commandLine = "\"" + path + "\"";
    frmMain second{other, otherServices};
    second.Form_Load();
    second.txtStat[13].SetFocus();
    second.txtStat[13].UserTypes("250");
    otherServices.answers = {Answer::Yes};
    EXPECT_TRUE(second.TryClose());
    EXPECT_NE(OnDisk(path).find("APPLE 1200 2 4 1.5 0 0 0 80 1 0.8 0.5 5 250 "), std::string::npos);
}

TEST_F(MainWindow, RevertRereadsTheFileAfterAsking) {
    StartWithFile();
    Type(1, "1");
    Leave();
    services.answers = {Answer::No};
    form.mnuRevert.UserChooses();
    EXPECT_EQ(Cell(1, 1), "1");

    form.tabGeneral.UserChoosesPage(3);
    Write("Handling.cfg", CarLine("BANANA", "1000", "F P 0 0000 0 0"));
    services.answers = {Answer::Yes};
    form.mnuRevert.UserChooses();
    EXPECT_EQ(form.txtStat[0].Text(), "BANANA");
    EXPECT_EQ(form.cboCars.ListCount(), 1);
    EXPECT_EQ(form.tabGeneral.Tab(), 0);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + path + ")");
}

TEST_F(MainWindow, SaveAsCancelledOrChosen) {
    StartWithFile();
    Type(1, "1400");
    services.savePaths = {""};
    form.mnuSaveAs.UserChooses();
    EXPECT_EQ(services.saveDialogs[0].initialFolder, folder.string()) << "the open file's folder";
    EXPECT_TRUE(services.saveDialogs[0].confirmReplace);
    EXPECT_TRUE(doc.Modified()) << "cancelling changes nothing";
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + path + "*)");
    EXPECT_EQ(OnDisk(path), kFile);
    services.answers = {Answer::Cancel};
    EXPECT_FALSE(form.TryClose()) << "exit still asks";

    const std::string copy = (folder / "Copy.cfg").string();
    services.savePaths = {copy};
    form.mnuSaveAs.UserChooses();
    EXPECT_EQ(doc.FilePath(), copy);
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + copy + ")");
    EXPECT_NE(OnDisk(copy).find("APPLE 1400 "), std::string::npos);
    EXPECT_EQ(OnDisk(path), kFile);
}

TEST_F(MainWindow, FailuresNameThePathAndKeepTheDocument) {
    StartWithFile();
    std::string line;
    for (int i = 0; i < 33; ++i)
        line += "v ";
    const std::string wide = Write("Wide.cfg", line);
    services.openPaths = {wide};
    services.answers = {Answer::Ok};
    form.mnuLoad.UserChooses();
    EXPECT_EQ(services.messages.at(0).text,
              "Cannot read \"" + wide + "\": line 1 has 33 values; a car line holds at most 32");
    EXPECT_TRUE(services.openDialogs[0].fileMustExist);
    EXPECT_EQ(doc.FilePath(), path);
    EXPECT_EQ(form.cboCars.ListCount(), 3);
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + path + ")");

    Type(1, "1600");
    fs::remove(path);
    fs::create_directory(path);                   // the file's place is taken: the save cannot land
    services.answers = {Answer::Yes, Answer::Ok}; // overwrite what took its place
    form.mnuSave.UserChooses();
    EXPECT_EQ(services.messages.at(2).text, "Cannot save \"" + path + "\": Is a directory");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + path + "*)");
    services.answers = {Answer::Yes, Answer::Yes, Answer::Ok};
    EXPECT_FALSE(form.TryClose()) << "a failed save on exit keeps the window";
}

TEST_F(MainWindow, OpenAsksAboutChangesFirst) {
    StartWithFile();
    const std::string other = Write("Other.cfg", CarLine("OTHER", "1000", "F P 0 0000 0 0"));
    Type(1, "1100");
    services.answers = {Answer::Cancel};
    form.mnuLoad.UserChooses();
    EXPECT_TRUE(services.openDialogs.empty());
    EXPECT_EQ(Cell(1, 1), "1100") << "the shown car was kept before asking";

    services.answers = {Answer::Yes};
    services.openPaths = {other};
    form.mnuLoad.UserChooses();
    EXPECT_NE(OnDisk(path).find("APPLE 1100 "), std::string::npos);
    EXPECT_EQ(form.txtStat[0].Text(), "OTHER");
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + other + ")");
}

TEST_F(MainWindow, ChoiceControlsShowAndWriteTheStoredForms) {
    StartWithFile(); // APPLE: drive r, engine e, ABS x, flags 1200F, lights 7 and 3
    EXPECT_EQ(form.cboDrive.ListIndex(), -1) << "an unknown drive type shows no choice";
    EXPECT_EQ(form.txtStat[15].Text(), "r");
    EXPECT_EQ(form.cboRear.ListIndex(), 3);
    EXPECT_EQ(form.txtStat[19].Text(), "x") << "an unreadable ABS value stays";
    EXPECT_EQ(Ticked(), (std::vector<int>{0, 5}));
    EXPECT_FALSE(doc.Modified()) << "showing a car changes nothing";
    EXPECT_EQ(Cell(1, 15), "r");
    form.tabGeneral.UserChoosesPage(3);
    EXPECT_EQ(Cell(1, 15), "r") << "showing the car wrote nothing";
    EXPECT_EQ(Cell(1, 29), "1200F");

    form.cboDrive.UserPicks(2);
    form.cboRear.UserPicks(3);
    form.cboFront.UserPicks(1);
    form.chkABS.UserClicks();
    EXPECT_EQ(form.txtStat[15].Text(), "4");
    EXPECT_EQ(form.txtStat[30].Text(), "1");
    EXPECT_EQ(form.txtStat[19].Text(), "1");
    EXPECT_TRUE(doc.Modified());
    EXPECT_EQ(form.cboDrive.Tip().find("Stored in the file"), std::string::npos) << "the choice is stored";

    form.cboCars.UserPicks(1); // mango: ABS 0 after APPLE's 1
    EXPECT_EQ(Cell(1, 15), "4") << "choosing another car keeps the shown car's choices";
    EXPECT_EQ(form.chkABS.Value(), 0);
    EXPECT_EQ(form.txtStat[19].Text(), "0");
    EXPECT_EQ(form.cboDrive.ListIndex(), 2);
}

TEST_F(MainWindow, FlagsInBothDirections) {
    StartWithFile();
    form.cboCars.UserPicks(1); // mango: a000
    EXPECT_EQ(Ticked(), (std::vector<int>{1, 3}));
    EXPECT_EQ(form.lvFlags.Current(), 0);
    EXPECT_FALSE(doc.Modified());

    form.lvFlags.UserMovesTo(4);
    EXPECT_EQ(form.txtStat[29].Text(), "A000");
    EXPECT_TRUE(doc.Modified()) << "a move alone rewrites the value";
    form.lvFlags.UserClicks(15, true);
    EXPECT_EQ(form.txtStat[29].Text(), "A008");
    for (int i = 0; i < 16; ++i)
        if (!form.lvFlags.Ticked(i))
            form.lvFlags.UserClicks(i, true);
    EXPECT_EQ(form.txtStat[29].Text(), "FFFF");

    form.cboCars.UserSteps(0); // by the arrow keys: APPLE, 1200F
    EXPECT_EQ(Cell(2, 29), "FFFF");
    EXPECT_EQ(Ticked(), (std::vector<int>{0, 5}));
    form.lvFlags.UserClicks(2, true);
    EXPECT_EQ(form.txtStat[29].Text(), "5200");

    Type(13, "123"); // the keyboard moves on while the field still has the focus
    form.cboCars.UserSteps(2);
    EXPECT_EQ(Cell(1, 13), "123");
    EXPECT_EQ(form.txtStat[0].Text(), "ZEBRA");
    EXPECT_EQ(form.txtStat[13].Text(), "200");
}

TEST_F(MainWindow, ADocumentWithoutCars) {
    path = Write("Empty.cfg", "; only comments\r\n");
    StartWithFile();
    EXPECT_EQ(form.cboCars.ListCount(), 0);
    EXPECT_FALSE(form.tabGeneral.Enabled());
    EXPECT_FALSE(form.txtStat[1].Enabled());
    EXPECT_FALSE(form.mnuDelete.Enabled());
    EXPECT_FALSE(form.mnuExportCarStats.Enabled());
    EXPECT_TRUE(form.mnuAdd.Enabled());
    EXPECT_TRUE(form.mnuImportCarStats.Enabled());
    EXPECT_TRUE(form.mnuSave.Enabled());
    form.StatsToArray();
    EXPECT_EQ(form.lvErrors.RowCount(), 0);
}

TEST_F(MainWindow, AUsersChoiceAlwaysWritesAndMarksEvenTheSameEntry) {
    StartWithFile(); // APPLE: rear lights 3
    form.cboRear.UserPicks(3);
    EXPECT_TRUE(doc.Modified()) << "the entry already shown";
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + path + "*)");

    Start("\"" + path + "\"");
    EXPECT_FALSE(doc.Modified());
    form.lvFlags.UserClicks(form.lvFlags.Current(), false);
    EXPECT_TRUE(doc.Modified()) << "a click on the text of the current flag";
    EXPECT_EQ(form.txtStat[Flags].Text(), "1200") << "the flags rebuilt from the ticks";
}

TEST_F(MainWindow, StatFieldsTakeNoBlankSoASavedFileReadsBack) {
    StartWithFile();
    const std::string mass = form.txtStat[1].Text();
    Type(1, "1 500\r\n600");
    EXPECT_EQ(form.txtStat[1].Text(), mass) << "refused whole, never joined to 1500600";
    EXPECT_NE(form.Note().find("no blank, tab or line end"), std::string::npos);
    EXPECT_FALSE(doc.Modified());
    Type(25, "20\t000");
    Type(1, "1600");
    form.mnuSave.UserChooses();
    HandlingDocument reread;
    ApplyToDocument(ParseHandlingText(OnDisk(path)).file, reread);
    EXPECT_EQ(reread.Cars, doc.Cars());
}

TEST_F(MainWindow, AnEmptiedValueBeforeOthersIsSavedOnlyWhenTheUserSaysSo) {
    StartWithFile();
    Type(9, "");
    Leave();
    services.answers = {Answer::No};
    form.mnuSave.UserChooses();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("\"Traction Multiplier\""), std::string::npos);
    EXPECT_EQ(services.messages[0].defaultButton, Answer::No);
    EXPECT_EQ(OnDisk(path), kFile) << "No writes nothing";
    EXPECT_TRUE(doc.Modified());

    services.answers = {Answer::Yes, Answer::No};
    EXPECT_FALSE(form.TryClose()) << "the close question's save asks too, and No keeps the window";
    EXPECT_EQ(OnDisk(path), kFile);

    const std::string copy = Path("Copy.cfg");
    services.savePaths = {copy};
    services.answers = {Answer::Yes};
    form.mnuSaveAs.UserChooses();
    EXPECT_NE(OnDisk(copy).find("APPLE 1200 2 4 1.5 0 0 0 80  0.8 "), std::string::npos) << "Yes saves";
    EXPECT_FALSE(doc.Modified());

    services.messages.clear();
    services.answers = {Answer::Yes};
    form.mnuRevert.UserChooses();
    services.savePaths = {copy};
    form.mnuSaveAs.UserChooses();
    EXPECT_EQ(services.messages.size(), 1u) << "a document read from a file saves without the question";
}

TEST_F(MainWindow, FileDialogsStartWhereTheUserLastWas) {
    Start("");
    services.openPaths = {""};
    form.mnuLoad.UserChooses();
    EXPECT_EQ(services.openDialogs.at(0).initialFolder, "/home/modder") << "nothing known yet: home";
    services.openPaths = {path};
    form.mnuLoad.UserChooses();
    EXPECT_EQ(services.settings["files/lastFolder"], folder.string());

    Document next;
    frmMain later{next, services};
    services.commandLine.clear();
    later.Form_Load();
    services.openPaths = {""};
    later.mnuLoad.UserChooses();
    EXPECT_EQ(services.openDialogs.at(2).initialFolder, folder.string()) << "the last folder, across runs";
}

TEST_F(MainWindow, TheErrorListSaysHowManyErrorsItLeftOut) {
    std::string lines;
    for (int car = 0; car < 1100; ++car)
        lines += "X\r\n"; // 31 errors a car
    path = Write("Broken.cfg", lines);
    StartWithFile();
    EXPECT_EQ(form.lvErrors.RowCount(), ErrorRegister::kMaxRows);
    EXPECT_EQ(form.Label2.Caption(),
              "Errors : (" + std::to_string(1100 * 31 - ErrorRegister::kMaxRows) + " more not listed)");
}

TEST_F(MainWindow, EnterCommitsAFieldAndEscapeBringsBackTheValueLastCommitted) {
    StartWithFile(); // APPLE, row 1
    platform::TextField& velocity = form.txtStat[13];
    Type(13, "400");
    EXPECT_TRUE(velocity.UserPressesEnter());
    EXPECT_EQ(Cell(1, 13), "400");
    const std::vector<std::string> rows = ErrorRows();
    EXPECT_NE(std::find(rows.begin(), rows.end(), "#13|APPLE|400 is larger than maximum value 300."),
              rows.end())
        << "Enter checks as leaving the field does";
    EXPECT_EQ(velocity.SelLength(), 3u) << "the value stays selected, ready to be typed over";

    velocity.UserTypes("4001");
    EXPECT_TRUE(velocity.UserPressesEscape());
    EXPECT_EQ(velocity.Text(), "400");
    Leave();
    EXPECT_EQ(Cell(1, 13), "400");
}

TEST_F(MainWindow, ARelativeInputComputesFromTheValueLastCommittedOrNotesATypo) {
    StartWithFile();
    Type(1, "=*2");
    form.txtStat[1].UserPressesEnter();
    EXPECT_EQ(form.txtStat[1].Text(), "2400");
    Type(1, "=+10%");
    Leave();
    EXPECT_EQ(Cell(1, 1), "2640") << "from 2400, not from 1200";

    services.answers = {Answer::Ok};
    Type(1, "=*1,5");
    form.txtStat[1].UserPressesEnter();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("\"=*1,5\""), std::string::npos);
    EXPECT_EQ(form.txtStat[1].Text(), "=*1,5") << "kept as typed";
    EXPECT_EQ(Cell(1, 1), "2640");
    form.tabGeneral.UserChoosesPage(2);
    EXPECT_EQ(Cell(1, 1), "2640") << "no other commit takes the typo for a value, and none asks again";
    form.mnuSave.UserChooses();
    EXPECT_NE(OnDisk(path).find("APPLE 2640 "), std::string::npos);
}

TEST_F(MainWindow, RecentFilesAreKeptNewestFirstGreyedWhenMissingAndReopenedAtAPlainStart) {
    std::vector<std::string> paths;
    for (int i = 0; i < 9; ++i)
        paths.push_back(Write("Cars" + std::to_string(i) + ".cfg", kFile));
    Start("");
    for (const std::string& file : paths) {
        services.openPaths.push_back(file);
        form.mnuLoad.UserChooses();
    }
    form.mnuRecent.UserChooses();
    EXPECT_TRUE(form.mnuRecentFile[7].Visible());
    EXPECT_EQ(form.mnuRecentFile[7].Tip(), paths[1]) << "eight at most: the first one opened went";
    EXPECT_FALSE(form.mnuRemoveMissing.Enabled());

    fs::remove(paths[5]);
    Type(13, "250");
    services.answers = {Answer::No};
    form.mnuRecentFile[6].UserChooses(); // Cars2.cfg
    EXPECT_NE(services.messages.at(0).text.find("Cars8.cfg"), std::string::npos);
    EXPECT_EQ(doc.FilePath(), paths[2]);
    form.mnuRecent.UserChooses();
    EXPECT_EQ(form.mnuRecentFile[0].Tip(), paths[2]);
    EXPECT_FALSE(form.mnuRecentFile[4].Enabled()) << "Cars5.cfg is missing";
    form.mnuRemoveMissing.UserChooses();
    EXPECT_EQ(form.mnuRecentFile[4].Tip(), paths[4]);
    EXPECT_FALSE(form.mnuRecentFile[7].Visible());

    const auto plainStart = [this](bool reopen) {
        Document other;
        test::ScriptedServices next;
        next.settings = services.settings; // what this run kept
        next.settings[std::string(kReopenLastFile)] = reopen ? "1" : "0";
        frmMain again{other, next};
        again.Form_Load();
        return other.FilePath();
    };
    EXPECT_EQ(plainStart(false), "");
    EXPECT_EQ(plainStart(true), paths[2]);
}

TEST_F(MainWindow, PreferencesAreKeptOnOkOnly) {
    Start("");
    EXPECT_FALSE(form.TextFieldsKeepEditingKeys) << "off by default";
    services.steps = {[](platform::Window& window) {
                          auto& preferences = test::ScriptedServices::As<frmPreferences>(window);
                          ASSERT_EQ(preferences.chkSetting.size(), BooleanSettings().size());
                          preferences.chkSetting[0]->UserClicks();
                          preferences.UserPressesEscape();
                      },
                      [](platform::Window& window) {
                          auto& preferences = test::ScriptedServices::As<frmPreferences>(window);
                          EXPECT_EQ(preferences.chkSetting[0]->Value(), 0) << "Cancel kept nothing";
                          preferences.chkSetting[0]->UserClicks();
                          preferences.UserPressesEnter();
                      }};
    form.mnuPreferences.UserChooses();
    EXPECT_FALSE(form.TextFieldsKeepEditingKeys);
    form.mnuPreferences.UserChooses();
    EXPECT_TRUE(form.TextFieldsKeepEditingKeys);
    EXPECT_EQ(services.settings[std::string(kTextFieldsKeepEditingKeys)], "1");
    EXPECT_EQ(services.settings[std::string(kReopenLastFile)], "0");
}

TEST_F(MainWindow, TheWindowsPlaceIsKeptWhenItCloses) {
    services.settings["Main/Place"] = "10,20,900,700,max";
    frmMain placed{doc, services};
    EXPECT_EQ(placed.Place(), (platform::Placement{10, 20, 900, 700, true}));
    placed.Form_Load();
    placed.UserPlaces({30, 40, 1000, 800});
    EXPECT_TRUE(placed.TryClose());
    EXPECT_EQ(services.settings["Main/Place"], "30,40,1000,800");
    EXPECT_EQ(platform::PlacementOf("1,2,3"), std::nullopt);
    EXPECT_EQ(platform::PlacementOf("1,2,0,4"), std::nullopt);
}
