#include "model/stat_help.h"
#include "windows/editor_test.h"
#include "windows/frmErrors.h"
#include "windows/frmInfo.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace kestrix;
using test::ScriptedServices;

namespace {

// A valid car line with some values replaced, by column.
std::string Car(const std::string& name, const std::map<int, std::string>& changed = {}) {
    std::istringstream values(test::CarLine(name, "1500", "R P 1 0000 1 2"));
    std::string line, value;
    for (int column = 0; values >> value; ++column)
        line += (column ? " " : "") + (changed.contains(column) ? changed.at(column) : value);
    return line + "\r\n";
}

// Seven errors; the checks find them in this order:
// #1 ZEBRA, #12 ZEBRA, #9 APPLE, #29 APPLE, #22 mango, #13 TWIN, #0 OVERLONG_NAME_XY.
const std::string kFile = Car("ZEBRA", {{1, "99999"}, {12, "6"}}) +
                          Car("APPLE", {{9, "0.3"}, {29, "1200F"}}) + Car("mango", {{22, "11"}}) +
                          Car("TWIN", {{13, "400"}}) + Car("TWIN", {{13, "100"}}) + Car("OVERLONG_NAME_XY");

class ErrorLists : public test::EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        OpenOn(kFile);
    }

    std::vector<std::string> Column(const platform::ColumnList& list, int column) const {
        std::vector<std::string> cells;
        for (int row = 0; row < list.RowCount(); ++row)
            cells.push_back(list.Cell(row, column));
        return cells;
    }
    int RowOf(const platform::ColumnList& list, const std::string& first, const std::string& car) const {
        for (int row = 0; row < list.RowCount(); ++row)
            if (list.Cell(row, 0) == first && list.Cell(row, list.ColumnCount() - 2) == car)
                return row;
        throw std::logic_error("no row " + first + " " + car);
    }
    // A double click moves the focus to the list first, as the mouse does.
    void DoubleClick(const std::string& first, const std::string& car) {
        form.lvErrors.SetFocus();
        form.lvErrors.UserDoubleClicks(RowOf(form.lvErrors, first, car));
    }
    static std::vector<std::string> Properties(const frmInfo& info) {
        std::vector<std::string> rows;
        for (int row = 0; row < info.lvProperties.RowCount(); ++row)
            rows.push_back(info.lvProperties.Cell(row, 0) + "=" + info.lvProperties.Cell(row, 1));
        return rows;
    }
};

using Cells = std::vector<std::string>;

} // namespace

TEST_F(ErrorLists, HeaderClicksSortAndTheOrderOutlivesTheNextCheck) {
    EXPECT_EQ(Column(form.lvErrors, 0), (Cells{"#1", "#12", "#9", "#29", "#22", "#13", "#0"}));
    auto click = [this](int column) { form.lvErrors.UserClicksHeader(column); };
    click(1);
    EXPECT_EQ(Column(form.lvErrors, 1),
              (Cells{"APPLE", "APPLE", "mango", "OVERLONG_NAME_XY", "TWIN", "ZEBRA", "ZEBRA"}))
        << "letter case does not count";
    EXPECT_EQ(Column(form.lvErrors, 0)[0], "#9") << "equal cars keep the order they were found in";
    click(1);
    EXPECT_EQ(Column(form.lvErrors, 0), (Cells{"#1", "#12", "#13", "#0", "#22", "#9", "#29"}));

    Type(1, "heavy"); // APPLE is shown: its mass becomes an error too
    Leave();
    EXPECT_EQ(Column(form.lvErrors, 0), (Cells{"#1", "#12", "#13", "#0", "#22", "#1", "#9", "#29"}));
}

