#include "cars/cars.h"
#include "sample_cars.h"
#include "scripted_services.h"
#include "temp_folder.h"
#include "windows/editor_test.h"
#include "windows/frmAddCar.h"
#include "windows/frmImportExport.h"
#include "windows/frmMain.h"

#include <gtest/gtest.h>

using namespace kestrix;
using platform::Answer;
using platform::Icon;
using platform::Window;
using test::ScriptedServices;

namespace {

// A valid car; mass tells the rows apart.
std::string Line(const std::string& name, const std::string& mass) {
    return test::CarLine(name, mass) + "\r\n";
}

// Rows: BRAVO 0, TWIN 1, ALPHA 2, TWIN 3, CHARLIE 4. The list shows ALPHA first.
const std::string kFile = ";before\r\n;-# File Author : tester\r\n" + Line("BRAVO", "1500") +
                          Line("TWIN", "1100") + Line("ALPHA", "1200") + Line("TWIN", "1300") +
                          Line("CHARLIE", "1400") + ";after\r\n";
const std::string kRows = "BRAVO:1500 TWIN:1100 ALPHA:1200 TWIN:1300 CHARLIE:1400 ";

using Names = std::vector<std::string>;
Names Texts(const platform::ListBox& list) {
    Names texts;
    for (int i = 0; i < list.ListCount(); ++i)
        texts.push_back(list.List(i));
    return texts;
}

class CarCommands : public test::EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        OpenOn(kFile);
    }

    // "NAME:mass" of every row, in table order.
    std::string Rows() const {
        std::string text;
        for (const CarRow& car : doc.Cars())
            text.append(car[0]).append(":").append(car[1]).append(" ");
        return text;
    }
    std::string ShownName() const { return form.cboCars.List(form.cboCars.ListIndex()); }
    // A document of so many cars, as if read so.
    void Resize(std::size_t cars) {
        HandlingDocument data = doc.Data();
        data.Cars.resize(cars);
        doc.Read(std::move(data));
    }
    std::string Modified() const { return "Kestrix 3 (" + path + "*)"; }
    std::string Unmodified() const { return "Kestrix 3 (" + path + ")"; }

    void Delete(Answer answer = Answer::Yes) {
        services.answers = {answer};
        form.mnuDelete.UserChooses();
    }
    // Runs the step on the add-car window of the next opening.
    void OnAddCar(std::function<void(frmAddCar&)> act) {
        services.steps.push_back([act](Window& w) { act(ScriptedServices::As<frmAddCar>(w)); });
    }
    void OnExchange(std::function<void(frmImportExport&)> act) {
        services.steps.push_back([act](Window& w) { act(ScriptedServices::As<frmImportExport>(w)); });
    }
    static void Pick(platform::ListBox& list, const std::vector<int>& positions) {
        for (const int position : positions)
            list.UserClicks(position, platform::ListBox::Pick::Toggle);
    }
};

} // namespace

