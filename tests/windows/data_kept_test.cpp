#include "document/car_commands.h"
#include "windows/editor_test.h"
#include "windows/frmImportExport.h"
#include "windows/frmPasteCars.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

using namespace kestrix;
using platform::Answer;
using test::CarLine;
namespace fs = std::filesystem;

namespace {

// Values the choice controls cannot show exactly, and a short car.
const std::string kOdd = ";odd values\r\n" + CarLine("ODD", "1500", "r X 1.4 12 3.4 07") + "\r\n" +
                         CarLine("PLAIN", "1200", "F D 1 0000 0 1") + "\r\n" + "SHORT 900 2\r\n";

// The parts of text between separators, a line's part without the carriage return of its end.
std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part.ends_with('\r') ? part.substr(0, part.size() - 1) : part);
    return parts;
}

class DataKept : public test::EditorTest {
  protected:
    // Exports every car to target through the export window; false when the window stayed open.
    bool ExportAll(const std::string& target) {
        bool closed = false;
        On<frmImportExport>([&](frmImportExport& io) {
            for (int i = io.lvLeft.ListCount() - 1; i >= 0; --i)
                io.lvLeft.UserDoubleClicks(i);
            services.savePaths = {target};
            io.cmdSave.UserClicks();
            closed = io.IsClosed();
            if (!closed)
                io.cmdCancel.UserClicks();
        });
        services.answers.push_back(Answer::Ok); // the success or failure message
        form.mnuExportCarStats.UserChooses();
        return closed;
    }
};

} // namespace

TEST_F(DataKept, ShowingCarsInTheWindowAndTheTableRewritesNothing) {
    OpenOn(kOdd);
    const CarTable stored = doc.Cars();
    for (int round = 0; round < 2; ++round)
        for (int position = 0; position < form.cboCars.ListCount(); ++position) {
            form.cboCars.UserPicks(position);
            for (int page = 0; page < 8; ++page)
                form.tabGeneral.UserChoosesPage(page);
        }
    // No entry for an unknown drive or engine, or for rear lights 7; lights are read rounded.
    form.cboCars.SelectText("ODD");
    EXPECT_EQ((std::vector<int>{form.cboDrive.ListIndex(), form.cboEngine.ListIndex(),
                                form.cboFront.ListIndex(), form.chkABS.Value(), form.cboRear.ListIndex()}),
              (std::vector<int>{-1, -1, 3, 1, -1}));
    for (const auto& [control, stored] :
         {std::pair<const platform::Control*, const char*>{&form.cboFront, "\"3.4\""},
          {&form.chkABS, "\"1.4\""},
          {&form.cboRear, "\"07\""}})
        EXPECT_NE(control->Tip().find(stored), std::string::npos) << "the stored text is visible: " << stored;

    // The table: choosing what a cell shows, or the ticks it shows, is no change.
    frmCarTable& table = Table();
    const int odd = table.grdCars.ShownRow(0);
    table.grdCars.UserPicks(odd, FrontLights, 3);
    table.grdCars.UserPicks(odd, Abs, 1);
    table.grdCars.UserPicks(odd, DriveType, -1);
    table.grdCars.UserSetsTicks(odd, Flags, table.grdCars.Column(Flags).ticksOf("12"));
    table.grdCars.UserEdits(odd, 1, "1500"); // the value typed again
    // Nor is choosing the entry a list shows already, a value shown rounded included.
    form.cboFront.UserPicks(3);
    form.cboCars.SelectText("PLAIN");
    for (platform::DropDown* list : {&form.cboDrive, &form.cboEngine, &form.cboFront, &form.cboRear})
        list->UserPicks(list->ListIndex());
    EXPECT_EQ(doc.Cars(), stored);
    EXPECT_FALSE(doc.Modified() || doc.CanUndo());
}

