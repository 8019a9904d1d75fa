#include "windows/editor_test.h"
#include "windows/frmAddCar.h"
#include "windows/frmChanges.h"
#include "windows/frmImportExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace kestrix;
using platform::Answer;
using test::Line;

namespace {

// Rows: CEDAR 0, BRACKEN 1, ALDER 2. The list shows ALDER first.
const std::string kFile = ";before\r\n;-# File Author : tester\r\n" + Line("CEDAR", "1500") +
                          Line("BRACKEN", "1100") + Line("ALDER", "1200") + ";after\r\n";

class Undo : public test::EditorOn<kFile> {
  protected:
    // The car list and the title as the document now asks.
    void ExpectWindowsCurrent(const std::string& step) {
        std::vector<std::string> names, listed;
        for (const CarRow& car : doc.Cars())
            names.emplace_back(car[VehicleIdentifier]);
        for (const platform::DropDown::Entry& entry : form.cboCars.Entries())
            listed.push_back(entry.text);
        std::sort(names.begin(), names.end());
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, names) << step;
        EXPECT_EQ(form.Caption(), Title(doc.Modified())) << step;
    }
};

} // namespace

TEST_F(Undo, EveryKindOfChangeIsOneStepThatUndoTakesBackAndRedoDoesAgain) {
    std::vector<HandlingDocument> states{doc.Data()};
    std::vector<std::string> captions;
    const auto step = [&] {
        states.push_back(doc.Data());
        captions.push_back(form.mnuUndo.Caption());
        ExpectWindowsCurrent(captions.back());
    };
    EXPECT_FALSE(form.mnuUndo.Enabled());

    TypeAndLeave(1, "1250");
    step();
    form.cboDrive.UserPicks(2);
    step();
    form.lvFlags.UserClicks(3, true);
    step();
    frmCarTable& table = Table();
    table.grdCars.UserSelects({{0, 1, 2, 1}}, {0, 1});
    AnswerNumber("1.1");
    table.cmdMultiply.UserClicks();
    step();
    table.grdCars.UserSelects({{1, 2, 1, 2}}, {1, 2});
    table.grdCars.UserPastes("3\t4\n5\t6");
    step();
    On<frmAddCar>([](frmAddCar& add) {
        add.txtCarLabel.UserTypes("DOGWOOD");
        add.cmdViewErrors.UserClicks();
    });
    form.mnuAdd.UserChooses();
    step();
    On<frmRenameCar>([](frmRenameCar& rename) {
        rename.txtName.UserTypes("ELM");
        rename.UserPressesEnter();
    });
    form.mnuRename.UserChooses();
    step();
    ShowCar("BRACKEN");
    services.answers = {Answer::Yes};
    form.mnuDelete.UserChooses();
    step();
    services.openPaths = {Write("Other.cfg", Line("CEDAR", "900") + Line("FIR", "800"))};
    On<frmImportExport>([this](frmImportExport& io) {
        io.lvLeft.UserClicks(0);
        io.lvLeft.UserClicks(1, platform::ListBox::Pick::Range);
        io.cmdCopyRight.UserClicks();
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
    });
    form.mnuImportCarStats.UserChooses();
    step();
    frmComments& comments = Comments();
    comments.txtAuthor.UserTypes("someone");
    comments.cmdOK.UserClicks();
    step();

    EXPECT_EQ(captions,
              (std::vector<std::string>{"&Undo Edit Mass of 'ALDER'", "&Undo Edit Drive Type of 'ALDER'",
                                        "&Undo Edit Flags of 'ALDER'", "&Undo Multiply by 1.1 (3 values)",
                                        "&Undo Paste (3 values)", "&Undo Add Car 'DOGWOOD'",
                                        "&Undo Rename Car 'DOGWOOD' to 'ELM'", "&Undo Delete Car 'BRACKEN'",
                                        "&Undo Import 2 Cars", "&Undo Edit Comments"}));
    EXPECT_EQ(doc.Cars().size(), 4u);
    EXPECT_EQ(table.grdCars.RowCount(), 4) << "the table shows the cars the document has";

    for (std::size_t back = states.size() - 1; back > 0; --back) {
        EXPECT_EQ(form.mnuRedo.Enabled(), back + 1 < states.size());
        form.mnuUndo.UserChooses();
        EXPECT_EQ(doc.Cars(), states[back - 1].Cars) << captions[back - 1];
        EXPECT_EQ(doc.Data().Author, states[back - 1].Author);
        ExpectWindowsCurrent("undone " + captions[back - 1]);
        EXPECT_EQ(table.grdCars.RowCount(), static_cast<int>(doc.Cars().size()));
    }
    EXPECT_FALSE(form.mnuUndo.Enabled());
    for (std::size_t forward = 1; forward < states.size(); ++forward)
        form.mnuRedo.UserChooses();
    EXPECT_EQ(doc.Cars(), states.back().Cars);
    ExpectWindowsCurrent("redone");

    services.answers = {Answer::Yes};
    form.mnuRevert.UserChooses();
    EXPECT_FALSE(form.mnuUndo.Enabled()) << "reading the file empties the history";

    // Rename takes the rules of a new car's name and asks before a name in use.
    On<frmRenameCar>([this](frmRenameCar& rename) {
        EXPECT_EQ(rename.txtName.Text(), "ALDER");
        for (const auto& [name, answer, said] :
             {std::tuple("AL DER", Answer::Ok, "You cannot have spaces in the car name!"),
              {"FOURTEEN_CHARS_", Answer::Ok,
               "A car name can have at most 14 characters; \"FOURTEEN_CHARS_\" has 15."},
              {"CEDAR", Answer::No, "Another car is already named 'CEDAR'.\rUse the name anyway?"}}) {
            services.answers = {answer};
            rename.txtName.SetText(name);
            rename.cmdOK.UserClicks();
            EXPECT_EQ(services.messages.back().text, said);
            EXPECT_FALSE(rename.IsClosed()) << name;
        }
        services.answers = {Answer::Yes};
        rename.cmdOK.UserClicks();
    });
    form.mnuRename.UserChooses();
    EXPECT_EQ(Cell(2, 0) + " " + ShownCar(), "CEDAR CEDAR") << "the renamed car stays shown";
    EXPECT_EQ(form.cboCars.ListCount(), 3);
}

