#include "document/car_commands.h"
#include "windows/editor_test.h"
#include "windows/frmAddCar.h"
#include "windows/frmCompareFiles.h"
#include "windows/frmImportExport.h"
#include "windows/frmPasteCars.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace kestrix;
using platform::Answer;
using test::Line;

namespace {

// Rows: BRAVO 0, TWIN 1, ALPHA 2, TWIN 3, CHARLIE 4. The list shows ALPHA first.
const std::string kFile = ";before\r\n;-# File Author : tester\r\n" + Line("BRAVO", "1500") +
                          Line("TWIN", "1100") + Line("ALPHA", "1200") + Line("TWIN", "1300") +
                          Line("CHARLIE", "1400") + ";after\r\n";

using Names = std::vector<std::string>;
using test::EntryTexts;

class CarCommands : public test::EditorOn<kFile> {
  protected:
    // "NAME:mass" of every row, in table order.
    std::string Rows() const {
        std::string text;
        for (const CarRow& car : doc.Cars())
            text.append(car[0]).append(":").append(car[1]).append(" ");
        return text;
    }

    void Delete(Answer answer = Answer::Yes) {
        services.answers = {answer};
        form.mnuDelete.UserChooses();
    }
    static void Pick(platform::ListBox& list, const std::vector<int>& positions) {
        for (const int position : positions)
            list.UserClicks(position, platform::ListBox::Pick::Toggle);
    }
};

} // namespace

