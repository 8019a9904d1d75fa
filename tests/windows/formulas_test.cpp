#include "compare/file_compare.h"
#include "windows/editor_test.h"
#include "windows/frmMerge.h"

#include <gtest/gtest.h>

using namespace kestrix;
using platform::GridRange;

namespace {

class Formulas : public test::EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        // Row 0 ALDER with a traction multiplier of 0.3 and a top speed of 200; row 1 BIRCH.
        std::string alder = test::CarLine("ALDER");
        alder.replace(alder.find(" 1 0.8 0.5 "), 11, " 0.3 0.8 0.5 ");
        OpenOn(alder + "\r\n" + test::Line("BIRCH", "1650"));
    }
};

} // namespace

TEST_F(Formulas, AStatFieldAndTheCarTableWorkOutAFormulaOverTheValueAndTheCarsOtherStats) {
    ASSERT_EQ(ErrorRows().size(), 1u);
    Type(9, "=max(x, 0.5)");
    EXPECT_EQ(form.txtStat[9].Text(), "=max(x, 0.5)") << "a formula takes blanks";
    form.txtStat[9].UserPressesEnter();
    EXPECT_EQ(form.txtStat[9].Text(), "0.5");
    EXPECT_EQ(Cell(0, 9), "0.5");
    EXPECT_TRUE(ErrorRows().empty());

    services.answers = {platform::Answer::Ok};
    Type(13, "=#13 / (#2 - 2)");
    Leave();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("at character 6, a division by zero"), std::string::npos);
    EXPECT_EQ(Cell(0, 13), "200");
    Type(1, "1 500");
    EXPECT_EQ(form.txtStat[1].Text(), "1500") << "a value still takes no blank";

    // The car table, over many cells, one step: each cell's x is its own, and another stat is read as it was
    // before the step, also where the step changes it.
    frmCarTable& table = Table();
    table.grdCars.UserSelects({GridRange{0, 1, 1, 1}, GridRange{0, 13, 1, 13}}, {0, 1});
    AnswerNumber("= x + #13");
    table.cmdSetTo.UserClicks();
    EXPECT_EQ(Cell(0, 1), "1700");
    EXPECT_EQ(Cell(1, 1), "1850");
    EXPECT_EQ(Cell(0, 13), "400") << "x + x: the speed as it was";

    services.answers = {platform::Answer::Ok};
    table.grdCars.UserSelects({GridRange{0, 1, 1, 1}}, {0, 1});
    AnswerNumber("=x / (#1 - 1850)");
    table.cmdSetTo.UserClicks();
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[1].text, "The formula \"=x / (#1 - 1850)\" was not used: for BIRCH, Mass: at "
                                         "character 4, a division by zero.\rNothing was changed.");
    EXPECT_EQ(Cell(0, 1), "1700") << "none of the cells changed";

    table.grdCars.UserEdits(1, 9, "=clamp(x*3,lo,hi)");
    EXPECT_EQ(Cell(1, 9), "2");
    form.mnuUndo.UserChooses();
    EXPECT_EQ(Cell(1, 9), "1");
}

// The field keeps what was typed, the cars stay.
TEST_F(Formulas, AFormulaTooLongOrTooDeepIsRefusedWhereverItIsTyped) {
    const std::string pasted = "=" + std::string(20000, '(') + "1" + std::string(20000, ')');
    const std::string deep = "=" + std::string(101, '(') + "x" + std::string(101, ')');
    const std::string tooDeep = "at character 102, a formula nests at most 100 levels of \"(\"";
    const auto told = [this](const std::string& problem) {
        return !services.messages.empty() && services.messages.back().text.find(problem) != std::string::npos;
    };
    services.answers.assign(4, platform::Answer::Ok);

    Type(1, pasted);
    Leave();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "The formula \"=" + std::string(79, '(') +
                                             "...\" was not used: at character 1001, a formula is at most "
                                             "1000 characters long.\rNothing was changed.");
    EXPECT_EQ(form.txtStat[1].Text(), pasted);
    EXPECT_EQ(Cell(0, 1), "1500");

    frmCarTable& table = Table();
    table.grdCars.UserEdits(1, 9, deep);
    EXPECT_TRUE(told(tooDeep));
    EXPECT_EQ(Cell(1, 9), "1");

    table.grdCars.UserSelects({GridRange{0, 1, 1, 1}}, {0, 1});
    On<frmAskNumber>([&](frmAskNumber& ask) {
        ask.txtNumber.UserTypes(deep);
        ask.UserPressesEnter();
        EXPECT_TRUE(told(tooDeep));
        EXPECT_EQ(ask.txtNumber.Text(), deep) << "the question stays open on it";
        ask.cmdCancel.UserClicks();
    });
    table.cmdSetTo.UserClicks();
    EXPECT_EQ(Cell(1, 1), "1650");

    HandlingDocument base;
    base.Cars = doc.Cars();
    HandlingDocument ours = base;
    ours.Cars[0].Set(1, "1600");
    HandlingDocument theirs = base;
    theirs.Cars[0].Set(1, "1700");
    frmMerge merge(
        services, MergeResolution(MergeFiles(ContentsOf(base), ContentsOf(ours), ContentsOf(theirs))),
        "Handling.cfg", [](const HandlingDocument&, const std::vector<int>&) { return std::string(); });
    merge.Form_Load();
    merge.txtValue.UserTypes(pasted);
    merge.txtValue.UserPressesEnter();
    EXPECT_TRUE(told("at character 1001, a formula is at most 1000 characters long"));
    EXPECT_EQ(merge.txtValue.Text(), pasted);
    EXPECT_EQ(merge.Merge().Left(), 1u);
    EXPECT_EQ(services.messages.size(), 4u);
}
