#include "windows/frmMerge.h"

#include "app/editor_start.h"
#include "platform/processes.h"
#include "windows/editor_test.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace kestrix;
using test::CarLine;

namespace {

// git as the editor asks it: answers by the command, and keeps what was asked.
class ScriptedGit : public platform::ProcessRunner {
  public:
    std::map<std::string, std::string> outputs; // by the command's words joined by blanks
    std::map<std::string, int> statuses;        // 0 where none is given
    std::string failure;                        // git cannot be run at all
    std::vector<std::string> asked;
    platform::ProcessRun Run(const std::vector<std::string>& command, const std::string& folder) override {
        std::string line;
        for (const std::string& word : command)
            line += (line.empty() ? "" : " ") + word;
        asked.push_back(line + " (in " + folder + ")");
        platform::ProcessRun run;
        run.failure = failure;
        run.status = failure.empty() ? statuses[line] : -1;
        run.output = outputs[line];
        return run;
    }
};

class MergeWindowTest : public test::EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        services.processes = &git;
    }
    // The versions git holds, with their objects listed as unmerged.
    void Unmerged(const std::string& base, const std::string& ours, const std::string& theirs) {
        git.outputs["git ls-files --unmerged -z -- Handling.cfg"] =
            std::string("100644 b1 1\tHandling.cfg\0", 25) + std::string("100644 o2 2\tHandling.cfg\0", 25) +
            std::string("100644 t3 3\tHandling.cfg\0", 25);
        git.outputs["git cat-file blob b1"] = base;
        git.outputs["git cat-file blob o2"] = ours;
        git.outputs["git cat-file blob t3"] = theirs;
    }
    // git in the middle of merging heavier-buses into main.
    void MergingBranches() {
        git.outputs["git rev-parse --abbrev-ref HEAD"] = "main\n";
        git.outputs["git name-rev --name-only MERGE_HEAD"] = "heavier-buses\n";
    }
    // The headers of the columns of ours and theirs, in both lists.
    static std::vector<std::string> SideHeaders(const frmMerge& merge) {
        return {merge.lvConflicts.Headers()[3], merge.lvConflicts.Headers()[4], merge.lvMerged.Headers()[3],
                merge.lvMerged.Headers()[4]};
    }
    ScriptedGit git;
};

// A merge whose three cars each have three stats both sides changed differently.
MergeResolution NineConflicts() {
    HandlingDocument base, ours, theirs;
    for (const std::string name : {"ALPHA", "BETA", "GAMMA"}) {
        CarRow car;
        car.Set(0, name);
        base.Cars.push_back(car);
        for (const auto& [side, digit] : {std::pair(&ours, "1"), std::pair(&theirs, "2")}) {
            for (int column = 1; column <= 3; ++column)
                car.Set(column, digit + std::to_string(column));
            side->Cars.push_back(car);
        }
    }
    return MergeResolution(MergeFiles(ContentsOf(base), ContentsOf(ours), ContentsOf(theirs)));
}

} // namespace