TEST_F(Undo, TypingIsUndoneFirstThenTheStepAndTheMarksAndTheChangesWindowFollow) {
    frmCarTable& table = Table();
    table.grdCars.UserClicksHeader(0);
    TypeAndLeave(13, "250"); // ALDER's velocity, on the transmission page
    EXPECT_TRUE(form.LabStat[12]->Bold());
    EXPECT_TRUE(form.txtStat[13].Tip().ends_with(". Changed from 200.")) << form.txtStat[13].Tip();
    EXPECT_TRUE(table.grdCars.Changed(0, 13));
    ShowCar("CEDAR");
    form.tabGeneral.UserChoosesPage(0);
    EXPECT_FALSE(form.LabStat[12]->Bold()) << "CEDAR's value is as saved";
    Type(1, "999");
    form.mnuUndo.UserChooses();
    EXPECT_EQ(form.txtStat[1].Text(), "1500") << "the typing goes first";
    EXPECT_EQ(Cell(2, 13), "250") << "and only the typing";

    form.mnuUndo.UserChooses();
    EXPECT_EQ(Cell(2, 13), "200");
    EXPECT_EQ(form.txtStat[0].Text(), "ALDER") << "the car of the value put back";
    EXPECT_EQ(form.tabGeneral.Tab(), PageOfColumn(13));
    EXPECT_TRUE(form.txtStat[13].HasFocus());
    EXPECT_EQ(table.grdCars.Current(), (platform::GridCell{0, 13})) << "and its row in the table";
    EXPECT_FALSE(table.grdCars.Changed(0, 13));
    EXPECT_EQ(form.lblChanges.Caption(), "");

    TypeAndLeave(1, "1250");
    services.answers = {Answer::Yes};
    ShowCar("BRACKEN");
    form.mnuDelete.UserChooses();
    auto& changes = Beside<frmChanges>(form.mnuChanges);
    EXPECT_EQ(test::RowTexts(changes.lvChanges),
              (std::vector<std::string>{"ALDER|Mass|1200|1250", "BRACKEN|(car deleted)||"}));

    ShowCar("CEDAR");
    changes.lvChanges.UserDoubleClicks(0);
    EXPECT_EQ(form.txtStat[0].Text(), "ALDER") << "a double click goes to the value";
    EXPECT_TRUE(form.txtStat[1].HasFocus());

    changes.lvChanges.UserClicks(0);
    changes.cmdRevert.UserClicks();
    EXPECT_EQ(Cell(1, 1), "1200");
    EXPECT_EQ(changes.lvChanges.RowCount(), 1) << "the list follows the document";
    EXPECT_EQ(form.mnuUndo.Caption(), "&Undo Revert Mass of 'ALDER'");
    changes.lvChanges.UserClicks(0);
    changes.cmdRevert.UserClicks();
    EXPECT_EQ(changes.lvChanges.RowCount(), 0);
    EXPECT_EQ(doc.Cars()[1][0], "BRACKEN") << "a deleted car comes back in its place";
}

