#include "app/command_line.h"

#include "handling_file/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace kestrix;

namespace {

struct Outcome {
    std::optional<int> status;
    std::string out;
    std::string err;
};

std::string Drain(std::FILE* stream) {
    std::rewind(stream);
    std::string text;
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, stream))
        text.append(buffer, got);
    std::fclose(stream);
    return text;
}

Outcome RunKestrix(std::vector<std::string> args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome outcome;
    outcome.status = RunCommandLineMode(args, out, err);
    outcome.out = Drain(out);
    outcome.err = Drain(err);
    return outcome;
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
}

TEST(CommandLine, VersionHelpAndTheEditor) {
    EXPECT_EQ(RunKestrix({"--version"}).out, "Kestrix 1.0\n");
    EXPECT_NE(RunKestrix({"--help"}).out.find("--check FILE"), std::string::npos);
    EXPECT_EQ(RunKestrix({}).status, std::nullopt);
    EXPECT_EQ(RunKestrix({"Handling.cfg"}).status, std::nullopt);
}
