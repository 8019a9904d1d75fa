// Saves onto scripted failures and onto real links, FIFOs, devices, hard
// links and files of other users.
#include "handling_file/file_read.h"
#include "handling_file/file_save.h"
#include "scripted_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace kestrix;
namespace fs = std::filesystem;

namespace {

using test::ScriptedFiles;
using test::WriteFile;

std::string Saved(const std::string& path) {
    return ReadFileBytes(path).bytes;
}

constexpr uid_t kNobody = 65534;

struct stat StatusOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

// Gives path to the unprivileged user the children below run as.
void GiveToNobody(const std::string& path) {
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
}

} // namespace

using FileIo = test::TempFolderTest;

TEST_F(FileIo, ASaveKeepsThePreviousFileAsTheBackup) {
    const std::string path = Path("Handling.cfg");
    WriteFile(path, "old");
    ScriptedFiles files;
    EXPECT_EQ(ReplaceFileContents(path, std::string("new\0bytes", 9), {.files = &files}), "");
    EXPECT_EQ(Saved(path), std::string("new\0bytes", 9));
    EXPECT_EQ(Saved(path + ".bak"), "old");
    EXPECT_EQ(EntryCount(), 2u) << "no temporary file is left";
    // Flushed before it replaces anything, and the folder flushed after.
    EXPECT_EQ(files.calls, (std::vector<std::string>{"create", "sync", "link", "rename to Handling.cfg.bak",
                                                     "rename to Handling.cfg", "sync folder"}));

    EXPECT_EQ(ReplaceFileContents(path, "third", {.backup = BackupMode::Keep}), "");
    EXPECT_EQ(Saved(path + ".bak"), "old") << "a backup kept is left as it is";
    // Without hard links the backup is a copy, as private as the file.
    ::chmod(path.c_str(), 0600);
    files.linkError = EPERM;
    EXPECT_EQ(ReplaceFileContents(path, "fourth", {.files = &files}), "");
    EXPECT_EQ(Saved(path), "fourth");
    EXPECT_EQ(Saved(path + ".bak"), "third") << "each save replaces the backup";
    EXPECT_EQ(StatusOf(path + ".bak").st_mode & 0777, 0600u);
    EXPECT_EQ(EntryCount(), 2u);
}

// Each failure names the path and the reason, and leaves the file and its
// backup byte for byte and no temporary file.
TEST_F(FileIo, AFailedSaveLosesNothingAndLeavesNothingBehind) {
    const std::string missing = Path("no-such-folder/Handling.cfg");
    EXPECT_EQ(ReadFileBytes(missing).error, "Cannot open \"" + missing + "\": No such file or directory");
    EXPECT_EQ(ReplaceFileContents(missing, "x"),
              "Cannot save \"" + missing + "\": No such file or directory");
    EXPECT_EQ(ReadFileBytes(folder.string()).error,
              "Cannot open \"" + folder.string() + "\": Is a directory");

    const std::string path = Path("Handling.cfg");
    const std::string original("old\r\n\0\xff", 7);
    WriteFile(path, original);
    WriteFile(path + ".bak", "older");
    const auto expectUntouched = [&](const ScriptedFiles& files, std::string_view bytes,
                                     const std::string& reason) {
        ScriptedFiles scripted = files;
        EXPECT_EQ(ReplaceFileContents(path, bytes, {.files = &scripted}),
                  "Cannot save \"" + path + "\": " + reason);
        EXPECT_EQ(Saved(path), original);
        EXPECT_EQ(Saved(path + ".bak"), "older");
        EXPECT_EQ(EntryCount(), 2u);
    };
    ScriptedFiles fullDisk;
    fullDisk.bytesBeforeWriteFails = 5;
    expectUntouched(fullDisk, "more than five bytes", "No space left on device");
    ScriptedFiles noTemporary;
    noTemporary.createError = EDQUOT;
    expectUntouched(noTemporary, "new", "Disk quota exceeded");
    ScriptedFiles noBackup;
    noBackup.linkError = EPERM;
    noBackup.readError = EIO;
    expectUntouched(noBackup, "new",
                    "cannot keep the previous file as \"" + path + ".bak\": Input/output error");
    ScriptedFiles unflushed;
    unflushed.syncFolderError = EINVAL;
    EXPECT_EQ(ReplaceFileContents(path, "new", {.files = &unflushed}), "")
        << "a folder that cannot be flushed at all is no failure";
    HandlingDocument doc;
    doc.Cars.resize(1);
    EXPECT_NE(ReplaceFileContents(path, "OTHER\r\n", {.readsBackAs = &doc}), "");
    EXPECT_EQ(Saved(path), "new") << "bytes that would not read back as the document are not written";

    // Where the folder takes no new file, or other hard links must see the
    // save, the file is written over; a write that fails puts the old bytes back.
    ASSERT_EQ(::link(path.c_str(), Path("other.cfg").c_str()), 0);
    ScriptedFiles inPlace;
    inPlace.bytesBeforeWriteFails = 3 + 5;
    EXPECT_EQ(ReplaceFileContents(path, "the new contents are longer", {.files = &inPlace}),
              "Cannot save \"" + path + "\": No space left on device; the file was left as it was");
    EXPECT_EQ(Saved(path), "new");
    EXPECT_EQ(Saved(path + ".bak"), "new");
}

