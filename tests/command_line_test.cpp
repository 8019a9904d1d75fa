#include "captured_output.h"
#include "document/version_files.h"
#include "files/file_read.h"
#include "files/settings_file.h"
#include "sample_cars.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <tuple>

using namespace kestrix;
using test::CarLine;
using test::Printed;
using test::ReadFile;
using test::RunKestrix;

namespace {

const std::string kSample = std::string(KESTRIX_EXAMPLES) + "/Handling.cfg";
const Printed kQuiet{0, "", ""}; // done, and nothing to say

// A mod's file of these car lines.
std::string Text(std::initializer_list<std::string> lines) {
    std::string text = "; mod file\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// The command line reads the editor's settings from the test's own folder.
class CommandLine : public test::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
#ifdef _WIN32
        _putenv_s("APPDATA", folder.string().c_str());
#else
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
#endif
        std::filesystem::create_directories(folder / "Kestrix");
    }
};
using CompareCommand = CommandLine;

} // namespace

TEST_F(CommandLine, ResaveWritesWhatTheEditorSavesAndModesStatusesOptionLikeFilesAndLostOutputAreKnown) {
    const std::string out = Path("out.cfg");
    ASSERT_EQ(RunKestrix({"--resave", kSample, out}).status, 0);
    HandlingDocument doc;
    ApplyToDocument(ReadHandlingFile(kSample).file, doc);
    EXPECT_EQ(ReadFile(out), WriteHandlingText(doc));

    // Keeping the layout, an unchanged file comes back byte for byte; a file
    // the editor would refuse is refused alike.
    ASSERT_EQ(RunKestrix({"--resave", "--keep-layout", "--", kSample, out}).status, 0);
    EXPECT_EQ(ReadFile(out), ReadFile(kSample));
    std::filesystem::remove(out);
    const std::string wide = Write("wide.cfg", "; x\n" + CarLine("WIDE") + " 33\n");
    EXPECT_EQ(RunKestrix({"--resave", "--keep-layout", wide, out}), RunKestrix({"--resave", wide, out}));
    EXPECT_FALSE(std::filesystem::exists(out));

    // The backup follows the editor's preference, read from its settings file.
    Write("out.cfg", "; before\r\n");
    for (const std::string settings : {"[Other]\nKeepBackup=0\n[Preferences]\nKeepBackup=1\n",
                                       "[Preferences]\nKeepLayout=0\n KeepBackup = 0\r\n", ""}) {
        test::WriteFile(SettingsFilePath(), settings);
        std::filesystem::remove(out + ".bak");
        ASSERT_EQ(RunKestrix({"--resave", kSample, out}), kQuiet);
        EXPECT_EQ(std::filesystem::exists(out + ".bak"), settings.find(" 0") == std::string::npos)
            << settings;
    }

    // "--" ends the options, so that files named like options can be checked and opened.
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--resave", "/no/such/Handling.cfg", "/tmp/x.cfg"},
          {"--check"},
          {"--bogus"},
          {"--resave", "--strict", kSample, "/tmp/x.cfg"},
          {"--check", "--keep-layout", kSample},
          {"--diff", kSample},
          {"--merge", "-o", "/no/such/out.cfg", kSample},
          {"--mergetool", kSample, kSample, kSample},
          {"--fix-range", "/no/such/Handling.cfg"},
          {"-style", "x.cfg"},
          {"a.cfg", "b.cfg"}})
        EXPECT_EQ(RunKestrix(wrong).status, 2) << wrong[0];
    EXPECT_EQ(RunKestrix({"--help"}).status, 0);
    EXPECT_EQ(RunKestrix({}).status, std::nullopt);
    EXPECT_EQ(RunKestrix({"Handling.cfg"}).status, std::nullopt);
    EXPECT_EQ(RunKestrix({"--mergetool", "--", "B", "L", "R", "-M"}).status, std::nullopt)
        << "for the window";
    EXPECT_EQ(ParseEditorArguments({"--mergetool", "--", "B", "L", "R", "-M"}).mergeTool,
              (std::vector<std::string>{"B", "L", "R", "-M"}));

    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    for (const char* name : {"-x.cfg", "--x.cfg"})
        std::filesystem::copy_file(kSample, Path(name));
    EXPECT_EQ(RunKestrix({"--check", "-x.cfg"}).status, 1) << "the file after --check is taken as it is";
    EXPECT_EQ(RunKestrix({"--resave", "--", "-x.cfg", "--x.cfg"}).status, 0);
    EXPECT_EQ(RunKestrix({"--check", "--", "--x.cfg"}), RunKestrix({"--check", kSample}));
    std::filesystem::current_path(before);

    EXPECT_EQ(ParseEditorArguments({"--", "--x.cfg"}).file, "--x.cfg");
    EXPECT_EQ(ParseEditorArguments({"-", "--"}).file, "-");
    EXPECT_FALSE(ParseEditorArguments({"-reverse"}).valid) << "never left for the window system to take";

    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    const Printed outcome = test::Capture([&](std::FILE*, std::FILE* err) {
        return RunCommandLineMode({"--check", kSample}, Output(full), err);
    });
    std::fclose(full);
    EXPECT_EQ(outcome.status, 2) << "the output is lost";
}

