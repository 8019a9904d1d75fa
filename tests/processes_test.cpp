#include "temp_folder.h"
#ifdef _WIN32
#include "app/win32_processes.h"
#else
#include "app/posix_processes.h"
#endif

#include <cstdlib>

using namespace kestrix;

namespace {

// The child program's folder first on the search path, so that it is found by its name alone.
#ifdef _WIN32
using SystemProcessRunner = Win32ProcessRunner;
void SearchFirst(const std::filesystem::path& folder) {
    const wchar_t* path = ::_wgetenv(L"PATH");
    ::_wputenv_s(L"PATH", (folder.wstring() + L";" + (path ? path : L"")).c_str());
}
#else
using SystemProcessRunner = PosixProcessRunner;
void SearchFirst(const std::filesystem::path& folder) {
    const char* path = std::getenv("PATH");
    ::setenv("PATH", (folder.string() + ":" + (path ? path : "")).c_str(), 1);
}
#endif

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

using ProcessRunnerTest = test::TempFolderTest;

TEST_F(ProcessRunnerTest, RunsAProgramByNameInItsFolderAndKeepsItsArgumentsOutputsAndStatus) {
    const std::filesystem::path child = std::filesystem::absolute(KESTRIX_CHILD_PROGRAM);
    SearchFirst(child.parent_path());
    const std::filesystem::path where = folder / u8"Z\u00fcrich run";
    std::filesystem::create_directory(where);
    // What a command line could split, join or change: blanks, tabs, line ends, quotes, backslashes
    // before a quote or at the end, nothing at all, and names beyond ASCII.
    const std::vector<std::string> args{"plain",       "",
                                        "two  blanks", "\t",
                                        "two\nlines",  "say \"hi\"",
                                        "a\\\\\"b\\c", "ends in\\",
                                        "\\\\",        "Z\xc3\xbcrich \xf0\x9f\x9a\x97"};
    std::vector<std::string> command{child.stem().string()};
    command.insert(command.end(), args.begin(), args.end());
    SystemProcessRunner runner;
    const platform::ProcessRun run = runner.Run(command, Utf8(where));
    ASSERT_EQ(run.failure, "");
    EXPECT_EQ(run.status, static_cast<int>(args.size()));
    std::string echoed;
    for (const std::string& arg : args)
        echoed += "[" + arg + "]\n";
    EXPECT_TRUE(run.output == echoed + std::string(300000, 'o')) << run.output.substr(0, echoed.size() + 9);
    const std::size_t folderLine = run.errors.find('\n');
    ASSERT_NE(folderLine, std::string::npos);
    EXPECT_TRUE(std::filesystem::equivalent(
        std::u8string(run.errors.begin(), run.errors.begin() + folderLine), where));
    EXPECT_TRUE(run.errors.substr(folderLine) == "\n" + std::string(300000, 'e'));

    EXPECT_EQ(runner.Run({"kestrix-no-such-program"}, Utf8(where)).failure,
              "Cannot run kestrix-no-such-program: No such file or directory");
    const std::string missing = Utf8(where / "missing");
    EXPECT_EQ(runner.Run({command[0]}, missing).failure,
              "Cannot run " + command[0] + " in \"" + missing + "\": No such file or directory");
}
