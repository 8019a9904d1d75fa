#include "handling_file/file_io.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace kestrix;
namespace fs = std::filesystem;

namespace {

using test::WriteFile;

std::string Saved(const std::string& path) {
    return ReadFileBytes(path).bytes;
}

mode_t PermissionsOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

// The real calls, except those a test makes fail; records what it was asked.
class ScriptedFiles : public PosixFileOperations {
  public:
    int createError = 0;
    std::size_t bytesBeforeWriteFails = std::string::npos;
    int linkError = 0;
    int readError = 0;
    std::vector<std::string> calls;

    int CreateUnique(std::string& pattern, int& fd) override {
        calls.push_back("create");
        return createError ? createError : PosixFileOperations::CreateUnique(pattern, fd);
    }
    int Write(int fd, std::string_view bytes, std::size_t& written) override {
        if (bytesBeforeWriteFails == 0)
            return ENOSPC;
        // Short writes, as a nearly full disk gives them.
        const std::size_t room = std::min({bytes.size(), bytesBeforeWriteFails, std::size_t{3}});
        if (bytesBeforeWriteFails != std::string::npos)
            bytesBeforeWriteFails -= room;
        return PosixFileOperations::Write(fd, bytes.substr(0, room), written);
    }
    int Sync(int fd) override {
        calls.push_back("sync");
        return PosixFileOperations::Sync(fd);
    }
    int Link(const std::string& from, const std::string& to) override {
        calls.push_back("link");
        return linkError ? linkError : PosixFileOperations::Link(from, to);
    }
    int ReadAll(const std::string& path, std::string& bytes) override {
        return readError ? readError : PosixFileOperations::ReadAll(path, bytes);
    }
    int Rename(const std::string& from, const std::string& to) override {
        calls.push_back("rename to " + fs::path(to).filename().string());
        return PosixFileOperations::Rename(from, to);
    }
    int SyncFolder(const std::string& folder) override {
        calls.push_back("sync folder");
        return PosixFileOperations::SyncFolder(folder);
    }
};

} // namespace

using FileIo = test::TempFolderTest;

TEST_F(FileIo, ASaveKeepsThePreviousFileAsTheBackupAndItsMode) {
    const std::string path = Path("Handling.cfg");
    WriteFile(path, "old");
    ::chmod(path.c_str(), 0640);
    ScriptedFiles files;
    EXPECT_EQ(ReplaceFileContents(path, std::string("new\0bytes", 9), files), "");
    EXPECT_EQ(Saved(path), std::string("new\0bytes", 9));
    EXPECT_EQ(PermissionsOf(path), 0640u);
    EXPECT_EQ(Saved(path + ".bak"), "old");
    EXPECT_EQ(EntryCount(), 2u) << "no temporary file is left";
    // Flushed before it replaces anything, and the folder flushed after.
    EXPECT_EQ(files.calls, (std::vector<std::string>{"create", "sync", "link", "rename to Handling.cfg.bak",
                                                     "rename to Handling.cfg", "sync folder"}));

    EXPECT_EQ(ReplaceFileContents(path, "third"), "");
    EXPECT_EQ(Saved(path + ".bak"), std::string("new\0bytes", 9)) << "each save replaces the backup";
    EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(FileIo, WithoutHardLinksTheBackupIsACopyAsPrivateAsTheFile) {
    const std::string path = Path("Handling.cfg");
    WriteFile(path, "old");
    ::chmod(path.c_str(), 0600);
    ScriptedFiles files;
    files.linkError = EPERM;
    EXPECT_EQ(ReplaceFileContents(path, "new", files), "");
    EXPECT_EQ(Saved(path), "new");
    EXPECT_EQ(Saved(path + ".bak"), "old");
    EXPECT_EQ(PermissionsOf(path + ".bak"), 0600u);
    EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(FileIo, FailuresNameThePathAndTheReason) {
    const std::string missing = Path("no-such-folder/Handling.cfg");
    EXPECT_EQ(ReadFileBytes(missing).error, "Cannot open \"" + missing + "\": No such file or directory");
    EXPECT_EQ(ReplaceFileContents(missing, "x"),
              "Cannot save \"" + missing + "\": No such file or directory");
    EXPECT_EQ(EntryCount(), 0u);
    EXPECT_EQ(ReadFileBytes(folder.string()).error,
              "Cannot open \"" + folder.string() + "\": Is a directory");

    const std::string wide = Path("wide.cfg");
    std::string line;
    for (int i = 0; i < 33; ++i)
        line += "v ";
    WriteFile(wide, line);
    EXPECT_EQ(ReadHandlingFile(wide).error,
              "Cannot read \"" + wide + "\": line 1 has 33 values; a car line holds at most 32");
}

// Each failure leaves the file and its backup byte for byte and no temporary file.
TEST_F(FileIo, AFailedSaveLosesNothingAndLeavesNothingBehind) {
    const std::string path = Path("Handling.cfg");
    const std::string original("old\r\n\0\xff", 7);
    const auto expectUntouched = [&](const std::string& message, const std::string& expected) {
        EXPECT_EQ(message, expected);
        EXPECT_EQ(Saved(path), original);
        EXPECT_EQ(Saved(path + ".bak"), "older");
        EXPECT_EQ(EntryCount(), 2u);
    };
    WriteFile(path, original);
    WriteFile(path + ".bak", "older");

    ScriptedFiles fullDisk;
    fullDisk.bytesBeforeWriteFails = 5;
    expectUntouched(ReplaceFileContents(path, "more than five bytes", fullDisk),
                    "Cannot save \"" + path + "\": No space left on device");

    ScriptedFiles noTemporary;
    noTemporary.createError = EACCES;
    expectUntouched(ReplaceFileContents(path, "new", noTemporary),
                    "Cannot save \"" + path + "\": Permission denied");

    ScriptedFiles noBackup;
    noBackup.linkError = EPERM;
    noBackup.readError = EIO;
    expectUntouched(ReplaceFileContents(path, "new", noBackup),
                    "Cannot save \"" + path + "\": cannot keep the previous file as \"" + path +
                        ".bak\": Input/output error");
}

TEST_F(FileIo, ASaveOverAFolderFailsAfterWritingAndCleansUp) {
    const std::string path = Path("Handling.cfg");
    fs::create_directories(path + "/inside");
    EXPECT_EQ(ReplaceFileContents(path, "bytes"), "Cannot save \"" + path + "\": Is a directory");
    EXPECT_EQ(EntryCount(), 1u);
    EXPECT_TRUE(fs::is_directory(path + "/inside"));
}