// The star shows while a field holds typing not yet committed, or while the
// history is away from its saved point, and at no other time: typing taken
// back, by Escape or by typing the value again, is no step. Random sequences of
// typing, taking back, committing, undo, redo and save on ALDER (row 2).
TEST_F(Undo, TheStarShowsOnlyWhileTypingIsHeldOrTheHistoryIsAwayFromItsSave) {
    std::mt19937 random(11);
    const int fields[] = {1, 13, 17};
    int focused = -1;
    bool typing = false;
    std::size_t position = 0, top = 0, saved = 0;
    constexpr std::size_t kOutOfReach = static_cast<std::size_t>(-1);
    const auto step = [&] {
        if (saved != kOutOfReach && saved > position)
            saved = kOutOfReach; // the saved state was undone, and a new step leaves it behind
        top = ++position;
    };
    const auto commit = [&] {
        if (typing)
            step();
        typing = false;
    };
    for (int action = 0; action < 3000; ++action) {
        const int kind = static_cast<int>(random() % 8);
        const int field = fields[random() % 3];
        const std::string committed = Cell(2, focused < 0 ? field : focused);
        if (kind < 3) { // typing: another value, or the committed one again
            if (field != focused)
                commit(); // leaving a field commits it
            focused = field;
            const std::string text = kind == 0 ? Cell(2, field) : std::to_string(random() % 3 + 100);
            Type(field, text);
            typing = text != Cell(2, field);
        } else if (kind == 3 && focused >= 0) {
            form.txtStat[focused].UserPressesEscape();
            typing = false;
        } else if (kind == 4 && focused >= 0) {
            form.txtStat[focused].UserPressesEnter();
            commit();
        } else if (kind == 5) { // the menu's entries are there while there is a step to take
            form.mnuUndo.UserChooses();
            if (position > 0)
                typing ? typing = false : --position;
        } else if (kind == 6) {
            form.mnuRedo.UserChooses();
            if (position < top) {
                commit();
                position = std::min(position + 1, top);
            }
        } else if (kind == 7) {
            form.mnuSave.UserChooses();
            commit();
            saved = position;
        }
        const bool star = typing || position != saved;
        ASSERT_EQ(form.Caption(), Title(star))
            << "action " << action << " kind " << kind << " after " << committed;
        ASSERT_EQ(std::pair(doc.CanUndo(), doc.CanRedo()), std::pair(position > 0, position < top)) << action;
    }
}