TEST_F(CompareCommand, DiffTextconvAndMergeOfTwoSidesSayWhatTheFilesHoldAndKeepOurLines) {
    const std::string before = Write("old.cfg", Text({CarLine("ALPHA"), CarLine("BETA"), CarLine("GAMMA")}));
    // Unreadable files are refused as --check refuses them, naming the file.
    const std::string wide = Write("wide.cfg", CarLine("WIDE") + " 33\r\n");
    const std::string missing = Path("missing.cfg");
    for (const std::string& bad : {wide, missing}) {
        const Printed check = RunKestrix({"--check", bad});
        ASSERT_EQ(check.status, 2);
        EXPECT_EQ(RunKestrix({"--diff", before, bad}), check);
        EXPECT_EQ(RunKestrix({"--diff", bad, before}), check);
        EXPECT_EQ(RunKestrix({"--textconv", bad}), check);
        EXPECT_EQ(RunKestrix({"--merge", "-o", Path("out.cfg"), before, bad, before}), check);
        EXPECT_FALSE(std::filesystem::exists(Path("out.cfg"))) << "nothing is written";
        // Named as git names the file.
        std::string named = check.err;
        EXPECT_EQ(
            RunKestrix({"--merge", "--name", "m/H.cfg", "-o", Path("out.cfg"), bad, before, before}).err,
            named.replace(named.find(bad), bad.size(), "the base of m/H.cfg"));
    }

    const std::string file =
        Write("a.cfg", ";-# File Author : me\r\n" + Text({CarLine("ALPHA")}) + "; end\r\n");
    const Printed printed = RunKestrix({"--textconv", file});
    EXPECT_EQ(printed.status, 0);
    EXPECT_TRUE(printed.out.starts_with(
        ";-# File Author : me\n; mod file\nALPHA\t#0 Vehicle Identifier\tALPHA\nALPHA\t#1 Mass\t1500\n"))
        << printed.out;
    EXPECT_TRUE(printed.out.ends_with("ALPHA\t#31 Rear Lights\t1\n; end\n"));

    // A merge writes over our side and lists the conflicts it kept ours of.
    const std::string base = Write("base.cfg", Text({CarLine("ALPHA"), CarLine("BETA")}));
    const std::string ours = Write("ours.cfg", Text({CarLine("ALPHA", "1600"), CarLine("BETA", "900")}));
    const std::string theirs = Write("theirs.cfg", Text({CarLine("ALPHA", "1500", "R P 1 2001 1 1", "220"),
                                                         CarLine("BETA", "950"), CarLine("NEW")}));
    EXPECT_EQ(RunKestrix({"--merge", base, ours, theirs}),
              (Printed{1, "",
                       "kestrix: 1 conflict; \"" + ours +
                           "\" keeps our side of each (car, stat, base, ours, theirs):\nBETA\t#1 "
                           "Mass\t1500\t900\t950\n"}));
    const std::string again = Write("again.cfg", Text({CarLine("ALPHA", "1600"), CarLine("BETA", "900")}));
    EXPECT_TRUE(RunKestrix({"--merge", "--name", "m/H.cfg", "-o", again, base, again, theirs})
                    .err.starts_with("kestrix: 1 conflict; \"m/H.cfg\" keeps"))
        << "named as given";
    EXPECT_NE(ReadFile(ours).find("\nNEW "), std::string::npos) << "written over our side";
    EXPECT_FALSE(std::filesystem::exists(ours + ".bak")) << "no copy is left beside a merged file";

    EXPECT_EQ(RunKestrix({"--merge", "-o", Path("clean.cfg"), "--", base, base, theirs}), kQuiet);
    EXPECT_EQ(RunKestrix({"--merge", "-o", Path("no/such/folder.cfg"), base, base, theirs}).status, 2);

    // --tidy writes the editor's own form; without it, the property below keeps our lines.
    ASSERT_EQ(RunKestrix({"--merge", "--tidy", "-o", Path("kept.cfg"), base, base, theirs}).status, 0);
    EXPECT_TRUE(ReadFile(Path("kept.cfg")).starts_with(";-# File Created By Kestrix 1.0\r\n"));

    // Each side took out one car of a full file and added its own.
    const std::string oursFull = Write("ours-full.cfg", test::ModdedHandlingText(kMaxCars, 0, 0, "OURS"));
    EXPECT_EQ(RunKestrix({"--merge", Write("full.cfg", test::GeneratedHandlingText(kMaxCars)), oursFull,
                          Write("theirs-full.cfg", test::ModdedHandlingText(kMaxCars, 0, 0, "THEIRS"))})
                  .status,
              2);
    EXPECT_EQ(ReadFile(oursFull), test::ModdedHandlingText(kMaxCars, 0, 0, "OURS")) << "nothing is written";

    // Nor is one that a value grown by a byte would take past what a file may hold.
    const std::string alpha = CarLine("ALPHA") + "\n";
    const std::string huge = Write("huge.cfg", std::string(kMaxFileBytes - alpha.size(), ' ') + alpha);
    const std::string heavier = Write("heavier.cfg", CarLine("ALPHA", "15000"));
    EXPECT_EQ(RunKestrix({"--merge", Write("one.cfg", alpha), huge, heavier}).status, 2);
    EXPECT_EQ(ReadFile(huge).size(), kMaxFileBytes) << "nothing is written";

    // --diff and --merge read each file once, the sides beside the base, and the
    // merge writes into our lines: whatever the files hold and however their cars
    // move, they must say what the comparison and the merge of the files read
    // apart say, and every car of ours the merge kept as it was keeps its line.
    std::mt19937 random(30);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::array<std::string, 5> values{"1", "2", "0.5", "R", std::string(300, '9')};
    const auto value = [&] { return values[static_cast<std::size_t>(pick(5))]; };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // A base where names repeat now and then, and two sides that change values and move cars.
        std::vector<std::vector<std::string>> base;
        for (int count = pick(9); count > 0; --count) {
            std::vector<std::string>& car = base.emplace_back(1, "CAR_" + std::to_string(pick(6)));
            for (int column = 1, held = pick(4) ? kStatCount : 4 + pick(28); column < held; ++column)
                car.push_back(value());
        }
        std::array<std::vector<std::vector<std::string>>, 2> sides{base, base};
        std::array<std::string, 2> comments{"; top\n", "; top\n"};
        for (int s = 0; s < 2; ++s) {
            auto& cars = sides[static_cast<std::size_t>(s)];
            for (int changes = pick(4); changes > 0 && !cars.empty(); --changes)
                cars[static_cast<std::size_t>(pick(static_cast<int>(cars.size())))]
                    [static_cast<std::size_t>(1 + pick(3))] = value(); // a few columns: conflicts
            if (const int event = pick(8); event == 0)
                cars.push_back(base.empty() ? std::vector<std::string>(kStatCount, "1") : base.front());
            else if (event == 1 && !cars.empty())
                cars.front().front() = "RENAMED";
            else if (event == 2)
                comments[static_cast<std::size_t>(s)] = "; side " + std::to_string(s) + "\n";
            else if (event == 3 && cars.size() > 1)
                std::swap(cars[static_cast<std::size_t>(pick(static_cast<int>(cars.size())))], cars.back());
            else if (event == 4 && !cars.empty())
                cars.erase(cars.begin() + pick(static_cast<int>(cars.size())));
        }
        // Each file written in a layout of its own, each car line padded its own way.
        const auto write = [&](const std::string& name, const std::vector<std::vector<std::string>>& cars,
                               const std::string& top) {
            const std::string end = std::array<std::string, 4>{"\r\n", "\n", "\r", "\n\r"}[pick(4)];
            std::string text = std::string(pick(4) ? "" : "\xEF\xBB\xBF") + (pick(4) ? "" : ";-#\n") + top;
            for (const auto& car : cars) {
                text += std::string(static_cast<std::size_t>(pick(3)), ' ');
                for (const std::string& cell : car)
                    text += cell + std::array<std::string, 3>{" ", "\t", "   "}[pick(3)];
                text += pick(5) == 0 ? end + "; between" + end : end;
            }
            const bool endless = pick(3) == 0 && text.ends_with(end); // a last line without an end
            return Write(name, text.substr(0, text.size() - (endless ? end.size() : 0)));
        };
        const std::array<std::string, 3> paths{write("base.cfg", base, "; top\n"),
                                               write("ours.cfg", sides[0], comments[0]),
                                               write("theirs.cfg", sides[1], comments[1])};
        std::array<ParsedHandlingFile, 3> apart;
        for (std::size_t i = 0; i < 3; ++i)
            apart[i] = ParseHandlingText(ReadFile(paths[i])).file;
        const FileContents before = ContentsOf(apart[0]), after = ContentsOf(apart[1]);
        const FileDifference whole = CompareFiles(before, after);
        EXPECT_EQ(RunKestrix({"--diff", paths[0], paths[1]}),
                  (Printed{whole.Empty() ? 0 : 1, DifferenceText(before, after, whole), ""}));

        const MergeOutcome outcome = MergeFiles(before, after, ContentsOf(apart[2]));
        const std::string out = Path("merged.cfg");
        ASSERT_EQ(RunKestrix({"--merge", "-o", out, paths[0], paths[1], paths[2]}).status,
                  outcome.conflicts.empty() ? 0 : 1);
        const std::string merged = ReadFile(out);
        const ParsedHandlingFile back = ParseHandlingText(merged).file;
        EXPECT_EQ(back.Cars, outcome.merged.Cars);
        if (!back.Cars.empty()) { // without cars, every comment stands before them
            EXPECT_EQ(std::tie(back.BeforeComments, back.AfterComments),
                      std::tie(outcome.merged.BeforeComments, outcome.merged.AfterComments));
        }
        std::vector<std::string> oursLines;
        const std::string oursText = ReadFile(paths[1]);
        ForEachLine(std::string_view(oursText).substr(oursText.starts_with("\xEF\xBB\xBF") ? 3 : 0),
                    [&](std::string_view line) {
                        if (ClassifyLine(line) == LineKind::Car)
                            oursLines.emplace_back(line);
                        return true;
                    });
        std::multiset<std::string_view> mergedLines;
        ForEachLine(merged, [&](std::string_view line) { return mergedLines.insert(line), true; });
        for (std::size_t car = 0; car < outcome.merged.Cars.size(); ++car) {
            const int row = outcome.mergedOursRows[car];
            if (row >= 0 && outcome.merged.Cars[car] == apart[1].Cars[static_cast<std::size_t>(row)]) {
                EXPECT_TRUE(mergedLines.contains(oursLines[static_cast<std::size_t>(row)]))
                    << "our line of " << outcome.merged.Cars[car][0] << " kept";
            }
        }
    }
}

