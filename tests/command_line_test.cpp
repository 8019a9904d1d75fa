#include "app/command_line.h"
#include "captured_output.h"

#include "handling_file/file_io.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace kestrix;

namespace {

using Outcome = test::Printed;

Outcome RunKestrix(std::vector<std::string> args) {
    return test::Capture([&](std::FILE* out, std::FILE* err) { return RunCommandLineMode(args, out, err); });
}

const std::string kSample = std::string(KESTRIX_EXAMPLES) + "/Handling.cfg";

} // namespace

TEST(CommandLine, CheckListsTheSamplesDeliberateErrors) {
    const Outcome outcome = RunKestrix({"--check", kSample});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "#9\tJUNIPER\t0.3 is smaller than minimum value 0.5.\n"
                           "#1\tMARSHAL\t16OO is not a valid number.\n"
                           "#13\tZEPHYR_RACER\t400 is larger than maximum value 300.\n");
    EXPECT_EQ(outcome.err, "");
}

TEST(CommandLine, CheckAndResaveReportUnreadableFiles) {
    const Outcome missing = RunKestrix({"--check", "/no/such/Handling.cfg"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "kestrix: Cannot open \"/no/such/Handling.cfg\": No such file or directory\n");
    EXPECT_EQ(RunKestrix({"--resave", "/no/such/Handling.cfg", "/tmp/x.cfg"}).status, 2);
    EXPECT_EQ(RunKestrix({"--check"}).status, 2);
    EXPECT_EQ(RunKestrix({"--bogus"}).status, 2);
}

TEST(CommandLine, ResaveWritesWhatTheEditorSaves) {
    const std::string out =
        std::filesystem::temp_directory_path() / ("kestrix-resave-" + std::to_string(getpid()));
    ASSERT_EQ(RunKestrix({"--resave", kSample, out}).status, 0);
    const std::string saved = ReadFileBytes(out).bytes;
    std::filesystem::remove(out);
    EXPECT_TRUE(saved.starts_with(";-# File Created By Kestrix 1.0\r\n;-# www  : "));
    EXPECT_NE(saved.find("\r\n;-# File Author : Kestrix sample team\r\n; Kestrix 3 sample handling file\r\n"),
              std::string::npos);
    EXPECT_NE(saved.find("\r\nBRACKEN 1600 2.6 "), std::string::npos) << "alignment becomes single spaces";
    EXPECT_TRUE(
        saved.ends_with(" \r\n; --- the cars above came with the game; the cars below are additions ---"
                        "\r\n; end of the car list\r\n"));

    // Keeping the layout, an unchanged file comes back byte for byte; a file
    // the editor would refuse is refused alike.
    ASSERT_EQ(RunKestrix({"--resave", "--keep-layout", "--", kSample, out}).status, 0);
    EXPECT_EQ(ReadFileBytes(out).bytes, ReadFileBytes(kSample).bytes);
    std::filesystem::remove(out);
    const std::string wide = out + ".in";
    std::FILE* file = std::fopen(wide.c_str(), "wb");
    std::string line;
    for (int i = 0; i < 33; ++i)
        line += "a ";
    std::fputs(("; x\n" + line + "\n").c_str(), file);
    std::fclose(file);
    EXPECT_EQ(RunKestrix({"--resave", "--keep-layout", wide, out}), RunKestrix({"--resave", wide, out}));
    EXPECT_FALSE(std::filesystem::exists(out));
    std::filesystem::remove(wide);
}

TEST(CommandLine, VersionHelpAndTheEditor) {
    EXPECT_EQ(RunKestrix({"--version"}).out, "Kestrix 1.0\n");
    EXPECT_NE(RunKestrix({"--help"}).out.find("--check [--strict] [--] FILE"), std::string::npos);
    EXPECT_EQ(RunKestrix({}).status, std::nullopt);
    EXPECT_EQ(RunKestrix({"Handling.cfg"}).status, std::nullopt);
}

// "--" ends the options, so that files named like options can be checked and opened.
TEST(CommandLine, FilesThatLookLikeOptionsFollowTheDoubleDash) {
    const std::string folder =
        std::filesystem::temp_directory_path() / ("kestrix-dashes-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    for (const char* name : {"-x.cfg", "--x.cfg"})
        std::filesystem::copy_file(kSample, folder + "/" + name);
    EXPECT_EQ(RunKestrix({"--check", "--", "--x.cfg"}).status, 1);
    EXPECT_EQ(RunKestrix({"--check", "-x.cfg"}).status, 1) << "the file after --check is taken as it is";
    EXPECT_EQ(RunKestrix({"--resave", "--", "-x.cfg", "--x.cfg"}).status, 0);
    EXPECT_EQ(RunKestrix({"--check", "--", "--x.cfg"}).out, RunKestrix({"--check", kSample}).out);
    std::filesystem::current_path(before);
    std::filesystem::remove_all(folder);

    EXPECT_EQ(RunKestrix({"--", "--x.cfg"}).status, std::nullopt);
    EXPECT_EQ(ParseEditorArguments({"--", "--x.cfg"}).file, "--x.cfg");
    EXPECT_EQ(ParseEditorArguments({"-", "--"}).file, "-");
    EXPECT_FALSE(ParseEditorArguments({"-reverse"}).valid) << "never left for the window system to take";
    EXPECT_FALSE(ParseEditorArguments({"a.cfg", "b.cfg"}).valid);
    const Outcome option = RunKestrix({"-style", "x.cfg"});
    EXPECT_EQ(option.status, 2);
    EXPECT_TRUE(
        option.err.starts_with("kestrix: unknown option \"-style\"; a file whose name begins with \"-\" "
                               "follows \"--\"\n"))
        << option.err;
}

TEST(CommandLine, OutputThatCannotBeWrittenAndFilesThatNeverEnd) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--check", kSample}, {"--version"}}) {
        std::FILE* full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        const Outcome outcome =
            test::Capture([&](std::FILE*, std::FILE* err) { return RunCommandLineMode(args, full, err); });
        std::fclose(full);
        EXPECT_EQ(outcome.status, 2) << args[0];
        EXPECT_EQ(outcome.err, "kestrix: Cannot write to standard output: No space left on device\n");
    }

    // A FIFO that nothing writes to: a message, not a frozen program.
    const std::string fifo =
        std::filesystem::temp_directory_path() / ("kestrix-fifo-" + std::to_string(getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Outcome nothing = RunKestrix({"--check", fifo});
    EXPECT_EQ(nothing.err, "kestrix: Cannot open \"" + fifo + "\": no program is writing to the FIFO\n");
    EXPECT_EQ(nothing.status, 2);
    std::thread writer([&fifo] { test::WriteFile(fifo, "A\r\n"); });
    EXPECT_EQ(RunKestrix({"--check", fifo}).status, 1) << "a FIFO with a writer is read";
    writer.join();
    std::filesystem::remove(fifo);

    const Outcome endless = RunKestrix({"--check", "/dev/zero"});
    EXPECT_EQ(endless.status, 2);
    EXPECT_EQ(endless.err,
              "kestrix: Cannot read \"/dev/zero\": the file is larger than 64 MiB, far more than "
              "a handling file holds\n");
}
