// A commit splices the rows of the cars it changed into the error list;
// whatever the document and the edits, the list must show what a whole
// check gives, in the order the user sorted it.
#include "handling_file/handling_format.h"
#include "scripted_services.h"
#include "temp_folder.h"
#include "windows/editor_test.h"
#include "windows/frmAddCar.h"
#include "windows/frmMain.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;
using test::ScriptedServices;

namespace {

// Names that repeat, differ only in case, are empty or too long.
const std::vector<std::string> kNames = {"ALPHA", "alpha", "BETA", "BETA", "", "OVERLONG_NAME_XY", "gamma"};
// Values good, bad and out of range for most stats.
const std::vector<std::string> kValues = {"1",     "0.5", "5",   "20", "",    "abc",
                                          "99999", "-5",  "1e3", "R",  "2001"};

class Picker {
  public:
    explicit Picker(unsigned seed) : random_(seed) {}
    int Below(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
    const std::string& From(const std::vector<std::string>& pool) {
        return pool[static_cast<std::size_t>(Below(static_cast<int>(pool.size())))];
    }

  private:
    std::mt19937 random_;
};

// A few cars of random values.
std::string RandomFile(Picker& pick) {
    std::string text = ";generated\r\n";
    for (int car = pick.Below(9); car > 0; --car) {
        text += pick.From(kNames);
        for (int column = 1 + pick.Below(kStatCount); column < kStatCount; ++column)
            text += " " + (pick.Below(3) ? std::string("1") : pick.From(kValues));
        text += "\r\n";
    }
    return text;
}

// The error list as filling it with the rows of a whole check of the
// document, sorted as the user sorted it, shows them.
void ExpectAsAWholeCheck(const frmMain& form, const Document& doc, const std::string& step) {
    ErrorRegister whole;
    ErrorCheck(doc.Cars(), whole, NumberFormat{});
    platform::ColumnList list("lvErrors", {"", "Car", "Error"});
    std::vector<std::string> cells;
    for (const ErrorRecord& row : whole.Rows())
        cells.insert(cells.end(), {FirstCellText(row.ErrorNumber), row.CarString, row.ExplanationString});
    list.SetSort(form.lvErrors.Sorted(), form.lvErrors.SortKey(), form.lvErrors.SortOrder());
    list.SetRows(std::move(cells));
    ASSERT_EQ(test::RowTexts(form.lvErrors), test::RowTexts(list)) << step;
}

using ErrorSplice = test::TempFolderTest;

} // namespace

TEST_F(ErrorSplice, EveryCommitLeavesWhatAWholeCheckWould) {
    for (unsigned seed = 1; seed <= 120; ++seed) {
        Picker pick(seed);
        Document doc;
        ScriptedServices services;
        services.commandLine = "\"" + Write("Handling.cfg", RandomFile(pick)) + "\"";
        frmMain form(doc, services);
        form.Form_Load();
        if (pick.Below(2))
            form.lvErrors.UserClicksHeader(pick.Below(3));
        for (int action = 0; action < 12; ++action) {
            const std::string step = "seed " + std::to_string(seed) + ", action " + std::to_string(action);
            const int cars = static_cast<int>(doc.Cars().size());
            const auto someCar = [&] { return pick.Below(cars); };
            switch (pick.Below(7)) {
            case 0:
            case 1: { // a value typed into a field of some car, then the field is left
                if (cars == 0)
                    continue;
                form.ShowValue(someCar(), -1);
                const int column = 1 + pick.Below(kStatCount - 1);
                platform::TextField& field = form.txtStat[static_cast<std::size_t>(column)];
                if (!field.Visible())
                    continue;
                field.SetFocus();
                field.Select(0, field.Text().size());
                field.UserTypes(pick.From(kValues));
                form.cboCars.SetFocus();
                break;
            }
            case 2: { // one change of several cars, names included, as the car table makes
                if (cars == 0)
                    continue;
                std::vector<CellEdit> edits;
                for (int cell = 1 + pick.Below(4); cell > 0; --cell) {
                    const int column = pick.Below(3) == 0 ? VehicleIdentifier : pick.Below(kStatCount);
                    edits.push_back({someCar(), column,
                                     column == VehicleIdentifier ? pick.From(kNames) : pick.From(kValues)});
                }
                doc.Commit(ValuesChange(doc.Cars(), edits, "Paste"));
                break;
            }
            case 3: // sorted anew; the rows wait for the next commit
                form.lvErrors.UserClicksHeader(pick.Below(3));
                continue;
            case 5: // a step taken back or done again
                if (pick.Below(2))
                    form.mnuUndo.UserChooses();
                else
                    form.mnuRedo.UserChooses();
                break;
            case 4: // cars go or come; the lists show them at once
                if (cars > 0 && pick.Below(2)) {
                    services.answers.push_back(platform::Answer::Yes);
                    form.mnuDelete.UserChooses();
                } else {
                    std::string name = pick.From(kNames);
                    if (name.empty())
                        name = "NEW"; // the window refuses an empty name
                    services.steps.push_back([name](platform::Window& window) {
                        auto& add = ScriptedServices::As<frmAddCar>(window);
                        add.txtCarLabel.UserTypes(name);
                        add.cmdViewErrors.UserClicks();
                    });
                    form.mnuAdd.UserChooses();
                }
                break;
            default: // leaving a field with nothing changed
                form.StatsToArray();
                break;
            }
            ExpectAsAWholeCheck(form, doc, step);
            if (HasFatalFailure())
                return;
        }
    }
}