TEST_F(MergeWindowTest, ResolveMergeAndTheMergeToolNameTheBranchesAndAChoiceMovesToTheNextConflict) {
    const std::string base = CarLine("APPLE") + "\r\n" + CarLine("ZEBRA") + "\r\n" + CarLine("KIWI") + "\r\n";
    const std::string ours = CarLine("APPLE", "1600") + "\r\n" + CarLine("ZEBRA", "1700") + "\r\n" +
                             CarLine("KIWI", "1500", "R P 1 2001 1 1", "210") + "\r\n";
    const std::string theirs = CarLine("APPLE", "1650") + "\r\n" + CarLine("ZEBRA", "1750") + "\r\n" +
                               CarLine("KIWI") + "\r\n" + CarLine("NEWT") + "\r\n";
    OpenOn(ours);
    EXPECT_TRUE(git.asked.empty()) << "nothing is asked of git when a file opens";

    git.outputs["git ls-files --unmerged -z -- Handling.cfg"] = "";
    services.answers.push_back(platform::Answer::Ok);
    form.mnuResolveMerge.UserChooses();
    EXPECT_EQ(services.messages.back().text, "There is no merge in progress for \"" + path + "\".");

    Unmerged(base, ours, theirs);
    MergingBranches();
    On<frmMerge>([](frmMerge& merge) {
        EXPECT_EQ(SideHeaders(merge), (std::vector<std::string>{"Ours: main", "Theirs: heavier-buses",
                                                                "Ours: main", "Theirs: heavier-buses"}));
        EXPECT_EQ(merge.chkMerged.Caption(), "&Merged without conflict: 1 value and 1 car");
        merge.chkMerged.UserClicks();
        EXPECT_EQ(test::RowTexts(merge.lvMerged),
                  (std::vector<std::string>{"KIWI|#13 Max Velocity|200|210|200|210",
                                            "NEWT|(whole car)|(not in base)||(added)|(added)"}));
        EXPECT_FALSE(merge.cmdSave.Enabled());
        EXPECT_TRUE(merge.UserPressesKey(platform::Shortcut::CtrlS));
        EXPECT_FALSE(merge.IsClosed()) << "nothing is saved while conflicts are left";
        merge.cmdTakeTheirs.UserClicks();
        merge.txtValue.UserTypes("=*100");
        merge.txtValue.UserPressesEnter();
        EXPECT_EQ(test::RowTexts(merge.lvConflicts)[1],
                  "ZEBRA|#1 Mass|1500|1700|1750|170000|170000 is larger than maximum value 50000.");
        EXPECT_TRUE(merge.cmdSave.Enabled());
        merge.txtValue.SetFocus();
        merge.UserPressesKey(platform::Shortcut::CtrlS); // from the value field too
    });
    form.mnuResolveMerge.UserChooses();
    for (const std::string& asked : git.asked)
        EXPECT_TRUE(asked.ends_with("(in " + folder.string() + ")")) << asked << ": the file's own folder";
    EXPECT_EQ(Cell(0, 1), "1650");
    EXPECT_EQ(Cell(1, 1), "170000");
    EXPECT_EQ(Cell(2, 13), "210");
    EXPECT_EQ(Cell(3, 0), "NEWT");
    EXPECT_EQ(ErrorRows().front(), "#1|ZEBRA|170000 is larger than maximum value 50000.");
    form.mnuUndo.UserChooses();
    EXPECT_EQ(doc.Cars().size(), 3u);
    EXPECT_FALSE(doc.Modified());
    EXPECT_EQ(OnDisk(path), ours) << "the file waits for a save";

    // Whatever is chosen, the selection moves only ever to the next conflict left.
    std::mt19937 random(28);
    const auto pick = [&random](int high) { return std::uniform_int_distribution<int>(0, high)(random); };
    for (int round = 0; round < 20; ++round) {
        frmMerge merge(services, NineConflicts(), "Handling.cfg",
                       [](const HandlingDocument&, const std::vector<int>&) { return std::string(); });
        merge.Form_Load();
        platform::Button* const choices[] = {&merge.cmdTakeOurs,   &merge.cmdTakeTheirs,   &merge.cmdTakeBase,
                                             &merge.cmdOursForCar, &merge.cmdTheirsForCar, &merge.cmdUseValue,
                                             &merge.cmdOursForAll, &merge.cmdTheirsForAll};
        for (int step = 0; step < 12; ++step) {
            const int row = pick(8);
            merge.lvConflicts.UserClicks(row);
            merge.txtValue.UserTypes(std::to_string(step));
            choices[pick(step < 8 ? 5 : 7)]->UserClicks();
            // What the list shows, row by row: an empty choice is a conflict left.
            std::vector<bool> left;
            for (int shown = 0; shown < 9; ++shown)
                left.push_back(merge.lvConflicts.Cell(shown, 5).empty());
            const auto count = static_cast<std::size_t>(std::count(left.begin(), left.end(), true));
            EXPECT_EQ(count, merge.Merge().Left());
            EXPECT_EQ(merge.Caption().ends_with(count == 0 ? "no conflicts left" : " left"), true);
            int expected = row;
            for (int ahead = 1; ahead <= 9 && count > 0; ++ahead) {
                if (left[static_cast<std::size_t>((row + ahead) % 9)]) {
                    expected = (row + ahead) % 9;
                    break;
                }
            }
            ASSERT_EQ(merge.lvConflicts.SelectedRow(), expected) << "round " << round << ", step " << step;
        }
        // Closing unsaved asks; No keeps the window open.
        services.answers.push_back(platform::Answer::No);
        EXPECT_FALSE(merge.TryClose());
        services.answers.push_back(platform::Answer::Yes);
        EXPECT_TRUE(merge.TryClose());
        EXPECT_FALSE(merge.Saved());
    }

    // Under git mergetool: the branches named only while git merges, and Ctrl+S writes the merged file.
    const std::vector<std::string> files{
        Write("base.cfg", CarLine("APPLE") + "\r\n"), Write("local.cfg", CarLine("APPLE", "1600") + "\r\n"),
        Write("remote.cfg", CarLine("APPLE", "1650") + "\r\n"), Path("Merged.cfg")};
    const auto headers = [&] { return SideHeaders(MergeTool(services, files).Form()); };
    const std::vector<std::string> plain{"Ours", "Theirs", "Ours", "Theirs"};
    git.outputs["git rev-parse --abbrev-ref HEAD"] = "HEAD\n"; // detached
    git.outputs["git name-rev --name-only MERGE_HEAD"] = "undefined\n";
    EXPECT_EQ(headers(), plain);
    MergingBranches();
    git.statuses["git rev-parse -q --verify MERGE_HEAD"] = 1; // a rebase, cherry-pick or revert
    EXPECT_EQ(headers(), plain);
    git.failure = "No such file or directory";
    EXPECT_EQ(headers(), plain);
    EXPECT_EQ(git.asked.back(), "git rev-parse -q --verify MERGE_HEAD (in " + folder.string() + ")");

    MergeTool tool(services, files);
    tool.Form().Form_Load();
    tool.Form().UserPressesKey(platform::Shortcut::CtrlS);
    EXPECT_FALSE(std::filesystem::exists(files[3])) << "a conflict is left";
    tool.Form().cmdTakeTheirs.UserClicks();
    EXPECT_TRUE(tool.Form().UserPressesKey(platform::Shortcut::CtrlS));
    EXPECT_EQ(tool.ExitStatus(), 0);
    EXPECT_EQ(OnDisk(files[3]), CarLine("APPLE", "1650") + "\r\n");
}