// Real mods store short Flags: the page says how the value is stored, a changed tick writes four
// digits, and undo brings the stored text back.
TEST_F(DataKept, FlagsAreWrittenOnlyWhenATickChangesInTheListAsInTheTable) {
    const std::vector<std::string> kinds = {"2", "A", "22", "1200F", "zz01", "a000"};
    std::string text;
    for (std::size_t i = 0; i < kinds.size(); ++i) // each twice: LIST_i for the list, TABLE_i for the table
        for (const char* use : {"LIST_", "TABLE_"})
            text += CarLine(use + std::to_string(i), "1500", "R P 1 " + kinds[i] + " 1 1") + "\r\n";
    OpenOn(text);
    const CarTable stored = doc.Cars();
    frmCarTable& table = Table();
    test::RecordingView note;
    form.lblFlagsNote.AttachView(&note);
    std::mt19937 random(5);
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const int row = static_cast<int>(2 * i);
        ShowCar("LIST_" + std::to_string(i));
        form.tabGeneral.UserChoosesPage(PageOfColumn(Flags));
        form.lvFlags.SetFocus();
        for (int entry = 0; entry < kFlagCount; ++entry) {
            form.lvFlags.UserMovesTo(entry);
            form.lvFlags.UserClicks(entry, false);
        }
        EXPECT_EQ(doc.Cars(), stored) << kinds[i];
        EXPECT_FALSE(doc.Modified() || doc.CanUndo()) << kinds[i];
        const std::string said = kinds[i] == "a000" ? "" : "Stored as \"" + kinds[i] + "\", shown as ";
        EXPECT_EQ(form.lblFlagsNote.Caption().substr(0, said.size()), said);

        const int flag = static_cast<int>(random() % kFlagCount);
        note.refreshed.clear();
        form.lvFlags.UserClicks(flag, true);
        std::vector<bool> ticks = table.grdCars.Column(Flags).ticksOf(kinds[i]);
        ticks[static_cast<std::size_t>(flag)] = !ticks[static_cast<std::size_t>(flag)];
        table.grdCars.UserSetsTicks(table.grdCars.ShownRow(row + 1), Flags, ticks);
        EXPECT_EQ(Cell(row, Flags).size(), 4u) << kinds[i];
        EXPECT_EQ(Cell(row, Flags), Cell(row + 1, Flags)) << "one rule for the list and the table";
        EXPECT_EQ(form.lblFlagsNote.Caption(), "");
        EXPECT_EQ(note.Heard(platform::Aspect::Caption), said != "") << kinds[i];
        form.mnuUndo.UserChooses();
        form.mnuUndo.UserChooses();
        EXPECT_EQ(doc.Cars(), stored);
    }
    form.lblFlagsNote.AttachView(nullptr); // the window outlives the view
}

// An export never replaces the open file and asks about a gap; a save or an
// export that would not read back writes nothing, the close question's save neither.
TEST_F(DataKept, ExportsAndSavesWriteNothingThatWouldNotReadBackOrWouldReplaceTheOpenFile) {
    OpenOn(CarLine("ONE") + "\r\n" + CarLine("TWO") + "\r\n");
    const std::string target = Path("Export.cfg");
    EXPECT_FALSE(ExportAll(path));
    TypeAndLeave(3, "");
    services.answers = {Answer::No};
    EXPECT_FALSE(ExportAll(target));
    EXPECT_EQ(services.messages.size(), 2u) << "the gap is asked about";
    EXPECT_FALSE(fs::exists(target));

    TypeAndLeave(3, "4");
    frmComments& comments = Comments();
    comments.txtAfter.UserTypes("; fine\r\n" + CarLine("WORDY") + " 1 2 3 4 5 6 7 8"); // 40 values: a car
    comments.cmdOK.UserClicks();
    services.messages.clear();
    services.answers = {Answer::Ok, Answer::Yes, Answer::Ok};
    form.mnuSave.UserChooses();
    EXPECT_FALSE(form.TryClose()) << "the save of the close question is checked too";
    ASSERT_EQ(services.messages.size(), 3u);
    EXPECT_EQ(services.messages[0].text,
              "Cannot save \"" + path + "\": the file would not read back as it is saved: After stats " +
                  "line 2 would read back as a car: a comment line starts with \";\". Nothing was written");
}

// A bulk edit changes the number cells only, every number however written, says
// what it leaves as it is before it acts and what it left after; a paste that does not fit is refused whole.
TEST_F(DataKept, BulkEditsChangeTheNumberCellsOnlyAndSayWhatTheyLeftAsItWas) {
    OpenOn(test::Line("ONE", "1500") + test::Line("TWO", "+5") + test::Line("BIG", "1e300") +
           test::Line("TEXT", "heavy"));
    frmCarTable& table = Table();
    table.grdCars.UserSelects({{0, 0, 0, 0}, {0, 15, 0, 15}}, {0, 0}); // a name and a drive
    services.answers = {Answer::Ok};
    table.cmdMultiply.UserClicks();

    table.grdCars.UserSelects({{0, 0, 3, 1}, {0, 15, 0, 15}}, {0, 0});
    std::string prompt;
    AnswerNumber("1,1", &prompt);
    table.cmdMultiply.UserClicks();
    EXPECT_EQ(prompt, "Multiply 3 values (Mass of 3 cars) by:\nLeft as they are: 5 cells of stats that hold "
                      "text, 1 cell holding no number.");
    EXPECT_EQ(Cell(0, 1) + " " + Cell(1, 1) + " " + Cell(0, 15), "1650 5.5 R")
        << "+5 is a number; a text column is left out";

    table.grdCars.UserSelects({{1, 1, 1, 1}}, {1, 1});
    On<frmAskNumber>([](frmAskNumber& ask) {
        ask.txtNumber.UserTypes("x");
        ask.cmdOK.UserClicks();
        ask.cmdCancel.UserClicks();
    });
    services.answers = {Answer::Ok};
    table.cmdAdd.UserClicks();
    EXPECT_EQ(Cell(1, 1), "5.5");
    AnswerNumber("7");
    table.cmdSetTo.UserClicks();
    EXPECT_EQ(Cell(1, 1), "7");

    table.grdCars.UserSelects({{0, 1, 3, 1}}, {0, 1});
    AnswerNumber("1e308");
    table.cmdMultiply.UserClicks();
    EXPECT_EQ(Cell(0, 1), "1650");
    EXPECT_EQ(table.Note(), "Multiply by 1e308: 0 values changed. Left as they were: 1 holding no number; 3 "
                            "whose result would pass the largest number a value can hold.");
    AnswerNumber("7");
    table.cmdSetTo.UserClicks();
    EXPECT_EQ(Cell(3, 1), "7") << "Set writes over a value that is no number";

    table.grdCars.UserSelects({{0, 31, 0, 31}}, {0, 31});
    services.answers = {Answer::Ok};
    table.grdCars.UserPastes("1\t2");
    EXPECT_EQ(Cell(0, 31), "1") << "refused whole";
}

