#include "app/posix_processes.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(PosixProcessRunner, RunsAProgramInItsFolderAndKeepsBothOutputsAndItsStatus) {
    PosixProcessRunner runner;
    // More than a pipe holds on each output at once: neither may stop the other.
    const platform::ProcessRun run = runner.Run(
        {"sh", "-c", "pwd; head -c 300000 /dev/zero; head -c 200000 /dev/zero >&2; exit 3"}, "/tmp");
    EXPECT_EQ(run.failure, "");
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.output.starts_with("/tmp\n"));
    EXPECT_EQ(run.output.size(), 5u + 300000u);
    EXPECT_EQ(run.errors.size(), 200000u);

    EXPECT_EQ(runner.Run({"kestrix-no-such-program"}, "/tmp").failure,
              "Cannot run kestrix-no-such-program: No such file or directory");
    EXPECT_EQ(runner.Run({"true"}, "/no/such/folder").failure,
              "Cannot run true in \"/no/such/folder\": No such file or directory");
}