TEST_F(CarCommands, AddingTheLowestAndTheHighestCar) {
    form.txtStat[1].SetFocus();
    form.txtStat[1].UserTypes("1250");
    OnAddCar([this](frmAddCar& add) {
        EXPECT_EQ(doc.Cars()[2][1], "1250") << "the shown car is kept before the window opens";
        EXPECT_EQ(add.Caption(), "Add new car");
        EXPECT_TRUE(add.txtCarLabel.HasFocus());
        EXPECT_TRUE(add.optStats[0].Value());
        EXPECT_EQ(add.cboCars.ListCount(), 5);
        EXPECT_EQ(add.cboCars.List(add.cboCars.ListIndex()), "ALPHA");
        EXPECT_EQ(add.lblHint.Caption(), "Don't go and make this too long. I suggest you use only ascii "
                                         "uppercase characters. No spaces allowed.");
        EXPECT_EQ(add.optStats[2].Caption(), "Copy stats of car : ");
        add.UserPressesEnter();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(Rows(), "BRAVO:1500 TWIN:1100 ALPHA:1250 TWIN:1300 CHARLIE:1400 MYCAR:1 ");
    EXPECT_EQ(ShownName(), "MYCAR") << "the new car is shown";
    EXPECT_EQ(form.txtStat[1].Text(), "1");
    EXPECT_EQ(form.Caption(), Modified());

    OnAddCar([](frmAddCar& add) {
        add.txtCarLabel.UserTypes("HIGH");
        add.optStats[1].UserClicks();
        add.cmdViewErrors.UserClicks();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(doc.Cars()[6][1], "50000");
}

TEST_F(CarCommands, CopyingTakesTheFirstCarOfTheChosenName) {
    OnAddCar([](frmAddCar& add) {
        add.optStats[2].UserClicks();
        add.cboCars.UserPicks(3); // the first of the two TWIN entries
        add.txtCarLabel.UserTypes("BRAVO");
        add.cmdViewErrors.UserClicks();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(Rows(), kRows + "BRAVO:1100 ");
    EXPECT_EQ(form.cboCars.ItemData(form.cboCars.ListIndex()), 5) << "the new one of two BRAVO entries";

    OnAddCar([](frmAddCar& add) {
        add.optStats[2].UserClicks();
        add.cboCars.UserPicks(2);
        add.optStats[0].UserClicks();
        add.txtCarLabel.UserTypes(";NOTE");
        add.cmdViewErrors.UserClicks();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(doc.Cars()[6][0], ";NOTE");
    EXPECT_EQ(doc.Cars()[6][1], "1") << "back on the lowest option, the chosen car is ignored";
}

TEST_F(CarCommands, AddRefusesNamesThatWouldNotComeBackAndCancelChangesNothing) {
    OnAddCar([this](frmAddCar& add) {
        for (const char* name : {"MY CAR", "", "MY\tCAR", "MY\rCAR"}) {
            add.txtCarLabel.UserTypes(name);
            services.answers.push_back(Answer::Ok);
            add.cmdViewErrors.UserClicks();
            EXPECT_FALSE(add.IsClosed()) << name;
        }
        add.UserPressesEscape();
    });
    form.mnuAdd.UserChooses();
    Names texts;
    for (const platform::MessageBox& message : services.messages)
        texts.push_back(message.text);
    EXPECT_EQ(texts, (Names{"You cannot have spaces in the car name!", "You cannot have an empty car name!",
                            "You cannot have tabs in the car name!",
                            "You cannot have line breaks in the car name!"}));
    EXPECT_EQ(services.messages[0].title, "Add New Car...");
    EXPECT_EQ(services.messages[0].icon, Icon::Warning);
    EXPECT_EQ(Rows(), kRows);
    EXPECT_EQ(form.cboCars.ListCount(), 5);
    EXPECT_EQ(form.Caption(), Unmodified());

    Resize(static_cast<std::size_t>(kMaxCars));
    OnAddCar([this](frmAddCar& add) {
        services.answers.push_back(Answer::Ok);
        add.cmdViewErrors.UserClicks();
        add.cmdCancel.UserClicks();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(services.messages.back().text, "You cannot have more than 32767 cars in the file!");
    EXPECT_EQ(doc.Cars().size(), static_cast<std::size_t>(kMaxCars));
}

TEST_F(CarCommands, DeleteRemovesTheFirstCarOfTheNameAndShowsTheFirstEntry) {
    form.cboCars.UserPicks(4); // the second TWIN entry, row 3
    form.txtStat[1].SetFocus();
    form.txtStat[1].UserTypes("999");
    Delete(Answer::No);
    EXPECT_EQ(services.messages[0].text, "Are you sure you wish to delete car 'TWIN'?");
    EXPECT_EQ(services.messages[0].title, "Delete Car...");
    EXPECT_EQ(services.messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(form.txtStat[1].Text(), "999") << "No leaves the edit in the field";
    EXPECT_EQ(doc.Cars()[3][1], "1300") << "and out of the table";

    Delete();
    EXPECT_EQ(Rows(), "BRAVO:1500 ALPHA:1200 TWIN:999 CHARLIE:1400 ") << "the shown car kept its edit";
    EXPECT_EQ(ShownName(), "ALPHA");
    EXPECT_EQ(form.txtStat[1].Text(), "1200");
    EXPECT_EQ(form.cboCars.ItemData(3), 2) << "the list carries the new row numbers";
    EXPECT_EQ(form.Caption(), Modified());

    form.cboCars.UserPicks(1); // BRAVO, row 0
    Delete();
    form.cboCars.UserPicks(1); // CHARLIE, the last row
    Delete();
    EXPECT_EQ(Rows(), "ALPHA:1200 TWIN:999 ");
    Delete();
    Delete();
    EXPECT_TRUE(doc.Cars().empty());
    EXPECT_EQ(form.cboCars.ListCount(), 0);
    EXPECT_EQ(form.txtStat[1].Text(), "");
    EXPECT_FALSE(form.mnuDelete.Enabled());
    EXPECT_FALSE(form.txtStat[1].Enabled());

    OnAddCar([](frmAddCar& add) {
        EXPECT_FALSE(add.optStats[2].Enabled()) << "no car to copy";
        add.cmdViewErrors.UserClicks();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(ShownName(), "MYCAR");
    EXPECT_TRUE(form.mnuDelete.Enabled());
    EXPECT_TRUE(form.txtStat[1].Enabled());
}

TEST_F(CarCommands, TheMoveRuleKeepsDuplicatesAndOrder) {
    OnExchange([](frmImportExport& io) {
        EXPECT_EQ(Texts(io.lvLeft), (Names{"ALPHA", "BRAVO", "CHARLIE", "TWIN", "TWIN"}));
        io.cmdCopyRight.UserClicks();
        EXPECT_EQ(io.lvRight.ListCount(), 0) << "nothing selected, nothing moves";
        Pick(io.lvLeft, {0, 3, 4});
        io.cmdCopyRight.UserClicks();
        EXPECT_EQ(Texts(io.lvLeft), (Names{"BRAVO", "CHARLIE"}));
        EXPECT_EQ(Texts(io.lvRight), (Names{"ALPHA", "TWIN", "TWIN"}));
        EXPECT_FALSE(io.lvRight.Selected(0));
        io.lvLeft.UserDoubleClicks(1);
        EXPECT_EQ(Texts(io.lvRight), (Names{"ALPHA", "CHARLIE", "TWIN", "TWIN"}));
        io.lvRight.UserClicks(0);
        io.lvRight.UserClicks(3, platform::ListBox::Pick::Range);
        io.cmdCopyLeft.UserClicks();
        EXPECT_EQ(Texts(io.lvLeft), (Names{"ALPHA", "BRAVO", "CHARLIE", "TWIN", "TWIN"}));
        io.lvRight.UserDoubleClicks(0);
        EXPECT_EQ(io.lvLeft.ListCount(), 5) << "a double click on an empty list moves nothing";
        io.cmdCancel.UserClicks();
    });
    form.mnuExportCarStats.UserChooses();
    EXPECT_EQ(form.Caption(), Unmodified());
}

TEST_F(CarCommands, ExportWritesTheChosenCarsInTableOrder) {
    const std::string target = Path("Export.cfg");
    OnExchange([&](frmImportExport& io) {
        EXPECT_EQ(io.Caption(), "Export Cars to file...");
        EXPECT_EQ(io.cmdSave.Caption(), "Export Cars");
        EXPECT_EQ(io.Label2.Caption(), "Exported File :");
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
        EXPECT_EQ(services.messages.back().text, "You have not selected any cars!");
        EXPECT_EQ(services.messages.back().title, "Export Cars");
        Pick(io.lvLeft, {0, 1, 3}); // ALPHA, BRAVO and the first TWIN entry
        io.cmdCopyRight.UserClicks();
        services.savePaths = {"", Path("missing/Export.cfg"), target};
        io.cmdSave.UserClicks();
        EXPECT_FALSE(io.IsClosed()) << "a cancelled dialog keeps the window";
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
        EXPECT_NE(services.messages.back().text.find(Path("missing/Export.cfg")), std::string::npos);
        EXPECT_FALSE(io.IsClosed()) << "and so does a failed write";
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
    });
    form.mnuExportCarStats.UserChooses();
    EXPECT_EQ(services.saveDialogs.at(0).title, "Export Cars to .CFG");
    EXPECT_TRUE(services.saveDialogs[0].confirmReplace);
    EXPECT_EQ(services.messages.back().text, "File " + target + " has been successfully created!");
    EXPECT_EQ(services.messages.back().title, "") << "the program's own title";
    EXPECT_EQ(services.messages.back().icon, Icon::None);
    EXPECT_EQ(form.Caption(), Unmodified());
    EXPECT_EQ(ReadImportFile(target).rows,
              (CarTable{doc.Cars()[0], doc.Cars()[1], doc.Cars()[2], doc.Cars()[3]}));
}

TEST_F(CarCommands, ImportOverwritesByNameOrAppendsAndChecksAfterwards) {
    services.openPaths = {Write(
        "Other.cfg", ";-# File Author : someone else\r\n; theirs\r\nALPHA 2222\r\n  NEWCAR\t1500\r\n\r\n" +
                         Line("TWIN", "3000") + Line("ALPHA", "4444"))};
    OnExchange([this](frmImportExport& io) {
        EXPECT_EQ(io.Caption(), "Import Cars from file...");
        EXPECT_EQ(io.cmdSave.Caption(), "Import Cars");
        EXPECT_EQ(io.Label1.Caption(), "Cars :");
        EXPECT_EQ(Texts(io.lvLeft), (Names{"", "ALPHA", "ALPHA", "NEWCAR", "TWIN"}));
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
        EXPECT_EQ(services.messages.back().text, "You have not selected any cars!");
        Pick(io.lvLeft, {1, 3, 4});
        io.cmdCopyRight.UserClicks();
        services.answers = {Answer::Cancel};
        io.cmdSave.UserClicks();
        EXPECT_FALSE(io.IsClosed());
        EXPECT_EQ(doc.Cars().size(), 5u);
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
    });
    form.mnuImportCarStats.UserChooses();
    EXPECT_EQ(services.openDialogs.at(0).title, "Select .CFG File to import...");
    EXPECT_TRUE(services.openDialogs[0].fileMustExist);
    const platform::MessageBox& question = services.messages.at(1);
    EXPECT_EQ(question.text, "Are you sure you wish to import these files?\rYou will overwrite any cars "
                             "stats that currently exist in the file.");
    EXPECT_EQ(question.title, "Import Car Stats..");
    EXPECT_EQ(question.icon, Icon::Information);
    EXPECT_EQ(question.buttons, platform::Buttons::OkCancel);

    EXPECT_EQ(Rows(), "BRAVO:1500 TWIN:3000 ALPHA:2222 TWIN:1300 CHARLIE:1400 NEWCAR:1500 ");
    EXPECT_EQ(ShownName(), "ALPHA") << "the selection stays";
    EXPECT_EQ(form.txtStat[1].Text(), "2222") << "and shows the imported stats";
    EXPECT_EQ(form.cboCars.ListCount(), 6);
    EXPECT_EQ(form.lvErrors.Cell(0, 1), "ALPHA") << "the check ran over the imported values";
    EXPECT_EQ(form.Caption(), Modified());
}

TEST_F(CarCommands, ACancelledImportChangesNothing) {
    services.openPaths = {Write("Other.cfg", Line("ALPHA", "9"))};
    OnExchange([](frmImportExport& io) { io.UserPressesEscape(); });
    form.mnuImportCarStats.UserChooses();
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(form.Caption(), Unmodified());

    services.openPaths = {""};
    form.mnuImportCarStats.UserChooses();
    EXPECT_EQ(services.shownWindows.size(), 1u) << "a cancelled dialog opens nothing";
}

TEST_F(CarCommands, AnImportThatCannotBeTakenChangesNothing) {
    services.openPaths = {Path("missing.cfg")};
    services.answers = {Answer::Ok};
    form.mnuImportCarStats.UserChooses();
    EXPECT_NE(services.messages.back().text.find(Path("missing.cfg")), std::string::npos);
    EXPECT_TRUE(services.shownWindows.empty()) << "a file that cannot be read opens no window";

    Resize(static_cast<std::size_t>(kMaxCars) - 1);
    services.openPaths = {Write("Two.cfg", Line("NEW1", "1") + Line("NEW2", "2"))};
    OnExchange([this](frmImportExport& io) {
        Pick(io.lvLeft, {0, 1});
        io.cmdCopyRight.UserClicks();
        services.answers = {Answer::Ok, Answer::Ok};
        io.cmdSave.UserClicks();
        EXPECT_NE(services.messages.back().text.find("32767"), std::string::npos);
        EXPECT_EQ(doc.Cars().size(), static_cast<std::size_t>(kMaxCars) - 1);
        io.lvRight.UserDoubleClicks(1);
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
    });
    form.mnuImportCarStats.UserChooses();
    EXPECT_EQ(doc.Cars().back()[0], "NEW1");
    EXPECT_EQ(doc.Cars().size(), static_cast<std::size_t>(kMaxCars));
}