TEST_F(DataKept, AFullErrorListSaysHowManyItLeftOutAndTheCarTableMarksEveryErrorOnItsOwnCar) {
    // Two cars of one name; the second's only error lies after the first's.
    std::string text =
        CarLine("TWIN", "0") + "\r\n" + CarLine("TWIN", "1500", "R P 1 2001 1 1", "999") + "\r\n";
    // Cars whose every value fails, far past the error list's 32767 rows.
    for (int i = 0; i < 1500; ++i)
        text +=
            "BAD" + std::to_string(i) + " x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x x\r\n";
    OpenOn(text);
    EXPECT_EQ(form.lvErrors.RowCount(), ErrorRegister::kMaxRows);
    EXPECT_EQ(form.Label2.Caption(),
              "Errors : (" + std::to_string(form.Errors().LeftOut()) + " more not listed)");
    frmCarTable& table = Table();
    EXPECT_NE(table.grdCars.Error(0, 1), "");
    EXPECT_EQ(table.grdCars.Error(0, 13), "");
    EXPECT_EQ(table.grdCars.Error(1, 1), "");
    EXPECT_NE(table.grdCars.Error(1, 13), "");
    EXPECT_EQ(table.grdCars.Error(1501, 5), "x is not a valid number.") << "the last car";
    table.chkErrors.UserClicks();
    EXPECT_EQ(table.grdCars.RowCount(), 1502);
}

TEST_F(DataKept, RandomEditsCommentsAndExportsSaveWhatReadsBackOrNothing) {
    OpenOn(";top\r\n" + CarLine("ZEBRA") + "\r\n" + CarLine("APPLE", "1200", "r e x 1200F 7 3") + "\r\n");
    const std::string pieces[] = {"", " ", "7", "0.5", "-2", "x y", "1e3", ";", "R", "ABCD"};
    const std::string lines[] = {"; ok", "", ";-# File Author : Eve", "CAR 1",
                                 "a b c d e f g h i j k l m n o p q r s t u v w x y z 1 2 3 4 5 6 7"};
    const std::string exported = Path("Export.cfg");
    std::mt19937 random(18);
    for (int round = 0; round < 200; ++round) {
        form.cboCars.UserSteps(static_cast<int>(random() % 2));
        for (int edits = static_cast<int>(random() % 4); edits > 0; --edits) {
            const int column = 1 + static_cast<int>(random() % 31);
            form.txtStat[column].SetFocus();
            form.txtStat[column].UserTypes(pieces[random() % std::size(pieces)] +
                                           pieces[random() % std::size(pieces)]);
        }
        if (random() % 4 == 0) {
            frmComments& comments = Comments();
            comments.txtBefore.UserTypes(lines[random() % std::size(lines)] + "\r\n" +
                                         lines[random() % std::size(lines)]);
            comments.cmdOK.UserClicks();
        }
        form.StatsToArray();
        const std::string before = OnDisk(path);
        const std::string exportedBefore = OnDisk(exported);
        const bool gapRefused = FirstValueGap(doc.Cars()).has_value() && random() % 2;
        services.answers = {gapRefused ? Answer::No : Answer::Yes, Answer::Ok};
        services.savePaths = {path};
        const std::size_t messages = services.messages.size();
        form.mnuSaveAs.UserChooses(); // save as writes whether or not anything changed
        if (gapRefused) {
            EXPECT_EQ(OnDisk(path), before) << "round " << round << ": No writes nothing";
            continue;
        }
        if (services.messages.size() > messages && services.messages.back().title != "Empty Value") {
            EXPECT_EQ(OnDisk(path), before) << "round " << round;
            EXPECT_FALSE(ExportAll(exported)) << "round " << round;
            EXPECT_EQ(OnDisk(exported), exportedBefore) << "round " << round;
            frmComments& again = Comments();
            again.txtBefore.UserTypes("; top");
            again.cmdOK.UserClicks();
            continue;
        }
        EXPECT_EQ(ReadBackDifference(OnDisk(path), doc.Data()), "") << "round " << round;
        services.answers = {Answer::Yes, Answer::Ok};
        ASSERT_TRUE(ExportAll(exported)) << "round " << round;
        EXPECT_EQ(ReadBackDifference(OnDisk(exported), ExportDocument(doc.Data(), {"ZEBRA", "APPLE"})), "")
            << "round " << round;
    }
}