// Two saves of one file at once: the second ends while the first is between
// linking the backup and renaming it.
TEST_F(FileIo, RacingSavesLeaveNoTemporaryName) {
    const std::string path = Path("Handling.cfg");
    WriteFile(path, "old");
    ScriptedFiles first;
    first.afterLink = [&] { EXPECT_EQ(ReplaceFileContents(path, "second"), ""); };
    EXPECT_EQ(ReplaceFileContents(path, "first", {.files = &first}), "");
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

// A FIFO can be opened only once per writer: a second open would wait for
// ever. Without a writer, a message instead of a frozen program.
TEST_F(FileIo, AFifoIsReadFromOneOpen) {
    const std::string fifo = Path("pipe.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadHandlingFile(fifo).error,
              "Cannot open \"" + fifo + "\": no program is writing to the FIFO");
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

using Save = test::TempFolderTest;

TEST_F(Save, ThroughALinkTheTargetIsSavedAndTheLinkStays) {
    fs::create_directories(folder / "data");
    fs::create_directories(folder / "links");
    const std::string target = Path("data/Handling.cfg");
    WriteFile(target, "old");
    fs::create_symlink("../data/Handling.cfg", folder / "links/relative.cfg");
    fs::create_symlink(folder / "links/relative.cfg", folder / "links/chain.cfg");

    EXPECT_EQ(ReplaceFileContents(Path("links/chain.cfg"), "new"), "");
    EXPECT_TRUE(fs::is_symlink(folder / "links/chain.cfg"));
    EXPECT_TRUE(fs::is_symlink(folder / "links/relative.cfg"));
    EXPECT_EQ(Saved(target), "new");
    EXPECT_TRUE(S_ISREG(StatusOf(target + ".bak").st_mode)) << "the backup is a file beside the target";
    EXPECT_EQ(Saved(target + ".bak"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "links"), fs::directory_iterator()), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "data"), fs::directory_iterator()), 2);

    fs::create_symlink("data/New.cfg", folder / "dangling.cfg");
    EXPECT_EQ(ReplaceFileContents(Path("dangling.cfg"), "first"), "");
    EXPECT_TRUE(fs::is_symlink(folder / "dangling.cfg"));
    EXPECT_EQ(Saved(Path("data/New.cfg")), "first") << "a link to nothing yet makes its target";

    fs::create_symlink("loop.cfg", folder / "loop.cfg");
    EXPECT_EQ(ReplaceFileContents(Path("loop.cfg"), "x"),
              "Cannot save \"" + Path("loop.cfg") + "\": Too many levels of symbolic links");

    // One file by any of its names; a file that is not there only by the same text.
    EXPECT_TRUE(SameFile(Path("links/chain.cfg"), target));
    EXPECT_TRUE(SameFile(Path("links/../data/./Handling.cfg"), target));
    EXPECT_FALSE(SameFile(Path("data/New.cfg"), target));
    EXPECT_TRUE(SameFile(Path("none.cfg"), Path("none.cfg")));
    EXPECT_FALSE(SameFile(Path("none.cfg"), Path("./none.cfg")));
}