TEST_F(CarCommands, AddingTheLowestTheHighestOrACopyOfTheChosenCar) {
    On<frmAddCar>([this](frmAddCar& add) {
        add.txtCarLabel.UserTypes("MY CAR");
        services.answers = {Answer::Ok};
        add.cmdViewErrors.UserClicks();
        EXPECT_FALSE(add.IsClosed()) << "a refused name keeps the window";
        add.UserPressesEscape();
    });
    form.mnuAdd.UserChooses();
    EXPECT_FALSE(doc.CanUndo()) << "nor does Escape change anything";

    Type(1, "1250");
    On<frmAddCar>([this](frmAddCar& add) {
        EXPECT_EQ(doc.Cars()[2][1], "1250") << "the shown car is kept before the window opens";
        EXPECT_TRUE(add.txtCarLabel.HasFocus());
        EXPECT_EQ(add.cboCars.List(add.cboCars.ListIndex()), "ALPHA");
        add.UserPressesEnter();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(Rows(), "BRAVO:1500 TWIN:1100 ALPHA:1250 TWIN:1300 CHARLIE:1400 MYCAR:1 ");
    EXPECT_EQ(ShownCar() + " " + form.txtStat[1].Text(), "MYCAR 1") << "the new car is shown";

    On<frmAddCar>([](frmAddCar& add) {
        add.txtCarLabel.UserTypes("HIGH");
        add.optStats[1].UserClicks();
        add.cmdViewErrors.UserClicks();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(doc.Cars()[6][1], "50000");

    On<frmAddCar>([](frmAddCar& add) {
        add.optStats[2].UserClicks();
        add.cboCars.UserPicks(6); // the second of the two TWIN entries
        add.txtCarLabel.UserTypes("BRAVO");
        add.cmdViewErrors.UserClicks();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(Cell(7, 1), "1300") << "the TWIN chosen, not the first of its name";
    EXPECT_EQ(form.cboCars.ItemData(form.cboCars.ListIndex()), 7) << "the new one of two BRAVO entries";
}

TEST_F(CarCommands, DeleteRemovesTheCarShownAndShowsTheFirstEntry) {
    form.cboCars.UserPicks(4); // the second TWIN entry, row 3
    Type(1, "999");
    Delete(Answer::No);
    EXPECT_EQ(form.txtStat[1].Text(), "999") << "No leaves the edit in the field";
    EXPECT_EQ(doc.Cars()[3][1], "1300") << "and out of the table";

    Delete();
    EXPECT_EQ(Rows(), "BRAVO:1500 TWIN:1100 ALPHA:1200 CHARLIE:1400 ") << "the second TWIN, shown, went";
    EXPECT_EQ(doc.NextUndo()->removed.front().car[1], "999") << "with the edit it had";
    EXPECT_EQ(ShownCar() + " " + form.txtStat[1].Text(), "ALPHA 1200");
    EXPECT_EQ(form.cboCars.ItemData(3), 1) << "the list carries the new row numbers";

    form.cboCars.UserPicks(1); // BRAVO, row 0
    Delete();
    form.cboCars.UserPicks(1); // CHARLIE, the last row
    Delete();
    EXPECT_EQ(Rows(), "TWIN:1100 ALPHA:1200 ");
    Delete();
    Delete();
    EXPECT_TRUE(doc.Cars().empty());
    EXPECT_EQ(form.cboCars.ListCount() + form.txtStat[1].Text().size(), 0u);
    EXPECT_FALSE(form.mnuDelete.Enabled() || form.txtStat[1].Enabled());

    On<frmAddCar>([](frmAddCar& add) {
        EXPECT_FALSE(add.optStats[2].Enabled()) << "no car to copy";
        add.cmdViewErrors.UserClicks();
    });
    form.mnuAdd.UserChooses();
    EXPECT_EQ(ShownCar(), "MYCAR");
    EXPECT_TRUE(form.mnuDelete.Enabled() && form.txtStat[1].Enabled());
}

TEST_F(CarCommands, ExportWritesTheChosenCarsInTableOrderAndImportOverwritesByNameOrAppends) {
    const std::string target = Path("Export.cfg"), unwritable = Path("missing/Export.cfg");
    On<frmImportExport>([&](frmImportExport& io) {
        io.cmdCopyRight.UserClicks();
        io.lvRight.UserDoubleClicks(0); // on an empty list
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
        EXPECT_EQ(services.messages.back().text, "You have not selected any cars!") << "nothing moved";
        Pick(io.lvLeft, {0, 1, 3, 4, 1}); // BRAVO ticked and unticked again
        io.cmdCopyRight.UserClicks();
        io.lvRight.UserClicks(2);
        io.cmdCopyLeft.UserClicks();
        EXPECT_EQ(EntryTexts(io.lvLeft), (Names{"BRAVO", "CHARLIE", "TWIN"}));
        EXPECT_EQ(EntryTexts(io.lvRight), (Names{"ALPHA", "TWIN"})) << "ALPHA, BRAVO and a TWIN entry";
        io.lvLeft.UserDoubleClicks(0);
        services.savePaths = {"", unwritable, target};
        io.cmdSave.UserClicks();
        EXPECT_FALSE(io.IsClosed()) << "a cancelled dialog keeps the window";
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
        EXPECT_NE(services.messages.back().text.find(unwritable), std::string::npos);
        EXPECT_FALSE(io.IsClosed()) << "and so does a failed write";
        services.answers = {Answer::Ok};
        io.cmdSave.UserClicks();
    });
    form.mnuExportCarStats.UserChooses();
    EXPECT_TRUE(services.saveDialogs.at(0).confirmReplace);
    EXPECT_EQ(form.Caption(), Title());
    EXPECT_EQ(ReadImportFile(target).rows,
              (CarTable{doc.Cars()[0], doc.Cars()[1], doc.Cars()[2], doc.Cars()[3]}));

    // An import overwrites by name or appends, checks afterwards, and takes nothing it cannot take whole.
    services.openPaths = {"", Path("missing.cfg")};
    services.answers = {Answer::Ok};
    form.mnuImportCarStats.UserChooses();
    form.mnuImportCarStats.UserChooses();
    const std::string told = services.messages.back().text;
    EXPECT_TRUE(told.find(Path("missing.cfg")) != told.npos && told.find("no car line") == told.npos)
        << told << ": named, with the reason it could not be read, and no window opens";

    services.openPaths = {Write(
        "Other.cfg", ";-# File Author : someone else\r\n; theirs\r\nALPHA 2222\r\n  NEWCAR\t1500\r\n\r\n" +
                         Line("TWIN", "3000") + Line("ALPHA", "4444"))};
    On<frmImportExport>([this](frmImportExport& io) {
        EXPECT_EQ(EntryTexts(io.lvLeft), (Names{"", "ALPHA", "ALPHA", "NEWCAR", "TWIN"}));
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
    EXPECT_TRUE(services.openDialogs.at(0).fileMustExist);
    EXPECT_EQ(Rows(), "BRAVO:1500 TWIN:3000 ALPHA:2222 TWIN:1300 CHARLIE:1400 NEWCAR:1500 ");
    EXPECT_EQ(ShownCar() + " " + form.txtStat[1].Text(), "ALPHA 2222")
        << "the selection stays, showing the import";
    EXPECT_EQ(form.lvErrors.Cell(0, 1), "ALPHA") << "the check ran over the imported values";

    HandlingDocument full = doc.Data(); // one car short of the most a file can hold
    full.Cars.resize(static_cast<std::size_t>(kMaxCars) - 1);
    doc.Read(std::move(full));
    services.openPaths = {Write("Two.cfg", Line("NEW1", "1") + Line("NEW2", "2"))};
    On<frmImportExport>([this](frmImportExport& io) {
        Pick(io.lvLeft, {0, 1});
        io.cmdCopyRight.UserClicks();
        services.answers = {Answer::Ok, Answer::Ok};
        io.cmdSave.UserClicks();
        EXPECT_FALSE(io.IsClosed()) << "the user can take fewer cars";
        io.cmdCancel.UserClicks();
    });
    form.mnuImportCarStats.UserChooses();
    EXPECT_EQ(doc.Cars().size(), static_cast<std::size_t>(kMaxCars) - 1);
}

TEST_F(CarCommands, CarLinesCopiedAndPastedThroughThePreviewAreOneUndoableStep) {
    form.mnuCopyCarLine.UserChooses();
    EXPECT_EQ(services.clipboard, Line("ALPHA", "1200")) << "the shown car";
    Table().grdCars.UserSelects({{0, 1, 1, 1}}, {0, 1});
    Table().cmdCopyLines.UserClicks();
    EXPECT_EQ(services.clipboard, Line("BRAVO", "1500") + Line("TWIN", "1100"))
        << "the table's selected cars";

    const std::string before = Rows();
    const std::string wide = test::CarLine("WIDE") + " 1 2 3 4 5 6 7 8";
    services.clipboard = "; from a post\n" + Line("TWIN", "1111") + Line("TWIN", "1300") + "\xA0\n" +
                         test::CarLine("NEWCAR\xA0\xA0") + "\n" + wide + "\n" + Line("CHARLIE", "99999");
    On<frmPasteCars>([&](frmPasteCars& preview) {
        EXPECT_EQ(test::PreviewEntries(preview.tvCars),
                  (Names{"replaces TWIN: 1 value differs [x]", "adds NEWCAR [x]",
                         "line 6 refused: it has 40 values; a car line holds at most 32",
                         "replaces CHARLIE: 1 value differs (1 error) [x]", "1 car unchanged"}));
        EXPECT_EQ(test::RowTexts(preview.lvValues), (Names{"#1 Mass|1100|1111|"}));
        preview.tvCars.UserClicks({2, -1}, true);
        EXPECT_FALSE(preview.tvCars.Ticked({2, -1})) << "a refused line cannot be ticked";
        EXPECT_EQ(test::RowTexts(preview.lvValues).at(0).find("(line 6)||"), 0u);
        preview.tvCars.UserClicks({3, -1}, false);
        EXPECT_NE(test::RowTexts(preview.lvValues).at(0).find("#1 Mass|1400|99999|99999 is larger"),
                  std::string::npos);
        preview.cmdApply.UserClicks();
    });
    form.mnuPasteCars.UserChooses();
    EXPECT_EQ(Rows(), "BRAVO:1500 TWIN:1111 ALPHA:1200 TWIN:1300 CHARLIE:99999 NEWCAR:1500 ");
    EXPECT_EQ(form.cboCars.ListCount(), 6);
    form.mnuUndo.UserChooses();
    EXPECT_EQ(Rows(), before);

    // What holds no car line is refused in a message; nothing changes.
    const std::pair<std::optional<std::string>, const char*> refused[] = {
        {std::nullopt, "8-bit characters only"},
        {"; only a comment\n", "no car line"},
        {Line("ALPHA", "1") + "\x01", "binary bytes"}};
    for (const auto& [clipboard, reason] : refused) {
        services.clipboard = clipboard;
        services.answers = {Answer::Ok};
        form.mnuPasteCars.UserChooses();
        EXPECT_NE(services.messages.back().text.find(reason), std::string::npos) << reason;
        EXPECT_NE(services.messages.back().text.find("Nothing was pasted"), std::string::npos);
    }
    EXPECT_EQ(Rows(), before);
}

// The tree's keys are the tick tree's and the window view's tests.
TEST_F(CarCommands, APastedCarGivesOnlyItsTickedValuesInOneUndoableStep) {
    using platform::TickTree;
    using enum TickTree::Key;
    services.clipboard = test::CarLine("ALPHA", "1250", "R P 1 2001 1 1", "185");
    On<frmPasteCars>([&](frmPasteCars& preview) {
        TickTree& cars = preview.tvCars;
        EXPECT_EQ(cars.EntryAt(0).values.at(1).text, "#13 Max Velocity: 200 to 185");
        cars.UserPressesKey(Right);
        cars.UserPressesKey(Right);
        EXPECT_EQ(
            test::RowTexts(preview.lvValues).at(static_cast<std::size_t>(preview.lvValues.SelectedRow())),
            "#1 Mass|1200|1250|");
        cars.UserPressesKey(Space);
        EXPECT_EQ(preview.lblSummary.Caption(),
                  "Applies 1 value of 1 replaced car and 0 added cars; 0 lines refused.");
        cars.UserPressesKey(Left);
        cars.UserPressesKey(Space);
        EXPECT_TRUE(cars.Ticked({0, 0}) && cars.Ticked({0, 1})) << "a partly ticked car ticks all";
        cars.UserPressesKey(Space);
        EXPECT_FALSE(preview.cmdApply.Enabled()) << "nothing ticked";
        preview.cmdCancel.UserClicks();
    });
    form.mnuPasteCars.UserChooses();

    // Any ticks: the document takes those values and no others, and one undo takes them all back.
    std::mt19937 random(5);
    for (int round = 0; round < 30; ++round) {
        const HandlingDocument before = doc.Data();
        std::string lines;
        std::vector<std::vector<int>> changed;
        for (const int row : {0, 2, 4}) {
            CarRow car = before.Cars[static_cast<std::size_t>(row)];
            std::set<int> columns;
            for (int count = 1 + static_cast<int>(random() % 4); count > 0; --count)
                columns.insert(1 + static_cast<int>(random() % 14)); // number stats
            for (const int column : columns)
                car.Set(column, std::string(car[column]) + "1");
            changed.emplace_back(columns.begin(), columns.end());
            for (int column = 0; column < kStatCount; ++column)
                lines.append(car[column]).append(column + 1 < kStatCount ? " " : "\n");
        }
        services.clipboard = lines;
        std::set<std::pair<int, int>> ticked;
        On<frmPasteCars>([&](frmPasteCars& preview) {
            TickTree& cars = preview.tvCars;
            ASSERT_EQ(cars.Count(), 3);
            for (int i = 0; i < 3; ++i) {
                const std::vector<int>& columns = changed[static_cast<std::size_t>(i)];
                ASSERT_EQ(cars.EntryAt(i).values.size(), columns.size());
                if (random() % 4 == 0)
                    cars.UserClicks({i, -1}, true);
                for (int value = 0; value < std::ssize(columns); ++value)
                    if (random() % 2)
                        cars.UserClicks({i, value}, true);
                for (int value = 0; value < std::ssize(columns); ++value)
                    if (cars.Ticked({i, value}))
                        ticked.emplace(i * 2, columns[static_cast<std::size_t>(value)]);
            }
            (preview.cmdApply.Enabled() ? preview.cmdApply : preview.cmdCancel).UserClicks();
        });
        form.mnuPasteCars.UserChooses();
        for (const int row : {0, 2, 4})
            for (int column = 1; column < kStatCount; ++column) {
                const std::string was(before.Cars[static_cast<std::size_t>(row)][column]);
                ASSERT_EQ(Cell(row, column), ticked.contains({row, column}) ? was + "1" : was)
                    << row << " " << column;
            }
        if (!ticked.empty())
            form.mnuUndo.UserChooses();
        ASSERT_EQ(doc.Cars(), before.Cars);
    }
}

TEST_F(CarCommands, FilesDroppedOpenOnTheMainWindowAndPasteOnTheCarTableAsTakenFromTheMenu) {
    const std::string mod = Write("mod.CFG", ";mine\r\n" + Line("ALPHA", "1250") + Line("DELTA", "900"));
    // Columns back from a spreadsheet, under a header naming the cars' column: by name, whatever the order.
    On<frmPasteCars>([&](frmPasteCars& preview) {
        EXPECT_EQ(test::PreviewEntries(preview.tvCars),
                  (Names{"replaces TWIN: 1 value differs [x]", "adds ECHO [x]", "1 car unchanged"}));
        preview.cmdApply.UserClicks();
    });
    Table().grdCars.UserPastes("Vehicle Identifier\tMass\r\nTWIN\t1100\r\nTWIN\t1333\r\nECHO\t777\r\n");
    EXPECT_EQ(Rows(), "BRAVO:1500 TWIN:1100 ALPHA:1200 TWIN:1333 CHARLIE:1400 ECHO:777 ");
    form.mnuUndo.UserChooses();

    On<frmPasteCars>([&](frmPasteCars& preview) {
        EXPECT_EQ(test::PreviewEntries(preview.tvCars),
                  (Names{"replaces ALPHA: 1 value differs [x]", "adds DELTA [x]"}));
        preview.cmdApply.UserClicks();
    });
    Table().UserDropsFiles({Path("notes.txt"), mod});
    const std::string taken = "BRAVO:1500 TWIN:1100 ALPHA:1250 TWIN:1300 CHARLIE:1400 DELTA:900 ";
    EXPECT_EQ(Rows(), taken);
    // Cars > Take Cars from File... offers the same preview, and names a file it cannot take.
    form.mnuUndo.UserChooses();
    services.openPaths = {mod, Path("gone.cfg"), Write("empty.cfg", "; no car here\r\n")};
    On<frmPasteCars>([](frmPasteCars& preview) { preview.cmdApply.UserClicks(); });
    form.mnuTakeCars.UserChooses();
    EXPECT_EQ(Rows(), taken);
    services.answers = {Answer::Ok, Answer::Ok};
    form.mnuTakeCars.UserChooses();
    form.mnuTakeCars.UserChooses();
    EXPECT_EQ(services.messages.back().text,
              "\"" + Path("empty.cfg") + "\" holds no car line\rNothing was taken.");

    services.answers = {Answer::Ok, Answer::Ok}; // a file Open refuses, and anything but a .cfg file
    Table().UserDropsFiles({Write("wide.cfg", test::CarLine("WIDE") + " 1 2 3 4 5 6 7 8\r\n")});
    form.UserDropsFiles({Path("notes.txt")});
    EXPECT_EQ(services.messages.size(), 4u);
    services.answers = {Answer::Cancel};
    form.UserDropsFiles({mod});
    EXPECT_EQ(doc.FilePath(), Path("Handling.cfg")) << "Cancel keeps the changed file";
    services.answers = {Answer::No};
    form.UserDropsFiles({mod});
    EXPECT_EQ(doc.FilePath(), mod);
    EXPECT_EQ(Rows(), "ALPHA:1250 DELTA:900 ");
}

// Alt+Up and Alt+Down in the table move the selected cars past the shown car next to them and the
// hidden ones between, the selection going with them. The main window moves the car it shows, its list
// alphabetical still; a move after a save is told by the comparison with the saved file as the order alone.
TEST_F(CarCommands, CarsMoveInTheFileFromTheTableAndTheMainWindow) {
    using platform::Shortcut;
    const std::string original = Rows();
    ShowCar("TWIN"); // the first, 1100
    frmCarTable& table = Table();
    platform::Grid& grid = table.grdCars;
    // The main list's entries point at the rows the cars are at, those of one name in file order.
    const auto listRows = [this] {
        std::string text;
        for (const platform::DropDown::Entry& entry : form.cboCars.Entries())
            text += entry.text + ":" + std::to_string(entry.data) + " ";
        return text + "shown " + ShownCar() + ":" + form.txtStat[1].Text();
    };
    table.txtFilter.UserTypes("Mass > 1250"); // BRAVO, TWIN:1300, CHARLIE
    grid.UserSelects({{1, 1, 2, 2}}, {2, 2});
    table.UserPressesKey(Shortcut::AltUp);
    EXPECT_EQ(Rows(), "TWIN:1300 CHARLIE:1400 BRAVO:1500 TWIN:1100 ALPHA:1200 ");
    EXPECT_EQ(listRows(), "ALPHA:4 BRAVO:2 CHARLIE:1 TWIN:0 TWIN:3 shown TWIN:1100");
    ASSERT_EQ(grid.Selection().size(), 1u);
    EXPECT_EQ(std::vector({grid.Selection()[0].top, grid.Selection()[0].bottom, grid.Current().row}),
              (std::vector{0, 1, 1}));
    form.mnuUndo.UserChooses();
    EXPECT_EQ(Rows(), original);
    EXPECT_EQ(grid.SelectedRows(), (std::vector{1, 2})) << "undone, the selection still on the cars";

    table.txtFilter.UserTypes("");
    grid.UserClicksHeader(1);
    grid.UserSelects({{0, 0, 0, 0}}, {0, 0});
    table.UserPressesKey(Shortcut::AltUp);
    EXPECT_EQ(Rows(), original) << "sorted: no move";

    ShowCar("CHARLIE");
    form.mnuMoveUp.UserChooses();
    EXPECT_EQ(Rows(), "BRAVO:1500 TWIN:1100 ALPHA:1200 CHARLIE:1400 TWIN:1300 ");
    EXPECT_EQ(listRows(), "ALPHA:2 BRAVO:0 CHARLIE:3 TWIN:1 TWIN:4 shown CHARLIE:1400");
    ShowCar("ALPHA");
    for (int press = 0; press < 3; ++press)
        form.mnuMoveUp.UserChooses();
    EXPECT_EQ(form.Note(), "'ALPHA' is the first car of the file.");

    form.mnuSave.UserChooses();
    form.mnuMoveDown.UserChooses();
    EXPECT_EQ(test::RowTexts(Beside<frmCompareFiles>(form.mnuCompareSaved).lvDifferences),
              (Names{"(order of the cars)|*|(changed)||"}));
}
