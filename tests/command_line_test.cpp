#include "captured_output.h"
#include "handling_file/file_io.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <thread>

using namespace kestrix;
using test::RunKestrix;

namespace {

const std::string kSample = std::string(KESTRIX_EXAMPLES) + "/Handling.cfg";

class CommandLine : public test::TempFolderTest {};

} // namespace

TEST(CommandLineArguments, ModesStatusesAndTheEditor) {
    EXPECT_EQ(RunKestrix({"--check", kSample}),
              (test::Printed{1,
                             "#9\tJUNIPER\t0.3 is smaller than minimum value 0.5.\n"
                             "#1\tMARSHAL\t16OO is not a valid number.\n"
                             "#13\tZEPHYR_RACER\t400 is larger than maximum value 300.\n",
                             ""}));
    EXPECT_EQ(RunKestrix({"--check", "/no/such/Handling.cfg"}),
              (test::Printed{2, "",
                             "kestrix: Cannot open \"/no/such/Handling.cfg\": No such file or directory\n"}));
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--resave", "/no/such/Handling.cfg", "/tmp/x.cfg"},
          {"--check"},
          {"--bogus"},
          {"--resave", "--strict", kSample, "/tmp/x.cfg"},
          {"--check", "--keep-layout", kSample},
          {"a.cfg", "b.cfg"}})
        EXPECT_EQ(RunKestrix(wrong).status, 2) << wrong[0];
    EXPECT_EQ(RunKestrix({"--version"}).out, "Kestrix 1.0\n");
    EXPECT_NE(RunKestrix({"--help"}).out.find("--check [--strict] [--] FILE"), std::string::npos);
    EXPECT_EQ(RunKestrix({}).status, std::nullopt);
    EXPECT_EQ(RunKestrix({"Handling.cfg"}).status, std::nullopt);
}

TEST_F(CommandLine, ResaveWritesWhatTheEditorSaves) {
    const std::string out = Path("out.cfg");
    ASSERT_EQ(RunKestrix({"--resave", kSample, out}).status, 0);
    HandlingDocument doc;
    ApplyToDocument(ReadHandlingFile(kSample).file, doc);
    EXPECT_EQ(ReadFileBytes(out).bytes, WriteHandlingText(doc));

    // Keeping the layout, an unchanged file comes back byte for byte; a file
    // the editor would refuse is refused alike.
    ASSERT_EQ(RunKestrix({"--resave", "--keep-layout", "--", kSample, out}).status, 0);
    EXPECT_EQ(ReadFileBytes(out).bytes, ReadFileBytes(kSample).bytes);
    std::filesystem::remove(out);
    std::string line;
    for (int i = 0; i < 33; ++i)
        line += "a ";
    const std::string wide = Write("wide.cfg", "; x\n" + line + "\n");
    EXPECT_EQ(RunKestrix({"--resave", "--keep-layout", wide, out}), RunKestrix({"--resave", wide, out}));
    EXPECT_FALSE(std::filesystem::exists(out));
}

// "--" ends the options, so that files named like options can be checked and opened.
TEST_F(CommandLine, FilesThatLookLikeOptionsFollowTheDoubleDash) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    for (const char* name : {"-x.cfg", "--x.cfg"})
        std::filesystem::copy_file(kSample, Path(name));
    EXPECT_EQ(RunKestrix({"--check", "-x.cfg"}).status, 1) << "the file after --check is taken as it is";
    EXPECT_EQ(RunKestrix({"--resave", "--", "-x.cfg", "--x.cfg"}).status, 0);
    EXPECT_EQ(RunKestrix({"--check", "--", "--x.cfg"}), RunKestrix({"--check", kSample}));
    std::filesystem::current_path(before);

    EXPECT_EQ(RunKestrix({"--", "--x.cfg"}).status, std::nullopt);
    EXPECT_EQ(ParseEditorArguments({"--", "--x.cfg"}).file, "--x.cfg");
    EXPECT_EQ(ParseEditorArguments({"-", "--"}).file, "-");
    EXPECT_FALSE(ParseEditorArguments({"-reverse"}).valid) << "never left for the window system to take";
    const test::Printed option = RunKestrix({"-style", "x.cfg"});
    EXPECT_EQ(option.status, 2);
    EXPECT_TRUE(
        option.err.starts_with("kestrix: unknown option \"-style\"; a file whose name begins with \"-\" "
                               "follows \"--\"\n"))
        << option.err;
}

TEST_F(CommandLine, OutputThatCannotBeWrittenAndAFifoNothingWritesTo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--check", kSample}, {"--version"}}) {
        std::FILE* full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        const test::Printed outcome =
            test::Capture([&](std::FILE*, std::FILE* err) { return RunCommandLineMode(args, full, err); });
        std::fclose(full);
        EXPECT_EQ(outcome.status, 2) << args[0];
        EXPECT_EQ(outcome.err, "kestrix: Cannot write to standard output: No space left on device\n");
    }

    // A message, not a frozen program.
    const std::string fifo = Path("pipe.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(
        RunKestrix({"--check", fifo}),
        (test::Printed{2, "", "kestrix: Cannot open \"" + fifo + "\": no program is writing to the FIFO\n"}));
    std::thread writer([&fifo] { test::WriteFile(fifo, "A\r\n"); });
    EXPECT_EQ(RunKestrix({"--check", fifo}).status, 1) << "a FIFO with a writer is read";
    writer.join();
}