// A byte below 0x20 but TAB and line feed, or 0x7F, reaches a terminal as
// \xNN; every other byte stays itself. A car named to retitle the window and
// turn the text bold: standard error never passes it on as it is, standard
// output only to a pipe or a file.
TEST_F(CommandLine, ATerminalIsShownControlBytesAsHexadecimalSoThatNamesAndValuesFromTheFileDriveNone) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        const std::string shown = ShownOnTerminal("a" + one + "b");
        if ((byte >= 0x20 && byte != 0x7F) || byte == '\t' || byte == '\n') {
            EXPECT_EQ(shown, "a" + one + "b") << byte;
            continue;
        }
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        EXPECT_EQ(shown, "a\\x" + std::string(hex) + "b");
    }
    const std::string name = "R\x1B]0;x\x07\x1B[1m";
    const std::string shown = "R\\x1B]0;x\\x07\\x1B[1m";
    const std::string in = Write("in.cfg", Text({CarLine(name, "99999", "R P 1 2001 1 1", "2\x7F")}));
    const std::string fixed = "\t#1 Mass\t99999\t50000\n";
    const std::string left = "\t#13 Max Velocity\t2\\x7F\tleft as it is: ";
    for (const bool terminal : {false, true}) {
        const Printed printed = RunKestrix({"--fix-range", "-o", Path("out.cfg"), in}, terminal);
        EXPECT_EQ(printed.out, (terminal ? shown : name) + fixed);
        EXPECT_TRUE(printed.err.starts_with(shown + left)) << printed.err;
        EXPECT_EQ(printed.err, ShownOnTerminal(printed.err));
    }
    EXPECT_TRUE(RunKestrix({"--check", in}, true).out.starts_with("#1\t" + shown + "\t99999 is"));
    EXPECT_NE(RunKestrix({"--textconv", in}).out.find(name + "\t#1 Mass\t99999\n"), std::string::npos)
        << "git reads the bytes";
}
