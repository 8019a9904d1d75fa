#include "windows/editor_test.h"
#include "windows/frmFixRange.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

class FixRange : public test::EditorTest {
  protected:
    // Opens the fix window from the Tools menu and acts in it.
    void Fix(std::function<void(frmFixRange&)> act) {
        On<frmFixRange>(std::move(act));
        form.mnuFixRange.UserChooses();
    }
    // Each row as shown: tick, car, stat, value, becomes, joined by "|".
    static std::vector<std::string> Rows(const frmFixRange& fix) {
        std::vector<std::string> rows;
        for (int row = 0; row < fix.grdFixes.RowCount(); ++row) {
            std::string line;
            for (int column = frmFixRange::kFix; column <= frmFixRange::kBecomes; ++column)
                line += std::string(column ? "|" : "") + std::string(fix.grdFixes.Text(row, column));
            rows.push_back(line);
        }
        return rows;
    }
    std::string sample = ReadFileBytes(KESTRIX_EXAMPLES "/Handling.cfg").bytes;
};

} // namespace

// The sample's three errors, two of them out of range, are fixed as ticked in one step.
TEST_F(FixRange,
       OnlyTheTickedRepairsAreMadeInOneStepTheStatListFiltersWhatTheButtonsTickAndStrictChecksOfferTheirs) {
    OpenOn(sample);
    ASSERT_EQ(ErrorRows().size(), 3u);
    Fix([](frmFixRange& fix) {
        EXPECT_EQ(Rows(fix), (std::vector<std::string>{"yes|JUNIPER|Traction Multiplier|0.3|0.5",
                                                       "|MARSHAL|Mass|16OO|left as it is",
                                                       "yes|ZEPHYR_RACER|Max Velocity|400|300"}));
        fix.UserPressesEnter();
    });
    EXPECT_EQ(ErrorRows(), (std::vector<std::string>{"#1|MARSHAL|16OO is not a valid number."}));
    form.mnuUndo.UserChooses();
    EXPECT_EQ(ErrorRows().size(), 3u) << "the two come back";
    EXPECT_EQ(Cell(8, 9), "0.3");

    // Unticked, filtered out of a "Select all", or a row without a repair: left as it was.
    OpenOn(test::Line("ALDER", "0") + test::Line("BIRCH", "99999") + test::Line("CEDAR", "-5") +
           test::CarLine("DOGWOOD", "1500", "R P 1 2001 1 1", "900") + "\r\n");
    Fix([&](frmFixRange& fix) {
        EXPECT_EQ(fix.grdFixes.RowCount(), 4);
        test::Choose(fix.cboStat, "#1 Mass");
        EXPECT_EQ(fix.grdFixes.RowCount(), 3);
        fix.cmdSelectNone.UserClicks();
        fix.grdFixes.UserPicks(1, frmFixRange::kFix, 1);
        test::Choose(fix.cboStat, "(every stat)");
        EXPECT_EQ(Rows(fix)[1], "yes|BIRCH|Mass|99999|50000");
        EXPECT_EQ(Rows(fix)[3], "yes|DOGWOOD|Max Velocity|900|300");
        fix.cmdApply.UserClicks();
    });
    EXPECT_EQ(Cell(0, 1) + " " + Cell(1, 1) + " " + Cell(2, 1) + " " + Cell(3, 13), "0 50000 -5 300");

    Fix([](frmFixRange& fix) {
        fix.cmdSelectNone.UserClicks();
        EXPECT_FALSE(fix.cmdApply.Enabled()) << "nothing to apply";
        fix.UserPressesEscape();
    });
    EXPECT_EQ(Cell(0, 1), "0") << "Escape changes nothing";

    // Strict checks offer their repairs on a file that has nothing to fix by the limits.
    OpenOn(test::CarLine("ALDER", "1500", "r P 1 2001 2.6 1") + "\r\n");
    services.answers = {platform::Answer::Ok};
    form.mnuFixRange.UserChooses();
    EXPECT_EQ(services.messages.size(), 1u) << "nothing to fix by the limits";

    doc.SetCheckRules(CheckRules::Strict);
    Fix([](frmFixRange& fix) {
        EXPECT_EQ(Rows(fix),
                  (std::vector<std::string>{"yes|ALDER|Drive Type|r|R", "yes|ALDER|Front Lights|2.6|3"}));
        fix.UserPressesEnter();
    });
    EXPECT_EQ(Cell(0, 15) + Cell(0, 30), "R3");
    EXPECT_TRUE(ErrorRows().empty());
}
