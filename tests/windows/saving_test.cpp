#include "windows/editor_test.h"
#include "windows/frmPreferences.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kestrix;
using platform::Answer;
using test::CarLine;

namespace {

const std::string kAligned = ";-# File Author : someone\n" + CarLine("ALPHA", "1500   ", "R P 1 2001 1 1") +
                             "\n" + CarLine("BETA", "1400   ", "X P 1 2001 1 1") + "\n; the end\n";

class Saving : public test::EditorTest {
  protected:
    // A user of an earlier version, whose Preferences window stored "off" for every box on Ok.
    void SetUp() override {
        EditorTest::SetUp();
        services.settings = {{std::string(kKeepLayout), "0"}, {std::string(kStrictChecks), "0"}};
        OpenOn(kAligned);
    }
    // Ticks or clears the setting in the Preferences window, and presses Ok.
    void Prefer(std::string_view key, bool on) {
        On<frmPreferences>([key, on](frmPreferences& preferences) {
            for (std::size_t i = 0; i < BooleanSettings().size(); ++i) {
                if (BooleanSettings()[i].key == key && (preferences.chkSetting[i]->Value() != 0) != on)
                    preferences.chkSetting[i]->UserClicks();
            }
            preferences.UserPressesEnter();
        });
        form.mnuPreferences.UserChooses();
    }
};

// Another editor of the same user, with its journals in state, answering the questions of its start.
struct Another : test::Editor {
    Another(const std::string& state, std::deque<Answer> answers, const std::string& file = {}) {
        services.stateFolder = state;
        services.answers = std::move(answers);
        Start(file.empty() ? "" : "\"" + file + "\"");
    }
};

using Recovery = test::EditorTest;

std::size_t JournalsIn(const std::string& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += entry.path().extension() == ".journal";
    return count;
}

} // namespace

TEST_F(Saving, TheBackupHoldsTheFileAsOpenedTheLayoutIsKeptAndStrictChecksListTheirRowsWhenChosen) {
    TypeAndLeave(1, "900");
    form.mnuSave.UserChooses();
    EXPECT_EQ(OnDisk(path), ";-# File Author : someone\n" + CarLine("ALPHA", "900    ", "R P 1 2001 1 1") +
                                "\n" + CarLine("BETA", "1400   ", "X P 1 2001 1 1") + "\n; the end\n");
    services.answers = {Answer::Yes};
    form.mnuRevert.UserChooses();
    TypeAndLeave(1, "902");
    form.mnuSave.UserChooses();
    EXPECT_EQ(OnDisk(path + ".bak"), kAligned) << "saves and a revert leave the file as it was opened";

    // A tidied save writes the editor's own form once, under the name chosen.
    const std::string kept = OnDisk(path), tidied = Path("Tidied.cfg");
    services.savePaths = {tidied};
    form.mnuSaveTidied.UserChooses();
    EXPECT_EQ(OnDisk(tidied), WriteHandlingText(doc.Data()));
    EXPECT_EQ(OnDisk(path), kept);
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + tidied + ")");
    // The user's own "off" stands at the next start.
    Prefer(kKeepLayout, false);
    test::Editor next(services.settings);
    next.Start("\"" + path + "\"");
    next.TypeAndLeave(1, "903");
    next.form.mnuSave.UserChooses();
    EXPECT_TRUE(OnDisk(path).starts_with(";-# File Created By Kestrix 1.0\r\n"));

    EXPECT_TRUE(ErrorRows().empty());
    Prefer(kStrictChecks, true);
    const std::string drive = "#15|BETA|X is not a drive type; the game reads F, R or 4.";
    EXPECT_EQ(ErrorRows(), std::vector<std::string>{drive});
    TypeAndLeave(12, "4.5");
    EXPECT_EQ(ErrorRows(), (std::vector<std::string>{"#12|ALPHA|4.5 is not a whole number.", drive}))
        << "a commit judges the edited car again under the same rules";
    Prefer(kStrictChecks, false);
    EXPECT_TRUE(ErrorRows().empty());
}

