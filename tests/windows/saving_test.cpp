// What a user sees of the saving and checking preferences through the main
// window: the backup holds the file as opened, a layout-keeping save changes
// only the edited line, and strict checks add their rows to the error list.
#include "sample_cars.h"
#include "windows/editor_settings.h"
#include "windows/editor_test.h"

#include <gtest/gtest.h>

using namespace kestrix;
using platform::Answer;
using test::CarLine;

namespace {

const std::string kAligned = ";-# File Author : someone\n" + CarLine("ALPHA", "1500   ", "R P 1 2001 1 1") +
                             "\n" + CarLine("BETA", "1400   ", "X P 1 2001 1 1") + "\n; the end\n";

class Saving : public test::EditorTest {
  protected:
    void TypeMass(const std::string& mass) {
        form.txtStat[1].SetFocus();
        form.txtStat[1].UserTypes(mass);
        form.cboCars.SetFocus();
    }
    std::vector<std::string> ErrorRows() const {
        std::vector<std::string> rows;
        for (int row = 0; row < form.lvErrors.RowCount(); ++row)
            rows.push_back(form.lvErrors.Cell(row, 0) + "|" + form.lvErrors.Cell(row, 1) + "|" +
                           form.lvErrors.Cell(row, 2));
        return rows;
    }
};

} // namespace

TEST_F(Saving, TheBackupHoldsTheFileAsOpenedAndTheLayoutIsKeptWhenChosen) {
    WriteBoolSetting(services, kKeepLayoutSetting, true);
    OpenOn(kAligned);
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
    WriteBoolSetting(services, kKeepLayoutSetting, false);
    TypeMass("903");
    form.mnuSave.UserChooses();
    EXPECT_TRUE(OnDisk(path).starts_with(";-# File Created By Kestrix"));
    EXPECT_EQ(OnDisk(path + ".bak"), kAligned);
}

TEST_F(Saving, StrictChecksAddTheirRowsToTheErrorListWhenChosen) {
    OpenOn(kAligned);
    EXPECT_TRUE(ErrorRows().empty());
    WriteBoolSetting(services, kStrictChecksSetting, true);
    form.ApplyPreferences();
    EXPECT_EQ(ErrorRows(),
              std::vector<std::string>{"#15|BETA|X is not a drive type; the game reads F, R or 4."});
    // A commit judges the edited car again under the same rules.
    form.txtStat[12].SetFocus();
    form.txtStat[12].UserTypes("4.5");
    form.cboCars.SetFocus();
    EXPECT_EQ(ErrorRows(),
              (std::vector<std::string>{"#12|ALPHA|4.5 is not a whole number.",
                                        "#15|BETA|X is not a drive type; the game reads F, R or 4."}));
    WriteBoolSetting(services, kStrictChecksSetting, false);
    form.ApplyPreferences();
    EXPECT_TRUE(ErrorRows().empty());
}
