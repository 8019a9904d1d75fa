#include "handling_file/file_io.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
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
    std::function<void()> afterLink;  // runs once, right after the next link
    std::function<void()> beforeRead; // runs once, before the next read

    int CreateUnique(std::string& pattern, int& fd) override {
        calls.push_back("create");
        return createError ? createError : PosixFileOperations::CreateUnique(pattern, fd);
    }
    int Write(int fd, std::string_view bytes, std::size_t& written) override {
        if (bytesBeforeWriteFails == 0) {
            bytesBeforeWriteFails = std::string::npos; // the disk has room again
            return ENOSPC;
        }
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
        const int error = linkError ? linkError : PosixFileOperations::Link(from, to);
        if (afterLink)
            std::exchange(afterLink, nullptr)();
        return error;
    }
    int Read(int fd, char* buffer, std::size_t size, std::size_t& got) override {
        if (beforeRead)
            std::exchange(beforeRead, nullptr)();
        return PosixFileOperations::Read(fd, buffer, size, got);
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

TEST_F(FileIo, ASaveKeepsThePreviousFileAsTheBackup) {
    const std::string path = Path("Handling.cfg");
    WriteFile(path, "old");
    ScriptedFiles files;
    EXPECT_EQ(ReplaceFileContents(path, std::string("new\0bytes", 9), files), "");
    EXPECT_EQ(Saved(path), std::string("new\0bytes", 9));
    EXPECT_EQ(Saved(path + ".bak"), "old");
    EXPECT_EQ(EntryCount(), 2u) << "no temporary file is left";
    // Flushed before it replaces anything, and the folder flushed after.
    EXPECT_EQ(files.calls, (std::vector<std::string>{"create", "sync", "link", "rename to Handling.cfg.bak",
                                                     "rename to Handling.cfg", "sync folder"}));

    EXPECT_EQ(ReplaceFileContents(path, "third"), "");
    EXPECT_EQ(Saved(path + ".bak"), std::string("new\0bytes", 9)) << "each save replaces the backup";

    // Without hard links the backup is a copy, as private as the file.
    ::chmod(path.c_str(), 0600);
    files.linkError = EPERM;
    EXPECT_EQ(ReplaceFileContents(path, "fourth", files), "");
    EXPECT_EQ(Saved(path), "fourth");
    EXPECT_EQ(Saved(path + ".bak"), "third");
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
    noTemporary.createError = EDQUOT;
    expectUntouched(ReplaceFileContents(path, "new", noTemporary),
                    "Cannot save \"" + path + "\": Disk quota exceeded");

    ScriptedFiles noBackup;
    noBackup.linkError = EPERM;
    noBackup.readError = EIO;
    expectUntouched(ReplaceFileContents(path, "new", noBackup),
                    "Cannot save \"" + path + "\": cannot keep the previous file as \"" + path +
                        ".bak\": Input/output error");
}

// Where the folder takes no new file, or other hard links must see the
// save, the file is written over; a write that fails puts the old bytes back.
TEST_F(FileIo, AFailedWriteInPlacePutsThePreviousContentsBack) {
    const std::string path = Path("Handling.cfg");
    WriteFile(path, "old contents");
    ASSERT_EQ(::link(path.c_str(), Path("other.cfg").c_str()), 0);
    ScriptedFiles fullDisk;
    fullDisk.bytesBeforeWriteFails = std::string("old contents").size() + 5;
    EXPECT_EQ(ReplaceFileContents(path, "the new contents are longer", fullDisk),
              "Cannot save \"" + path + "\": No space left on device; the file was left as it was");
    EXPECT_EQ(Saved(path), "old contents");
    EXPECT_EQ(Saved(path + ".bak"), "old contents");
}

// Two saves of one file at once: the second ends while the first is between
// linking the backup and renaming it.
TEST_F(FileIo, RacingSavesLeaveNoTemporaryName) {
    const std::string path = Path("Handling.cfg");
    WriteFile(path, "old");
    ScriptedFiles first;
    first.afterLink = [&] { EXPECT_EQ(ReplaceFileContents(path, "second"), ""); };
    EXPECT_EQ(ReplaceFileContents(path, "first", first), "");
    EXPECT_EQ(Saved(path), "first");
    EXPECT_EQ(Saved(path + ".bak"), "old");
    EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(FileIo, ReadingRefusesFilesThatChangeOrNeverEnd) {
    const std::string path = Path("Handling.cfg");
    WriteFile(path, std::string(100000, 'x'));
    ScriptedFiles shrinking;
    shrinking.beforeRead = [&] { ASSERT_EQ(::truncate(path.c_str(), 10), 0); };
    EXPECT_EQ(ReadHandlingFile(path, shrinking).error,
              "Cannot read \"" + path + "\": the file changed size while it was read");

    const std::string tooLarge = "the file is larger than 64 MiB, far more than a handling file holds";
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kMaxFileBytes) + 1), 0);
    EXPECT_EQ(ReadHandlingFile(path).error, "Cannot read \"" + path + "\": " + tooLarge);
    EXPECT_EQ(ReadHandlingFile("/dev/zero").error, "Cannot read \"/dev/zero\": " + tooLarge);
    EXPECT_EQ(ParseHandlingText(std::string(kMaxFileBytes + 1, '\n')).error, tooLarge);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kMaxFileBytes)), 0);
    EXPECT_EQ(ReadFileBytes(path).bytes.size(), kMaxFileBytes) << "the limit itself is taken";
}

