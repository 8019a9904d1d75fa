#include "handling_file/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrix;
namespace fs = std::filesystem;

namespace {

class TempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() / ("kestrix-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder);
    }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    std::size_t EntryCount() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
    fs::path folder;
};

void WriteRaw(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

using FileIo = TempFolder;

TEST_F(FileIo, ReplacesContentsAndKeepsTheMode) {
    const std::string path = Path("Handling.cfg");
    WriteRaw(path, "old");
    ::chmod(path.c_str(), 0640);
    EXPECT_EQ(ReplaceFileContents(path, std::string("new\0bytes", 9)), "");
    EXPECT_EQ(ReadFileBytes(path).bytes, std::string("new\0bytes", 9));
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file is left";
}

TEST_F(FileIo, FailuresNameThePathAndTheReason) {
    const std::string missing = Path("no-such-folder/Handling.cfg");
    EXPECT_EQ(ReadFileBytes(missing).error, "Cannot open \"" + missing + "\": No such file or directory");
    EXPECT_EQ(ReplaceFileContents(missing, "x"),
              "Cannot save \"" + missing + "\": No such file or directory");
    EXPECT_EQ(ReadFileBytes(folder.string()).error,
              "Cannot open \"" + folder.string() + "\": Is a directory");

    const std::string wide = Path("wide.cfg");
    std::string line;
    for (int i = 0; i < 33; ++i)
        line += "v ";
    WriteRaw(wide, line);
    EXPECT_EQ(ReadHandlingFile(wide).error,
              "Cannot read \"" + wide + "\": line 1 has 33 values; a car line holds at most 32");
}

TEST_F(FileIo, AFailedSaveLeavesNoTemporaryFileBehind) {
    // Renaming over a folder fails after the temporary file was written.
    const std::string path = Path("Handling.cfg");
    fs::create_directories(path + "/inside");
    EXPECT_EQ(ReplaceFileContents(path, "bytes"), "Cannot save \"" + path + "\": Is a directory");
    EXPECT_EQ(EntryCount(), 1u);
    EXPECT_TRUE(fs::is_directory(path + "/inside"));
}