TEST_F(ErrorLists, ADoubleClickLeadsToTheValue) {
    form.cboDrive.SetFocus();
    form.cboDrive.UserPicks(2); // an edit of the shown car, APPLE, not yet kept
    DoubleClick("#22", "mango");
    EXPECT_EQ(doc.Cars()[1][DriveType], "4") << "the shown car kept its edit";
    EXPECT_EQ(ShownCar(), "mango");
    EXPECT_EQ(form.tabGeneral.Tab(), 5);
    EXPECT_TRUE(form.txtStat[22].HasFocus());
    EXPECT_EQ(form.txtStat[22].SelStart(), 0u);
    EXPECT_EQ(form.txtStat[22].SelLength(), 2u);

    form.lvErrors.SetFocus(); // the field left: a new check, the rows come anew
    form.lvErrors.UserClicks(RowOf(form.lvErrors, "#1", "ZEBRA"));
    EXPECT_TRUE(form.lvErrors.UserPressesEnter());
    EXPECT_EQ(ShownCar(), "ZEBRA");
    EXPECT_EQ(form.tabGeneral.Tab(), 1);
    EXPECT_TRUE(form.txtStat[1].HasFocus());
    EXPECT_EQ(form.txtStat[1].SelLength(), 5u);

    form.lvErrors.SetSelectedRow(-1);
    EXPECT_FALSE(form.lvErrors.UserPressesEnter()) << "no row, nothing to go to";
}