// The whole table copied into a spreadsheet comes back with every number in
// the spreadsheet's spelling and two values really changed: the preview offers
// the two cars, Apply changes the two values, and the save rewrites two lines.
TEST_F(DataKept, ASpreadsheetsPasteBackChangesOnlyWhatReallyChanged) {
    const std::string file = "; aligned by hand\r\n"
                             "CORVALE   2200.0 2.5 4.4 1.6  0.0  0.08 -0.25 70 1.08 0.82 0.50 5 170 24.3 4 D "
                             "7.5  0.57 0 30 2.0 0.14 "
                             "0.36 1.3 18000 0.29 -0.24 0.5  0001 2 1\r\n"
                             "; a note between cars\r\n"
                             "DUSK      1800   2.3 5.4 1.3  0.0  0.03 -0.08 80 0.97 0.77 0.5  5 150 31.8 R E "
                             "9.5  0.46 1 35 2.0 0.16 "
                             "0.23 1.2 65000 0.25 -0.11 0.50 00a0 3 0\r\n"
                             "EMBER     1400   2.5 4.4 1.4  0.0 -0.07 -0.05 70 0.88 0.78 0.48 4 180 32.3 R E "
                             "10.9 0.55 1 30 1.4 0.10 "
                             "0.17 0.8 25000 0.32 -0.22 0.5  0200 3 2\r\n"
                             "FALCON    2200   2.3 5.3 1.6  0.0  0.01 -0.15 70 1.03 0.87 0.55 5 180 23.0 F E "
                             "9.2  0.46 0 30 1.8 0.09 "
                             "0.28 0.7 40000 0.22 -0.23 0.5  0000 0 1\r\n"
                             "GRANITE   12000  2.8 9.5 3.6  0.0  0.06 -0.21 70 1.22 0.9  0.5  4 120 7.9  R P "
                             "9.7  0.56 1 28 2.4 0.1  "
                             "0.11 1.5 4E4   0.25 -0.15 0.6  0200 2 0\r\n";
    OpenOn(file);
    frmCarTable& table = Table();
    table.grdCars.UserSelects({{0, 0, table.grdCars.RowCount() - 1, kStatCount - 1}}, {0, 0});
    std::string back;
    int row = -1;
    for (const std::string& line : Split(table.grdCars.CopyText(), '\n')) {
        int column = 0;
        for (const std::string& cell : Split(line, '\t')) {
            std::string spelt(cell);
            if (row >= 0 && column == Flags)
                spelt.erase(0, std::min(spelt.find_first_not_of('0'), spelt.size() - 1));
            else if (row >= 0 && column > 0 && !StatCatalogue::Instance()[column].IsText) {
                char scientific[32];
                std::snprintf(scientific, sizeof scientific, "%E", *PlainNumber(cell));
                spelt = column % 3 ? PlainDecimal(*PlainNumber(cell)) : scientific;
            }
            if ((row == 0 && column == 1) || (row == 2 && column == 13))
                spelt = row == 0 ? "2250" : "185";
            back += (column++ ? "\t" : "") + spelt;
        }
        back += "\r\n";
        ++row;
    }
    On<frmPasteCars>([](frmPasteCars& preview) {
        EXPECT_EQ(test::PreviewEntries(preview.tvCars),
                  (std::vector<std::string>{"replaces CORVALE: 1 value differs [x]",
                                            "replaces EMBER: 1 value differs [x]", "3 cars unchanged"}));
        preview.cmdApply.UserClicks();
    });
    table.grdCars.UserPastes(back);
    EXPECT_EQ(form.mnuUndo.Caption(), "&Undo Paste 2 Cars");
    form.mnuSave.UserChooses();
    const std::vector<std::string> before = Split(file, '\n'), after = Split(OnDisk(path), '\n');
    ASSERT_EQ(after.size(), before.size());
    std::vector<std::size_t> rewritten;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            rewritten.push_back(i);
    EXPECT_EQ(rewritten, (std::vector<std::size_t>{1, 4}));
}