// A FIFO or a device is written into, never replaced by a file, and gets no backup.
TEST_F(Save, FifosAndDevicesAreWrittenIntoAndFoldersRefused) {
    const std::string fifo = Path("pipe.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReplaceFileContents(fifo, "nobody reads"),
              "Cannot save \"" + fifo + "\": no program is reading from the FIFO");
    std::string received;
    std::thread reader([&] { received = Saved(fifo); });
    // The reader may not have opened its end yet: the save is refused until then.
    std::string message;
    for (int attempt = 0; attempt < 500; ++attempt) {
        message = ReplaceFileContents(fifo, "through the pipe");
        if (message.empty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    reader.join();
    EXPECT_EQ(message, "");
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(S_ISFIFO(StatusOf(fifo).st_mode));

    fs::create_symlink("/dev/null", folder / "null.cfg");
    EXPECT_EQ(ReplaceFileContents(Path("null.cfg"), "gone"), "");
    EXPECT_TRUE(fs::is_symlink(folder / "null.cfg"));
    EXPECT_TRUE(S_ISCHR(StatusOf("/dev/null").st_mode));
    fs::create_symlink("/dev/full", folder / "full.cfg");
    EXPECT_EQ(ReplaceFileContents(Path("full.cfg"), "more"),
              "Cannot save \"" + Path("full.cfg") + "\": No space left on device");
    EXPECT_EQ(EntryCount(), 3u) << "no backup and no temporary file";

    fs::create_directories(folder / "folder.cfg/inside");
    EXPECT_EQ(ReplaceFileContents(Path("folder.cfg"), "bytes"),
              "Cannot save \"" + Path("folder.cfg") + "\": Is a directory");
    EXPECT_TRUE(fs::is_directory(folder / "folder.cfg/inside"));
    EXPECT_EQ(EntryCount(), 4u);
}

TEST_F(Save, KeepsModeOwnerAndEveryHardLink) {
    const std::string path = Write("Handling.cfg", "old");
    ::chmod(path.c_str(), 0640);
    GiveToNobody(path);
    const struct stat before = StatusOf(path);
    EXPECT_EQ(ReplaceFileContents(path, "new"), "");
    const struct stat after = StatusOf(path);
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced at once";
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);

    // Every name of a file with hard links sees the save; the backup is a copy.
    const std::string other = Path("Other name.cfg");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    EXPECT_EQ(ReplaceFileContents(path, "newer"), "");
    EXPECT_EQ(Saved(other), "newer");
    EXPECT_EQ(StatusOf(path).st_ino, StatusOf(other).st_ino);
    EXPECT_EQ(Saved(path + ".bak"), "new");
    EXPECT_EQ(StatusOf(path + ".bak").st_mode, before.st_mode);
    EXPECT_EQ(EntryCount(), 3u);
}

// A file the process may not write is refused; one in a folder it may not
// write is written in place, without the backup the folder would not take.
TEST_F(Save, ReadOnlyFilesAreRefusedAndLockedFoldersWrittenInPlace) {
    const std::string path = Write("Handling.cfg", "old and longer");
    ScriptedFiles readOnly;
    readOnly.openWriteError = EACCES;
    EXPECT_EQ(ReplaceFileContents(path, "new", {.files = &readOnly}),
              "Cannot save \"" + path + "\": Permission denied");
    EXPECT_EQ(Saved(path), "old and longer");

    ScriptedFiles lockedFolder;
    lockedFolder.createError = EACCES;
    const ino_t inode = StatusOf(path).st_ino;
    EXPECT_EQ(ReplaceFileContents(path, "new", {.files = &lockedFolder}), "");
    EXPECT_EQ(Saved(path), "new");
    EXPECT_EQ(StatusOf(path).st_ino, inode);
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(Save, LeavesNoTemporaryNamesBehind) {
    // A backup that is already a hard link to the file.
    const std::string path = Write("Handling.cfg", "old");
    ASSERT_EQ(::link(path.c_str(), (path + ".bak").c_str()), 0);
    EXPECT_EQ(ReplaceFileContents(path, "new"), "");
    EXPECT_EQ(Saved(path), "new");
    EXPECT_EQ(Saved(path + ".bak"), "old");
    EXPECT_EQ(EntryCount(), 2u);

    // Leftovers of a killed save go; those of a running one, and names that
    // are not quite ours, stay.
    const std::vector<std::string> dead = {".Handling.cfg.Ab12Cd", ".Handling.cfg.Ab12Cd.bak",
                                           ".Handling.cfg.zz99ZZ.bak"};
    const std::vector<std::string> kept = {".Handling.cfg.Live00", ".Handling.cfg.Live00.bak",
                                           ".Handling.cfg.Ab12C",  ".Handling.cfg.Ab12Cd.tmp",
                                           ".Handling.cfg.Ab-2Cd", ".Other.cfg.Ab12Cd"};
    for (const std::string& name : dead)
        Write(name, "x");
    for (const std::string& name : kept)
        Write(name, "x");
    const int live = ::open(Path(kept[0]).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    EXPECT_EQ(ReplaceFileContents(path, "newer"), "");
    ::close(live);
    for (const std::string& name : dead)
        EXPECT_FALSE(fs::exists(Path(name))) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(Path(name))) << name;
}

TEST_F(Save, LongNamesGetShortenedTemporaryAndBackupNames) {
    // 253 bytes; the backup's name is cut before the last whole character that fits.
    std::string name = "xx";
    for (int i = 0; i < 125; ++i)
        name += "\xc3\xa9";
    name += "x";
    const std::string path = Write(name, "old");
    EXPECT_EQ(ReplaceFileContents(path, "new"), "");
    EXPECT_EQ(ReplaceFileContents(path, "newer"), "");
    EXPECT_EQ(Saved(path), "newer");
    const std::string backup = Path(name.substr(0, 250) + ".bak");
    EXPECT_EQ(BackupPathFor(path), backup);
    EXPECT_EQ(Saved(backup), "new");
    EXPECT_EQ(EntryCount(), 2u);
}
