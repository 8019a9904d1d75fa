// The choices a user keeps across runs, as the main window follows them: the
// layout kept by default, also for a user whose settings hold the "off" that
// earlier versions stored unasked, and the tidied save as a choice.
#include "windows/editor_test.h"
#include "windows/frmPreferences.h"

#include <gtest/gtest.h>

using namespace kestrix;
using test::CarLine;

namespace {

// A modder's file: tabs and aligned columns, a comment between the cars.
const std::string kModdersFile = "; my mod\n" + CarLine("ALPHA", "1500\t") +
                                 "\n; the cars below are added\n" + CarLine("BETA", "1400   ") + "\n";

class KeptChoices : public test::EditorTest {
  protected:
    void SaveMass(const std::string& mass) {
        Type(1, mass);
        Leave();
        form.mnuSave.UserChooses();
    }
};

} // namespace

TEST_F(KeptChoices, AnOldOffIsReadOnceAsOnAndTheUsersLaterOffStands) {
    services.settings = {{std::string(kKeepLayout), "0"}, {std::string(kStrictChecks), "0"}};
    OpenOn(kModdersFile);
    SaveMass("900");
    std::string expected = kModdersFile;
    expected.replace(expected.find("1500\t"), 5, "900\t");
    EXPECT_EQ(OnDisk(path), expected) << "only the edited car's line changed";
    EXPECT_FALSE(SettingOn(services, kStrictChecks)) << "the other choices stand";

    // The user turns it off; the next start keeps that.
    On<frmPreferences>([](frmPreferences& preferences) {
        for (std::size_t i = 0; i < BooleanSettings().size(); ++i)
            if (BooleanSettings()[i].key == kKeepLayout)
                preferences.chkSetting[i]->UserClicks();
        preferences.cmdOk.UserClicks();
    });
    form.mnuPreferences.UserChooses();
    frmMain again(doc, services);
    again.Form_Load();
    again.txtStat[1].SetFocus();
    again.txtStat[1].UserTypes("901");
    again.cboCars.SetFocus();
    again.mnuSave.UserChooses();
    EXPECT_TRUE(OnDisk(path).starts_with(";-# File Created By Kestrix 1.0\r\n")) << OnDisk(path);
}

TEST_F(KeptChoices, SaveTidiedAsWritesTheEditorsFormOnceAndTheFileBecomesThatFile) {
    OpenOn(kModdersFile);
    Type(1, "900");
    Leave();
    const std::string tidied = Path("tidied.cfg");
    services.savePaths = {tidied};
    form.mnuSaveTidied.UserChooses();
    EXPECT_EQ(OnDisk(path), kModdersFile) << "the file as opened is left alone";
    EXPECT_EQ(OnDisk(tidied), WriteHandlingText(doc.Data()));
    EXPECT_EQ(form.Caption(), "Kestrix 3 (" + tidied + ")");

    // Later saves keep the tidied file's own layout.
    SaveMass("901");
    std::string expected = WriteHandlingText(doc.Data());
    EXPECT_EQ(OnDisk(tidied), expected);
}