TEST_F(ErrorLists, RowsOfChoicesNamesAndMissingOrSharedCars) {
    DoubleClick("#29", "APPLE");
    EXPECT_EQ(form.tabGeneral.Tab(), 7);
    EXPECT_TRUE(form.lvFlags.HasFocus());
    DoubleClick("#0", "OVERLONG_NAME_XY");
    EXPECT_EQ(ShownCar(), "OVERLONG_NAME_XY");
    EXPECT_EQ(form.tabGeneral.Tab(), 0);
    EXPECT_TRUE(form.cboCars.HasFocus());

    DoubleClick("#13", "TWIN");
    EXPECT_EQ(form.cboCars.ItemData(form.cboCars.ListIndex()), 3) << "the first TWIN of the file";
    EXPECT_EQ(form.txtStat[13].Text(), "400");

    form.tabGeneral.SetTab(0);
    form.lvErrors.SetFocus();
    form.lvErrors.SetRows({"#13", "GHOST", "400 is larger than maximum value 300."}); // as after a deletion
    form.lvErrors.UserDoubleClicks(0);
    EXPECT_EQ(ShownCar(), "TWIN") << "the car list stays as it is";
    EXPECT_EQ(form.tabGeneral.Tab(), 3);
    EXPECT_TRUE(form.txtStat[13].HasFocus());
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(ErrorLists, TheAllErrorsWindowCopiesTheShownOrder) {
    form.lvErrors.UserClicksHeader(2);
    form.lvErrors.UserClicksHeader(2);
    services.steps.push_back([this](platform::Window& window) {
        auto& errors = ScriptedServices::As<frmErrors>(window);
        EXPECT_EQ(Column(errors.lvErrors, 0), (Cells{"#0", "#1", "#12", "#13", "#29", "#22", "#9"}));
        EXPECT_EQ(Column(errors.lvErrors, 1)[2], "Number Of Gears");
        EXPECT_EQ(Column(errors.lvErrors, 1)[0], "Vehicle Identifier");
        EXPECT_EQ(Column(errors.lvErrors, 2), Column(form.lvErrors, 1));
        EXPECT_EQ(Column(errors.lvErrors, 3), Column(form.lvErrors, 2));
        errors.lvErrors.UserClicksHeader(2);
        EXPECT_FALSE(errors.lvErrors.Sorted()) << "no header sorts this list";
        errors.UserPressesEscape();
    });
    form.cmdViewErrors.UserClicks();
    EXPECT_EQ(services.shownWindows, (Cells{"frmErrors"}));

    Document empty;
    ScriptedServices noFile;
    frmMain fresh{empty, noFile};
    fresh.Form_Load();
    noFile.steps.push_back([](platform::Window& window) {
        auto& errors = ScriptedServices::As<frmErrors>(window);
        EXPECT_EQ(errors.lvErrors.RowCount(), 0);
        errors.UserPressesEnter();
    });
    fresh.cmdViewErrors.UserClicks();
    EXPECT_EQ(noFile.shownWindows, (Cells{"frmErrors"}));
}

TEST_F(ErrorLists, ARowsPopupMenuOpensItsStatsProperties) {
    services.steps.push_back([this](platform::Window& window) {
        auto& errors = ScriptedServices::As<frmErrors>(window);
        services.popupChoices = {"mnuStatProperties", "mnuStatProperties", ""};
        errors.lvErrors.UserClicks(RowOf(errors.lvErrors, "#12", "ZEBRA"));
        errors.lvErrors.UserClicks(RowOf(errors.lvErrors, "#29", "APPLE"));
        errors.lvErrors.UserClicks(RowOf(errors.lvErrors, "#0", "OVERLONG_NAME_XY"));
        errors.cmdClose.UserClicks();
    });
    services.steps.push_back([](platform::Window& window) {
        auto& info = ScriptedServices::As<frmInfo>(window);
        EXPECT_EQ(info.cboStats.ListIndex(), 12);
        info.UserPressesEnter();
    });
    services.steps.push_back([](platform::Window& window) {
        auto& info = ScriptedServices::As<frmInfo>(window);
        EXPECT_EQ(info.cboStats.ListIndex(), Flags);
        info.Command1.UserClicks();
    });
    form.cmdViewErrors.UserClicks();
    EXPECT_EQ(services.shownWindows, (Cells{"frmErrors", "frmInfo", "frmInfo"}));
    EXPECT_EQ(services.popupMenus, (Cells{"mnuPopup", "mnuPopup", "mnuPopup"}));
}

TEST_F(ErrorLists, TheAllErrorsWindowGoesToAValueByMenuDoubleClickOrEnter) {
    const auto goTo = [this](const std::string& first, const std::string& car, int how) {
        services.steps.push_back([this, first, car, how](platform::Window& window) {
            auto& errors = ScriptedServices::As<frmErrors>(window);
            const int row = RowOf(errors.lvErrors, first, car);
            if (how == 0) {
                services.popupChoices = {"mnuGoToValue"};
                errors.lvErrors.UserClicks(row);
            } else if (how == 1) {
                errors.lvErrors.UserDoubleClicks(row);
            } else {
                errors.lvErrors.SetSelectedRow(row);
                EXPECT_TRUE(errors.lvErrors.UserPressesEnter()) << "Enter goes to the value, not to Close";
            }
            EXPECT_TRUE(errors.IsClosed()) << "the window closes first";
        });
        form.cmdViewErrors.UserClicks();
    };
    goTo("#22", "mango", 0);
    EXPECT_EQ(ShownCar(), "mango");
    EXPECT_TRUE(form.txtStat[22].HasFocus());
    goTo("#29", "APPLE", 1);
    EXPECT_EQ(ShownCar(), "APPLE");
    EXPECT_TRUE(form.lvFlags.HasFocus());
    goTo("#13", "TWIN", 2);
    EXPECT_EQ(form.tabGeneral.Tab(), 3);
    EXPECT_EQ(form.txtStat[13].SelLength(), 3u);
}

TEST_F(ErrorLists, StatPropertiesFromTheMenu) {
    const auto expect = [this](const std::string& stat, const std::function<void(frmInfo&)>& more = {}) {
        services.steps.push_back([stat, more](platform::Window& window) {
            auto& info = ScriptedServices::As<frmInfo>(window);
            EXPECT_EQ(info.cboStats.ListCount(), 32) << "each opening starts empty";
            EXPECT_EQ(Properties(info).front(), "Stat Name=" + stat);
            if (more)
                more(info);
            info.UserPressesEnter();
        });
        form.mnuViewProperties.UserChooses();
    };
    expect("Vehicle Identifier");
    form.txtStat[13].SetFocus();
    expect("Max Velocity", [](frmInfo& info) {
        info.cboStats.UserPicks(9);
        EXPECT_EQ(Properties(info), (Cells{"Stat Name=Traction Multiplier", "String Type=Number",
                                           "Minimum Allowed=0.5", "Maximum Allowed=2"}));
        info.cboStats.UserPicks(Flags);
        EXPECT_EQ(Properties(info), (Cells{"Stat Name=Flags", "String Type=Text", "Max Length=4"}));
        EXPECT_EQ(info.lvProperties.Tip(), StatTip(Flags));
    });
    form.txtStat[5].SetFocus();
    expect("Centre Of Mass (X)");
    EXPECT_EQ(services.shownWindows.size(), 3u);
}

TEST_F(ErrorLists, EveryStatsControlExplainsItsOwnStat) {
    for (int column = 0; column < kStatCount; ++column)
        EXPECT_EQ(form.StatControl(column).Tip(), StatTip(column)) << column;
}
