#include "windows/editor_test.h"
#include "windows/frmCompare.h"
#include "windows/frmHelp.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <set>

using namespace kestrix;
using platform::Answer;
using platform::GridRange;

namespace {

using CarTableTest = test::EditorOn<test::kThreeCars>;

// 66 cars, as many as a real mod holds; some top speeds are no number.
const std::string kSixtySixCars = [] {
    std::string text;
    for (int car = 0; car < 66; ++car)
        text += test::CarLine("CAR" + std::to_string(car), std::to_string(1000 + car), "R P 1 2001 1 1",
                              car % 9 == 4 ? "fast" : std::to_string(150 + car)) +
                "\r\n";
    return text;
}();
using CarTableBulkTest = test::EditorOn<kSixtySixCars>;

} // namespace

TEST_F(CarTableTest, OpensOnceBesideTheMainWindowAsTheManualDoesAndComparesTheChosenCars) {
    frmCarTable& table = Table();
    EXPECT_EQ(table.grdCars.RowCount(), 3);
    EXPECT_EQ(table.grdCars.Text(0, 0), "ZEBRA") << "file order, not the car list's";
    auto& help = Beside<frmHelp>(form.mnuManual);
    form.mnuCarTable.UserChooses();
    EXPECT_TRUE(help.UserPressesKey(platform::Shortcut::F1)) << "the main window's key";
    EXPECT_EQ(services.besideWindows.size(), 2u) << "a second choice brings the open window to the front";

    table.grdCars.UserSelects({{0, 3, 0, 3}}, {0, 3});
    services.answers = {Answer::Ok};
    table.cmdCompare.UserClicks(); // refused: one car opens no window

    table.grdCars.UserSelects({{0, 3, 0, 3}, {2, 0, 2, 31}}, {0, 3});
    std::vector<std::string> differing;
    services.steps.push_back([&](platform::Window& window) {
        auto& compare = test::ScriptedServices::As<frmCompare>(window);
        EXPECT_EQ(compare.lvCompare.Headers(), (std::vector<std::string>{"", "Stat", "ZEBRA", "mango"}));
        EXPECT_EQ(compare.lvCompare.Cell(1, 0) + compare.lvCompare.Cell(1, 1), "*Mass");
        EXPECT_EQ(compare.lvCompare.Cell(2, 0), "") << "the same dimensions";
        compare.chkDifferent.UserClicks();
        for (int row = 0; row < compare.lvCompare.RowCount(); ++row)
            differing.push_back(compare.lvCompare.Cell(row, 1) + "=" + compare.lvCompare.Cell(row, 2) + "/" +
                                compare.lvCompare.Cell(row, 3));
        compare.UserPressesEscape();
    });
    table.cmdCompare.UserClicks();
    EXPECT_EQ(differing,
              (std::vector<std::string>{"Vehicle Identifier=ZEBRA/mango", "Mass=1500/99999", "Drive Type=R/4",
                                        "Engine Type=P/D", "ABS=1/0", "Flags=0000/a000", "Front Lights=1/0",
                                        "Rear Lights=2/0"}));
    form.mnuExit.UserChooses();
    EXPECT_TRUE(table.IsClosed() && help.IsClosed()) << "they close with the main window";
}

