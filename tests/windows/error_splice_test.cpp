// A commit splices the rows of the cars it changed into the main window's
// error list; whatever the document and the changes, the list must show what
// a whole check gives, in the order the user sorted it.
#include "handling_file/handling_format.h"
#include "windows/editor_test.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;

namespace {

// Names that repeat, differ only in case, are empty or too long.
const std::vector<std::string> kNames = {"ALPHA", "alpha", "BETA", "BETA", "", "OVERLONG_NAME_XY", "gamma"};
// Values good, bad and out of range for most stats.
const std::vector<std::string> kValues = {"1",     "0.5", "5",   "20", "",    "abc",
                                          "99999", "-5",  "1e3", "R",  "2001"};

// The rows of a whole check of the document, sorted as the user sorted the main window's list.
std::vector<std::string> AsAWholeCheck(const frmMain& form, const Document& doc) {
    ErrorRegister whole;
    ErrorCheck(doc.Cars(), whole, NumberFormat{});
    platform::ColumnList list("lvErrors", {"", "Car", "Error"});
    std::vector<std::string> cells;
    for (const ErrorRecord& row : whole.Rows())
        cells.insert(cells.end(), {FirstCellText(row.ErrorNumber), row.CarString, row.ExplanationString});
    list.SetSort(form.lvErrors.Sorted(), form.lvErrors.SortKey(), form.lvErrors.SortOrder());
    list.SetRows(std::move(cells));
    return test::RowTexts(list);
}

using ErrorSplice = test::TempFolderTest;

} // namespace

TEST_F(ErrorSplice, EveryCommitLeavesWhatAWholeCheckWould) {
    std::mt19937 random(1);
    const auto below = [&random](int count) {
        return std::uniform_int_distribution<int>(0, count - 1)(random);
    };
    const auto from = [&below](const std::vector<std::string>& pool) {
        return pool[static_cast<std::size_t>(below(static_cast<int>(pool.size())))];
    };
    const CarRow added = ParseHandlingText(test::CarLine("NEW", "99999") + "\r\n").file.Cars.at(0);
    for (int round = 0; round < 120; ++round) {
        std::string text = ";generated\r\n";
        for (int car = below(9); car > 0; --car) {
            text += from(kNames);
            for (int column = 1 + below(kStatCount); column < kStatCount; ++column)
                text += " " + (below(3) ? std::string("1") : from(kValues));
            text += "\r\n";
        }
        test::Editor editor;
        editor.Start("\"" + Write("Handling.cfg", text) + "\"");
        Document& doc = editor.doc;
        for (int action = 0; action < 12; ++action) {
            const int cars = static_cast<int>(doc.Cars().size());
            switch (cars == 0 ? 3 : below(5)) {
            case 0: { // one change of several cars, names included, as the car table makes
                std::vector<CellEdit> edits;
                for (int cell = 1 + below(4); cell > 0; --cell) {
                    const int column = below(3) == 0 ? VehicleIdentifier : below(kStatCount);
                    edits.push_back(
                        {below(cars), column, from(column == VehicleIdentifier ? kNames : kValues)});
                }
                doc.Commit(ValuesChange(doc.Cars(), edits, "Paste"));
                break;
            }
            case 1: // sorted anew; the rows wait for the next commit
                editor.form.lvErrors.UserClicksHeader(below(3));
                continue;
            case 2:
                (below(2) ? editor.form.mnuUndo : editor.form.mnuRedo).UserChooses();
                break;
            default: // cars go or come
                doc.Commit(cars > 0 && below(2) ? DeleteCarChange(doc.Cars(), below(cars))
                                                : AddCarChange(doc.Cars(), added));
                break;
            }
            ASSERT_EQ(editor.ErrorRows(), AsAWholeCheck(editor.form, doc))
                << "round " << round << ", action " << action;
        }
    }
}
