// What a user sees of the saving and checking preferences through the main
// window: the backup holds the file as opened, a layout-keeping save changes
// only the edited line, and strict checks add their rows to the error list.
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
    void TypeMass(const std::string& mass) {
        Type(1, mass);
        Leave();
    }
    // Ticks or clears the setting in the Preferences window, and presses Ok.
    void Prefer(std::string_view key, bool on) {
        services.steps.push_back([key, on](platform::Window& window) {
            auto& preferences = test::ScriptedServices::As<frmPreferences>(window);
            for (std::size_t i = 0; i < BooleanSettings().size(); ++i) {
                if (BooleanSettings()[i].key == key && (preferences.chkSetting[i]->Value() != 0) != on)
                    preferences.chkSetting[i]->UserClicks();
            }
            preferences.UserPressesEnter();
        });
        form.mnuPreferences.UserChooses();
    }
};

} // namespace

TEST_F(Saving, TheBackupHoldsTheFileAsOpenedAndTheLayoutIsKeptWhenChosen) {
    OpenOn(kAligned);
    Prefer(kKeepLayout, true);
    TypeMass("900");
    form.mnuSave.UserChooses();
    EXPECT_EQ(OnDisk(path), ";-# File Author : someone\n" + CarLine("ALPHA", "900    ", "R P 1 2001 1 1") +
                                "\n" + CarLine("BETA", "1400   ", "X P 1 2001 1 1") + "\n; the end\n");
    TypeMass("901");
    form.mnuSave.UserChooses();
    services.answers = {Answer::Yes};
    form.mnuRevert.UserChooses();
    TypeMass("902");
    form.mnuSave.UserChooses();
    EXPECT_EQ(OnDisk(path + ".bak"), kAligned) << "saves and a revert leave the file as it was opened";

    // Off again, the save writes the editor's own form.
    Prefer(kKeepLayout, false);
    TypeMass("903");
    form.mnuSave.UserChooses();
    EXPECT_TRUE(OnDisk(path).starts_with(";-# File Created By Kestrix"));
    EXPECT_EQ(OnDisk(path + ".bak"), kAligned);
}

TEST_F(Saving, StrictChecksAddTheirRowsToTheErrorListWhenChosen) {
    OpenOn(kAligned);
    EXPECT_TRUE(ErrorRows().empty());
    Prefer(kStrictChecks, true);
    EXPECT_EQ(ErrorRows(),
              std::vector<std::string>{"#15|BETA|X is not a drive type; the game reads F, R or 4."});
    // A commit judges the edited car again under the same rules.
    Type(12, "4.5");
    Leave();
    EXPECT_EQ(ErrorRows(),
              (std::vector<std::string>{"#12|ALPHA|4.5 is not a whole number.",
                                        "#15|BETA|X is not a drive type; the game reads F, R or 4."}));
    Prefer(kStrictChecks, false);
    EXPECT_TRUE(ErrorRows().empty());
}

TEST_F(Saving, AFileAnotherProgramChangedIsNeverOverwrittenUnasked) {
    OpenOn(kAligned);
    TypeMass("900");
    const std::string theirs = kAligned + "; added by another program, a little longer\n";
    test::WriteFile(path, theirs);
    services.answers = {Answer::No};
    form.mnuSave.UserChooses();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "The file \"" + path +
                                             "\" was changed by another program since it was opened or last "
                                             "saved.\rOverwrite it with the document as it is here?");
    EXPECT_EQ(services.messages[0].defaultButton, Answer::No);
    EXPECT_EQ(OnDisk(path), theirs);
    EXPECT_TRUE(doc.Modified());
    form.UserActivates();
    EXPECT_EQ(services.messages.size(), 1u) << "no reload offered while there are unsaved edits";

    services.answers = {Answer::Yes};
    form.mnuSave.UserChooses();
    EXPECT_NE(OnDisk(path).find("ALPHA 900 "), std::string::npos);
    EXPECT_FALSE(doc.Modified());

    // Deleted, the file is made anew only when the user says so.
    std::filesystem::remove(path);
    TypeMass("901");
    services.answers = {Answer::No};
    form.mnuSave.UserChooses();
    EXPECT_NE(services.messages.back().text.find("was deleted or moved away"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
    services.answers = {Answer::Yes};
    form.mnuSave.UserChooses();
    EXPECT_NE(OnDisk(path).find("ALPHA 901 "), std::string::npos);
}

TEST_F(Saving, ComingBackToAFileChangedMeanwhileOffersToReadItAgain) {
    OpenOn(kAligned);
    form.UserActivates();
    EXPECT_TRUE(services.messages.empty());
    test::WriteFile(path, CarLine("GAMMA") + "\n");
    services.answers = {Answer::No};
    form.UserActivates();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].yesCaption, "&Reload");
    EXPECT_EQ(form.cboCars.List(form.cboCars.ListIndex()), "ALPHA") << "kept as it was";
    form.UserActivates();
    EXPECT_EQ(services.messages.size(), 1u) << "declined once for this change";

    test::WriteFile(path, CarLine("DELTA_CAR") + "\n");
    services.answers = {Answer::Yes};
    form.UserActivates();
    EXPECT_EQ(form.cboCars.List(form.cboCars.ListIndex()), "DELTA_CAR");
    EXPECT_FALSE(doc.Modified());
    form.UserActivates();
    EXPECT_EQ(services.messages.size(), 2u);
}