// A FIFO can be opened only once per writer: a second open would wait for ever.
TEST_F(FileIo, AFifoIsReadFromOneOpen) {
    const std::string fifo = Path("pipe.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<bool> done = false;
    std::thread writer([&] {
        std::ofstream(fifo, std::ios::binary) << "CAR_A 1\r\nCAR_B 2\r\n";
        // Frees a reader stuck in a second open, so that the fault fails the test instead of hanging it.
        for (int wait = 0; wait < 200 && !done; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!done)
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    });
    const HandlingFileRead read = ReadHandlingFile(fifo);
    done = true;
    writer.join();
    EXPECT_EQ(read.error, "");
    ASSERT_EQ(read.file.Cars.size(), 2u);
    EXPECT_EQ(read.file.Cars[1][0], "CAR_B");
}

// A file is read through a small buffer: lines of every ending, and lines
// longer than the buffer, read as they do from the whole text.
TEST_F(FileIo, ReadingPieceByPieceGivesWhatTheWholeTextGives) {
    std::string text = "\xEF\xBB\xBF;-# File Author : pieces\r\n; before\r\n"; // with a byte-order mark
    const char* ends[] = {"\r\n", "\n", "\r", "\n\r", "\r\r\n", "\n\n"};
    for (int car = 0; text.size() < 600000; ++car) {
        text += "CAR_" + std::to_string(car) + " " + std::string(static_cast<std::size_t>(car % 97), '7');
        text += car % 1000 == 999 ? " " + std::string(200000, 'L') : " 1.5";
        text += ends[car % 6];
        if (car % 50 == 0)
            text += "; comment " + std::to_string(car) + ends[(car / 50) % 6];
    }
    text += "LAST 1"; // no line end
    const std::string path = Path("Handling.cfg");
    WriteFile(path, text);
    const HandlingFileRead read = ReadHandlingFile(path);
    const ParseResult whole = ParseHandlingText(text);
    ASSERT_EQ(read.error, "");
    ASSERT_EQ(whole.error, "");
    EXPECT_TRUE(read.file.Cars == whole.file.Cars);
    EXPECT_EQ(read.file.BeforeComments, whole.file.BeforeComments);
    EXPECT_EQ(read.file.AfterComments, whole.file.AfterComments);
    EXPECT_EQ(read.file.Author, whole.file.Author);
    EXPECT_EQ(read.file.Author, "pieces");

    std::string crOnly;
    for (int car = 0; car < 20000; ++car)
        crOnly += "CR_ONLY_" + std::to_string(car) + " 1 2 3\r";
    WriteFile(path, crOnly);
    EXPECT_EQ(ReadHandlingFile(path).file.Cars.size(), 20000u);
}
