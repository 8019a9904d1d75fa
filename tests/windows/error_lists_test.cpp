#include "model/stat_help.h"
#include "windows/editor_test.h"
#include "windows/frmErrors.h"
#include "windows/frmInfo.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace kestrix;

namespace {

// A valid car line with some values replaced, by column.
std::string Car(const std::string& name, const std::map<int, std::string>& changed = {}) {
    std::istringstream values(test::CarLine(name, "1500", "R P 1 0000 1 2"));
    std::string line, value;
    for (int column = 0; values >> value; ++column)
        line += (column ? " " : "") + (changed.contains(column) ? changed.at(column) : value);
    return line + "\r\n";
}

// Eight errors; the checks find them in this order:
// #1 ZEBRA, #12 ZEBRA, #9 APPLE, #29 APPLE, #22 mango, #13 TWIN, #13 TWIN, #0 OVERLONG_NAME_XY.
const std::string kFile = Car("ZEBRA", {{1, "99999"}, {12, "6"}}) +
                          Car("APPLE", {{9, "0.3"}, {29, "1200F"}}) + Car("mango", {{22, "11"}}) +
                          Car("TWIN", {{13, "400"}}) + Car("TWIN", {{13, "500"}}) + Car("OVERLONG_NAME_XY");

using ErrorLists = test::EditorOn<kFile>;

// The row whose first cell and car (the cell before the explanation) are these.
int RowOf(const platform::ColumnList& list, const std::string& first, const std::string& car) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (list.Cell(row, 0) == first && list.Cell(row, list.ColumnCount() - 2) == car)
            return row;
    throw std::logic_error("no row " + first + " " + car);
}

using Cells = std::vector<std::string>;

} // namespace

// Enter and the popup menu's entry call the double click's handler; the main list's keys, and the
// value selected whole, are the view test's.
TEST_F(ErrorLists, ARowLeadsToItsValueFromEitherList) {
    form.cboDrive.SetFocus();
    form.cboDrive.UserPicks(2); // an edit of the shown car, APPLE, not yet kept

    struct Case {
        std::string first, car;
        int tab;
        const platform::Control* focused;
    };
    const Case cases[] = {{"#22", "mango", 5, &form.txtStat[22]},
                          {"#29", "APPLE", 7, &form.lvFlags},
                          {"#0", "OVERLONG_NAME_XY", 0, &form.cboCars},
                          {"#13", "TWIN", 3, &form.txtStat[13]}};
    for (const Case& c : cases) {
        On<frmErrors>([&c](frmErrors& errors) {
            errors.lvErrors.UserDoubleClicks(RowOf(errors.lvErrors, c.first, c.car));
        });
        form.cmdViewErrors.UserClicks();
        EXPECT_EQ(ShownCar() + " " + std::to_string(form.tabGeneral.Tab()),
                  c.car + " " + std::to_string(c.tab));
        EXPECT_TRUE(c.focused->HasFocus()) << c.car;
    }
    EXPECT_EQ(form.cboCars.ItemData(form.cboCars.ListIndex()), 3) << "the first TWIN of the file";
    EXPECT_EQ(doc.Cars()[1][DriveType], "4") << "APPLE kept its edit when another car was shown";

    // The second TWIN's row leads to the second TWIN, from either list.
    const auto secondTwin = [](const platform::ColumnList& list) { return RowOf(list, "#13", "TWIN") + 1; };
    form.lvErrors.UserDoubleClicks(secondTwin(form.lvErrors));
    EXPECT_EQ(form.cboCars.ItemData(form.cboCars.ListIndex()), 4);
    EXPECT_EQ(form.txtStat[13].Text(), "500");
    form.cboCars.UserPicks(0);
    On<frmErrors>([&](frmErrors& errors) { errors.lvErrors.UserDoubleClicks(secondTwin(errors.lvErrors)); });
    form.cmdViewErrors.UserClicks();
    EXPECT_EQ(form.cboCars.ItemData(form.cboCars.ListIndex()), 4);

    form.tabGeneral.SetTab(0);
    form.lvErrors.SetFocus();
    form.lvErrors.SetRows({"#13", "GHOST", "400 is larger than maximum value 300."}); // as after a deletion
    form.lvErrors.UserDoubleClicks(0);
    EXPECT_EQ(ShownCar(), "TWIN") << "a car no longer there leaves the car list as it is";
    EXPECT_TRUE(form.txtStat[13].HasFocus());
    form.lvErrors.SetSelectedRow(-1);
    EXPECT_FALSE(form.lvErrors.UserPressesEnter()) << "no row, nothing to go to";
}

TEST_F(ErrorLists, TheSortedOrderOutlivesTheNextCheckAndTheAllErrorsWindowCopiesIt) {
    form.lvErrors.UserClicksHeader(1);
    form.lvErrors.UserClicksHeader(1);
    Type(1, "heavy"); // APPLE is shown: its mass becomes an error too
    Leave();
    EXPECT_EQ(test::ColumnTexts(form.lvErrors, 0),
              (Cells{"#1", "#12", "#13", "#13", "#0", "#22", "#1", "#9", "#29"}));
    On<frmErrors>([this](frmErrors& errors) {
        EXPECT_EQ(test::ColumnTexts(errors.lvErrors, 0), test::ColumnTexts(form.lvErrors, 0));
        EXPECT_EQ(test::ColumnTexts(errors.lvErrors, 1)[1], "Number Of Gears");
        EXPECT_EQ(test::ColumnTexts(errors.lvErrors, 1)[4], "Vehicle Identifier");
        EXPECT_EQ(test::ColumnTexts(errors.lvErrors, 2), test::ColumnTexts(form.lvErrors, 1));
        EXPECT_EQ(test::ColumnTexts(errors.lvErrors, 3), test::ColumnTexts(form.lvErrors, 2));
        errors.lvErrors.UserClicksHeader(2);
        EXPECT_FALSE(errors.lvErrors.Sorted()) << "no header sorts this list";
        services.popupChoices = {"mnuStatProperties", "mnuStatProperties", ""};
        errors.lvErrors.UserClicks(RowOf(errors.lvErrors, "#12", "ZEBRA"));
        errors.lvErrors.UserClicks(RowOf(errors.lvErrors, "#29", "APPLE"));
        errors.lvErrors.UserClicks(RowOf(errors.lvErrors, "#0", "OVERLONG_NAME_XY"));
        errors.cmdClose.UserClicks();
    });
    std::vector<int> stats;
    for (int i = 0; i < 2; ++i)
        On<frmInfo>([&stats](frmInfo& info) {
            stats.push_back(info.cboStats.ListIndex());
            info.UserPressesEnter();
        });
    form.cmdViewErrors.UserClicks();
    EXPECT_EQ(stats, (std::vector<int>{12, Flags}));

    // The menu's stat properties show the focused stat.
    const auto expect = [this](const std::string& stat, const std::function<void(frmInfo&)>& more = {}) {
        On<frmInfo>([stat, more](frmInfo& info) {
            EXPECT_EQ(info.cboStats.ListCount(), 32) << "each opening starts empty";
            EXPECT_EQ(test::RowTexts(info.lvProperties).front(), "Stat Name|" + stat);
            if (more)
                more(info);
            info.UserPressesEnter();
        });
        form.mnuViewProperties.UserChooses();
    };
    expect("Mass"); // the stat last typed in
    form.txtStat[13].SetFocus();
    expect("Max Velocity", [](frmInfo& info) {
        info.cboStats.UserPicks(9);
        EXPECT_EQ(test::RowTexts(info.lvProperties).front(), "Stat Name|Traction Multiplier");
    });
}