TEST_F(Saving, AFileAnotherProgramChangedIsNeverOverwrittenUnaskedReloadsUndoablyAndIsOfferedOnComingBack) {
    TypeAndLeave(1, "900");
    const std::string theirs = kAligned + CarLine("GAMMA") + "\n";
    test::WriteFile(path, theirs);
    services.answers = {Answer::Cancel};
    form.mnuSave.UserChooses();
    EXPECT_NE(services.messages.at(0).text.find(path + "\" was changed by another program"),
              std::string::npos);
    EXPECT_EQ(services.messages[0].defaultButton, Answer::Cancel);
    EXPECT_EQ(OnDisk(path), theirs);

    // Reload: the file as it now is, one step that undo takes back.
    services.answers = {Answer::No};
    form.mnuSave.UserChooses();
    EXPECT_EQ(form.cboCars.ListCount(), 3);
    EXPECT_EQ(form.Caption(), Title());
    form.mnuUndo.UserChooses();
    EXPECT_EQ(form.cboCars.ListCount(), 2);
    EXPECT_EQ(form.txtStat[1].Text(), "900");
    EXPECT_TRUE(doc.Modified());

    // Deleted, the file is made anew only when the user says so.
    std::filesystem::remove(path);
    TypeAndLeave(1, "901");
    services.answers = {Answer::No};
    form.mnuSave.UserChooses();
    EXPECT_FALSE(std::filesystem::exists(path));
    services.answers = {Answer::Yes};
    form.mnuSave.UserChooses();
    EXPECT_NE(OnDisk(path).find("ALPHA 901 "), std::string::npos);

    // Coming back to a file changed meanwhile offers to read it again.
    services.messages.clear();
    form.UserActivates(); // unchanged on disk: nothing to ask, and no answer is scripted
    test::WriteFile(path, CarLine("GAMMA") + "\n");
    services.answers = {Answer::No};
    form.UserActivates();
    EXPECT_EQ(ShownCar(), "ALPHA") << "kept as it was";
    form.UserActivates();
    EXPECT_EQ(services.messages.size(), 1u) << "declined once for this change";

    // Offered with unsaved edits too.
    TypeAndLeave(1, "950");
    test::WriteFile(path, CarLine("DELTA_CAR") + "\n");
    services.answers = {Answer::Yes};
    form.UserActivates();
    EXPECT_NE(services.messages.back().text.find("Your unsaved edits stay undoable."), std::string::npos);
    EXPECT_EQ(ShownCar(), "DELTA_CAR");

    std::filesystem::remove(path);
    services.answers = {Answer::Ok};
    form.UserActivates();
    form.UserActivates();
    EXPECT_EQ(services.messages.size(), 3u);
    EXPECT_NE(services.messages.back().text.find("was deleted or moved away"), std::string::npos);
}

TEST_F(Recovery, TheEditsOfAnEditorThatDidNotCloseAreOfferedAndComeBackUndoableOrNotAtAll) {
    const std::string state = Path("state");
    path = Write("Handling.cfg", kAligned);
    const auto leaveJournal = [&] {
        Another killed(state, {}, path);
        killed.TypeAndLeave(1, "900");
        killed.TypeAndLeave(13, "250");
        killed.form.cboCars.UserPicks(1);
        killed.TypeAndLeave(1, "1234");
    }; // it ends without a clean close
    leaveJournal();
    {
        Another declined(state, {Answer::No});
        EXPECT_EQ(declined.doc.FilePath(), "");
    }
    EXPECT_EQ(JournalsIn(state), 0u);

    // A plain start offers the journal of any file, and opens that file to recover it.
    leaveJournal();
    services.stateFolder = state;
    services.answers = {Answer::Yes};
    Start();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find(path), std::string::npos);
    EXPECT_EQ(Cell(0, 1) + " " + Cell(0, 13) + " " + Cell(1, 1), "900 250 1234");
    EXPECT_EQ(form.lblChanges.Caption(), "3 values changed");
    EXPECT_EQ(OnDisk(path), kAligned) << "a recovery writes nothing";
    EXPECT_EQ(JournalsIn(state), 1u) << "the left journal went; this editor keeps its own";
    for (int undo = 0; undo < 3; ++undo)
        form.mnuUndo.UserChooses();
    EXPECT_EQ(Cell(0, 1), "1500");
    EXPECT_FALSE(doc.Modified());
    form.mnuExit.UserChooses();
    EXPECT_EQ(JournalsIn(state), 0u) << "a clean close leaves nothing to recover";

    // Edits that no longer apply to the file are refused whole and kept aside.
    leaveJournal();
    test::WriteFile(path, CarLine("ALPHA", "1400") + "\n");
    {
        Another again(state, {Answer::Yes, Answer::Ok}, path);
        const std::string refused = again.services.messages.at(1).text;
        EXPECT_TRUE(
            refused.starts_with("The unsaved edits of \"" + path + "\" cannot be recovered: the edit"));
        EXPECT_NE(refused.find(".\rThe file is open as it is on disk.\rThe journal is kept as \"" + state),
                  -1);
        EXPECT_TRUE(refused.ends_with(".journal.refused\".")) << refused;
        EXPECT_FALSE(again.doc.Modified());
        again.form.mnuExit.UserChooses();
    }
    EXPECT_EQ(JournalsIn(state), 0u) << "refused journals are kept aside, never offered again";

    // So are those of a file that is gone.
    test::WriteFile(path, kAligned);
    leaveJournal();
    std::filesystem::remove(path);
    {
        Another gone(state, {Answer::Yes, Answer::Ok});
        EXPECT_TRUE(gone.services.messages.at(1).text.starts_with("The unsaved edits of \"" + path +
                                                                  "\" cannot be recovered: Cannot open"));
    }
    EXPECT_EQ(JournalsIn(state), 0u);

    // A folder that cannot be written: one message, and the editor works on.
    test::WriteFile(path, kAligned);
    Another unwritable(Path("Handling.cfg/state"), {Answer::Ok}, path);
    unwritable.TypeAndLeave(1, "1450");
    unwritable.form.mnuSave.UserChooses();
    ASSERT_EQ(unwritable.services.messages.size(), 1u);
    EXPECT_NE(unwritable.services.messages[0].text.find("Cannot keep a recovery journal in"),
              std::string::npos);
    EXPECT_NE(OnDisk(path).find("ALPHA 1450 "), std::string::npos);
}