TEST_F(CarTableTest, EditsAndReadsGoBothWaysBetweenTheTableAndTheMainWindow) {
    frmCarTable& table = Table();
    TypeAndLeave(1, "abc"); // APPLE's
    EXPECT_EQ(table.grdCars.Text(1, 1), "abc");
    EXPECT_EQ(table.grdCars.Error(1, 1), "abc is not a valid number.");
    table.chkErrors.UserClicks();
    EXPECT_EQ(table.grdCars.RowCount(), 2);
    table.txtFilter.UserTypes("Mass > heavy");
    EXPECT_NE(table.lblFilterNote.Caption(), "") << "a filter it cannot read says why";
    services.answers = {Answer::Yes};
    form.mnuRevert.UserChooses();
    table.txtFilter.UserTypes("");
    table.chkErrors.UserClicks();
    EXPECT_EQ(table.grdCars.Text(1, 1), "1200") << "the file as read anew";
    ShowCar("ZEBRA");
    table.grdCars.UserDoubleClicksRowHeader(1);
    EXPECT_EQ(ShownCar(), "APPLE") << "a row header's double click shows the car";

    Type(13, "250"); // not yet left
    table.grdCars.UserEdits(1, 2, "3");
    EXPECT_EQ(Cell(1, 13) + " " + Cell(1, 2), "250 3") << "the main window's pending edit went first";
    EXPECT_EQ(form.txtStat[2].Text(), "3") << "the main window shows the car it shows anew";
    table.grdCars.UserEdits(2, 1, "1000");
    EXPECT_EQ(table.grdCars.Error(2, 1), "");
    EXPECT_EQ(form.lvErrors.RowCount(), 1) << "checked again: only the flags of APPLE are left";
    table.grdCars.UserPicks(0, 15, 2);
    table.grdCars.UserPicks(0, 19, 0);
    std::vector<bool> ticks(16);
    ticks[0] = ticks[5] = true;
    table.grdCars.UserSetsTicks(0, 29, ticks);
    EXPECT_EQ(Cell(0, 15) + " " + Cell(0, 19) + " " + Cell(0, 29), "4 0 1200");

    // Ctrl+Z and Ctrl+Y in the table undo and redo the document.
    for (int step = 0; step < 4; ++step)
        table.UserPressesKey(platform::Shortcut::CtrlZ);
    EXPECT_EQ(table.grdCars.Text(2, 1), "99999");
    EXPECT_EQ(table.grdCars.Error(2, 1), "99999 is larger than maximum value 50000.");
    table.UserPressesKey(platform::Shortcut::CtrlY);
    EXPECT_EQ(Cell(2, 1) + " " + Cell(0, 15), "1000 R");

    // A block of cells without names pastes by position, into the rows as sorted and filtered.
    table.grdCars.UserClicksHeader(1);
    table.txtFilter.UserTypes("Mass < 1300");
    const int shown = table.grdCars.ShownRow(1);
    table.grdCars.Select({{shown, 1, shown, 1}}, {shown, 1});
    table.grdCars.UserPastes("1250");
    EXPECT_EQ(Cell(1, 1), "1250");
    // A spreadsheet's spelling of what is stored changes nothing; a Flags value it cannot tell refuses the
    // paste.
    const std::string last = form.mnuUndo.Caption(), width = Cell(1, 2);
    table.grdCars.UserPastes("1250.0\t" + width + (width.find('.') == std::string::npos ? ".00" : "00"));
    table.grdCars.Select({{shown, Flags, shown, Flags}}, {shown, Flags});
    table.grdCars.UserPastes("1200f");
    EXPECT_EQ(form.mnuUndo.Caption() + " " + Cell(1, 1) + " " + Cell(1, 2), last + " 1250 " + width);
    services.answers = {Answer::Ok};
    table.grdCars.UserPastes("12");
    EXPECT_NE(services.messages.back().text.find("\"12\" is not four hexadecimal digits"), std::string::npos);
    EXPECT_EQ(Cell(1, Flags), "1200F");
}

// Over random selections, filters and sorts, the bulk window names what Apply changes: as many
// values, of those stats and those cars, none hidden; the status line counts them.
TEST_F(CarTableBulkTest, TheBulkWindowNamesWhatApplyChanges) {
    frmCarTable& table = Table();
    platform::Grid& grid = table.grdCars;
    std::string prompt;
    std::mt19937 random(3);
    const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* filters[] = {"", "Mass > 1030", "CAR1", "Max Velocity < 190"};
    for (int round = 0; round < 30; ++round) {
        table.txtFilter.UserTypes(filters[round % 4]);
        grid.UserClicksHeader(below(kStatCount));
        std::vector<GridRange> ranges;
        for (int range = below(3); range >= 0; --range) {
            const int top = below(grid.RowCount());
            const int left = below(kStatCount);
            ranges.push_back({top, left, top + below(30), left + below(5)});
        }
        grid.UserSelects(ranges, {ranges[0].top, ranges[0].left});
        const CarTable before = doc.Cars();
        prompt.clear();
        AnswerNumber("1", &prompt);
        services.answers = {Answer::Ok};
        table.cmdAdd.UserClicks();
        std::set<int> columns;
        std::set<int> cars;
        std::size_t changed = 0;
        for (int car = 0; car < static_cast<int>(before.size()); ++car)
            for (int column = 0; column < kStatCount; ++column)
                if (Cell(car, column) != before[static_cast<std::size_t>(car)][column]) {
                    ++changed;
                    columns.insert(column);
                    cars.insert(car);
                    ASSERT_GE(grid.ShownRow(car), 0) << "a car the filter hides is left as it is";
                }
        if (prompt.empty()) { // no number among the cells: a message, and no window
            EXPECT_EQ(changed, 0u);
            services.steps.clear();
            continue;
        }
        std::smatch said;
        ASSERT_TRUE(
            std::regex_match(prompt, said, std::regex(R"(Add to (\d+) values? \((.+) of (.+)\):(\n.*)?)")))
            << prompt << " in round " << round;
        EXPECT_EQ(said[1].str(), std::to_string(changed)) << prompt;
        const std::string stats = said[2];
        if (columns.size() > 3)
            EXPECT_EQ(stats, std::to_string(columns.size()) + " stats");
        else
            for (const int column : columns)
                EXPECT_NE(stats.find(StatCatalogue::Instance()[column].StatName), std::string::npos)
                    << prompt;
        EXPECT_EQ(said[3].str(), cars.size() == 1 ? "'" + Cell(*cars.begin(), 0) + "'"
                                                  : std::to_string(cars.size()) + " cars");
        EXPECT_EQ(table.Note().substr(0, table.Note().find('.') + 1),
                  "Add 1: " + ChangedValuesText(changed) + ".");
        form.mnuUndo.UserChooses();
    }
}
