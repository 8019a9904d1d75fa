#include "windows/frmCompareFiles.h"

#include "windows/editor_test.h"

#include <gtest/gtest.h>

using namespace kestrix;
using test::CarLine;

namespace {

const std::string kOpen =
    ";top\r\n" + CarLine("ZEBRA") + "\r\n" + CarLine("APPLE") + "\r\n" + CarLine("OLDIE") + "\r\n";
const std::string kOther = ";top, changed\r\n" + CarLine("APPLE") + "\r\n" +
                           CarLine("ZEBRA", "1600", "R P 1 2001 1 1", "400") + "\r\n" +
                           CarLine("NEWBIE", "900") + "\r\n";

class CompareFilesTest : public test::EditorOn<kOpen> {
  protected:
    frmCompareFiles& Compare() {
        services.openPaths.push_back(Write("Other.cfg", kOther));
        return Beside<frmCompareFiles>(form.mnuCompareFile);
    }
    // The list as the user reads it, one line per row.
    static std::vector<std::string> Rows(const frmCompareFiles& window) {
        return test::RowTexts(window.lvDifferences);
    }
    // The first row that starts so, or the row of that stat below it.
    static int RowOf(const frmCompareFiles& window, const std::string& start, const std::string& stat = {}) {
        const std::vector<std::string> rows = Rows(window);
        std::size_t row = 0;
        while (row < rows.size() && !rows[row].starts_with(start))
            ++row;
        while (!stat.empty() && ++row < rows.size() &&
               window.lvDifferences.Cell(static_cast<int>(row), 2) != stat) {
        }
        if (row >= rows.size())
            ADD_FAILURE() << "no row " << start << " " << stat;
        return static_cast<int>(row);
    }
};

} // namespace

TEST_F(CompareFilesTest, ListsTheDifferencesByCarGoesToAValueAndTakesValuesCarsOrAllGoingOnToTheNext) {
    frmCompareFiles& window = Compare();
    EXPECT_EQ(Rows(window),
              (std::vector<std::string>{
                  "ZEBRA||(2 values differ)||", "|*|#1 Mass|1500|1600", "|*|#13 Max Velocity|200|400",
                  "OLDIE||(only in the open file)||", "NEWBIE||(only in the other file)||",
                  "(order of the cars)|*|(changed)||", "(comments before the cars)|*||;top|;top, changed"}));
    EXPECT_EQ(window.lblSummary.Caption(),
              "1 car with other values, 1 only in the open file, 1 only in the other file");
    window.chkDifferent.UserClicks();
    EXPECT_EQ(Rows(window)[2].substr(0, 19), "||#2 Dimensions (X)") << "every stat of a changed car";
    EXPECT_EQ(RowOf(window, "OLDIE|"), 32);
    EXPECT_EQ(Rows(window)[33 + 31 + 1], "|*|#1 Mass||900") << "a car on one side shows every value";

    // A double click shows the car in the main window, at the value.
    form.cboCars.UserPicks(0);
    window.lvDifferences.UserDoubleClicks(RowOf(window, "ZEBRA|", "#13 Max Velocity"));
    EXPECT_EQ(ShownCar(), "ZEBRA");
    EXPECT_EQ(form.tabGeneral.Tab(), PageOfColumn(13));
    EXPECT_TRUE(form.txtStat[13].HasFocus());
    EXPECT_EQ(form.txtStat[13].SelLength(), 3u);

    window.chkDifferent.UserClicks();
    window.lvDifferences.SetSelectedRow(RowOf(window, "ZEBRA|", "#13 Max Velocity"));
    window.cmdTakeValue.UserClicks();
    EXPECT_EQ(Cell(0, 13) + " " + Cell(0, 1), "400 1500") << "only the chosen value";
    EXPECT_EQ(Rows(window)[0], "ZEBRA||(1 value differs)||");
    // Taking a car only in the other file adds it at the end.
    window.lvDifferences.SetSelectedRow(RowOf(window, "NEWBIE|"));
    window.cmdTakeCar.UserClicks();
    EXPECT_EQ(Cell(3, 0) + " " + Cell(3, 1), "NEWBIE 900");
    // A change in the main window shows in the list at once.
    doc.Commit(ValuesChange(doc.Cars(), {{1, 1, "1234"}}, "Edit"));
    EXPECT_EQ(Rows(window)[2], "APPLE||(1 value differs)||");

    window.cmdTakeAll.UserClicks();
    EXPECT_EQ(form.mnuUndo.Caption().rfind("&Undo Take from Other", 0), 0u) << "Take All is one step";
    EXPECT_EQ(Cell(0, 1) + " " + Cell(1, 1), "1600 1500");
    EXPECT_EQ(doc.Cars().size(), 4u) << "the car only in the open file stays";
    EXPECT_EQ(Rows(window)[0], "OLDIE||(only in the open file)||") << "the order and comments taken too";
    EXPECT_EQ(OnDisk(Path("Other.cfg")), kOther) << "the other file is never written";

    // Compare with Saved shows what the takes changed against the file on disk.
    frmCompareFiles& saved = Beside<frmCompareFiles>(form.mnuCompareSaved);
    EXPECT_TRUE(window.IsClosed()) << "one comparison at a time";
    EXPECT_EQ(Rows(saved)[0], "ZEBRA||(2 values differ)||");
    EXPECT_EQ(Rows(saved)[1], "|*|#1 Mass|1600|1500");
    EXPECT_EQ(RowOf(saved, "NEWBIE|"), 3) << "APPLE went back to its saved value";

    // Another file that cannot be read: a message names it, and no window opens.
    services.openPaths.push_back(Path("missing.cfg"));
    services.answers.push_back(platform::Answer::Ok);
    form.mnuCompareFile.UserChooses();
    EXPECT_EQ(services.besideWindows.size(), 2u);

    // On a file opened anew, each take goes on to the next difference; nothing left disables the takes.
    for (const bool onlyDifferent : {true, false}) {
        OpenOn(kOpen);
        frmCompareFiles& window = Compare();
        if (!onlyDifferent)
            window.chkDifferent.UserClicks();
        for (int takes = 0; window.cmdTakeValue.Enabled(); ++takes) {
            ASSERT_LT(takes, 10) << "every take takes something";
            // The first difference that can be taken, and the differences after it.
            const std::vector<frmCompareFiles::Line> lines = window.Lines();
            std::size_t taken = 0;
            while (!lines[taken].differs || lines[taken].otherRow < 0)
                ++taken;
            window.lvDifferences.UserClicks(static_cast<int>(taken));
            window.cmdTakeValue.UserClicks();
            const int selected = window.lvDifferences.SelectedRow();
            for (std::size_t next = taken + 1; next < lines.size(); ++next) {
                if (!lines[next].differs || (lines[next].docRow < 0 && lines[next].otherRow >= 0))
                    continue; // not a difference, or the car taken in just now
                ASSERT_GE(selected, 0);
                EXPECT_TRUE(window.Lines()[static_cast<std::size_t>(selected)].SamePlace(lines[next]))
                    << "only different: " << onlyDifferent << ", take " << takes;
                break;
            }
        }
        EXPECT_FALSE(window.cmdTakeCar.Enabled());
        EXPECT_FALSE(window.cmdTakeAll.Enabled());
        EXPECT_EQ(test::RowTexts(window.lvDifferences)[0].substr(0, 6), "OLDIE|")
            << "only what cannot be taken";
    }
}
