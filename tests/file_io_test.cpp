#include "files/file_read.h"
#include "files/file_save.h"
#include "scripted_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kestrix;
namespace fs = std::filesystem;

namespace {

using test::ReadFile;
using test::ScriptedFiles;

#ifndef _WIN32
struct stat StatusOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}
#endif

// The file, its backup, and how many entries the folder holds.
using Left = std::tuple<std::string, std::string, std::size_t>;

class FileIo : public test::TempFolderTest {
  protected:
    Left LeftOf(const std::string& path) const {
        return {ReadFile(path), ReadFile(path + ".bak"), EntryCount()};
    }
};
using Save = FileIo;

} // namespace

TEST_F(FileIo, ASaveKeepsThePreviousFileAsTheBackupAndAFailedOneLosesNothingAndLeavesNothingBehind) {
    const std::string path = Write("Handling.cfg", "old");
    ScriptedFiles files;
    EXPECT_EQ(ReplaceFileContents(path, std::string("new\0bytes", 9), {.files = &files}), "");
    EXPECT_EQ(LeftOf(path), Left(std::string("new\0bytes", 9), "old", 2)) << "no temporary file is left";
    // Flushed before it replaces anything, and the folder flushed after.
    EXPECT_EQ(files.calls, (std::vector<std::string>{"create", "sync", "link", "rename to Handling.cfg.bak",
                                                     "rename to Handling.cfg", "sync folder"}));

    EXPECT_EQ(ReplaceFileContents(path, "third", {.backup = BackupMode::Keep}), "");
    EXPECT_EQ(ReadFile(path + ".bak"), "old") << "a backup kept is left as it is";
    // Without hard links the backup is a copy, as private as the file.
#ifndef _WIN32
    ::chmod(path.c_str(), 0600);
#endif
    files.linkError = EPERM;
    EXPECT_EQ(ReplaceFileContents(path, "fourth", {.files = &files}), "");
    EXPECT_EQ(LeftOf(path), Left("fourth", "third", 2)) << "each save replaces the backup";
#ifndef _WIN32
    EXPECT_EQ(StatusOf(path + ".bak").st_mode & 0777, 0600u);
#endif

    // A second save of the file ends while this one is between linking the backup and renaming it.
    ScriptedFiles first;
    first.afterLink = [&] { EXPECT_EQ(ReplaceFileContents(path, "second"), ""); };
    EXPECT_EQ(ReplaceFileContents(path, "first", {.files = &first}), "");
    EXPECT_EQ(LeftOf(path), Left("first", "fourth", 2));

    // Each failure names the path and the reason, and leaves the file and its
    // backup byte for byte and no temporary file.
    const std::string missing = Path("no-such-folder/Handling.cfg");
    EXPECT_EQ(ReadFileBytes(missing).error, "Cannot open \"" + missing + "\": No such file or directory");
    EXPECT_NE(ReplaceFileContents(missing, "x"), "");
    EXPECT_EQ(ReadFileBytes(folder.string()).error,
              "Cannot open \"" + folder.string() + "\": Is a directory");

    const std::string original("old\r\n\0\xff", 7);
    Write("Handling.cfg", original);
    Write("Handling.cfg.bak", "older");
    const auto expectUntouched = [&](ScriptedFiles& files, const std::string& reason) {
        EXPECT_EQ(ReplaceFileContents(path, "more than five bytes", {.files = &files}),
                  "Cannot save \"" + path + "\": " + reason);
        EXPECT_EQ(LeftOf(path), Left(original, "older", 2));
    };
    ScriptedFiles fullDisk, noTemporary, noBackup, unflushed;
    fullDisk.bytesBeforeWriteFails = 5;
    noTemporary.createError = EMFILE;
    noBackup.linkError = EPERM;
    noBackup.readError = EIO;
    expectUntouched(fullDisk, "No space left on device");
    expectUntouched(noTemporary, "Too many open files");
    expectUntouched(noBackup, "cannot keep the previous file as \"" + path + ".bak\": Input/output error");
    unflushed.syncFolderError = EINVAL;
    EXPECT_EQ(ReplaceFileContents(path, "new", {.files = &unflushed}), "")
        << "a folder that cannot be flushed at all is no failure";
    HandlingDocument doc;
    doc.Cars.resize(1);
    EXPECT_NE(ReplaceFileContents(path, "OTHER\r\n", {.readsBackAs = &doc}), "");
    EXPECT_EQ(ReadFile(path), "new") << "bytes that would not read back as the document are not written";

    // Where the folder takes no new file, or other hard links must see the
    // save, the file is written over; a write that fails puts the old bytes back.
    fs::create_hard_link(path, Path("other.cfg"));
    ScriptedFiles inPlace;
    inPlace.bytesBeforeWriteFails = 3 + 5;
    EXPECT_EQ(ReplaceFileContents(path, "the new contents are longer", {.files = &inPlace}),
              "Cannot save \"" + path + "\": No space left on device; the file was left as it was");
    EXPECT_EQ(LeftOf(path), Left("new", "new", 3));
}

TEST_F(FileIo, FilesThatChangeOrNeverEndAreRefusedAndFifosDevicesAndLinksReadOrWrittenThrough) {
#ifdef _WIN32
    GTEST_SKIP()
        << "Windows has no FIFOs or devices in folders, and symbolic links need rights a user seldom has";
#else
    const std::string path = Write("Handling.cfg", std::string(100000, 'x'));
    ScriptedFiles shrinking;
    shrinking.beforeRead = [&] { ASSERT_EQ(::truncate(path.c_str(), 10), 0); };
    EXPECT_NE(ReadHandlingFile(path, shrinking).error, "") << "the file changed size while it was read";

    const std::string tooLarge = "the file is larger than 64 MiB, far more than a handling file holds";
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kMaxFileBytes) + 1), 0);
    EXPECT_EQ(ReadHandlingFile(path).error, "Cannot read \"" + path + "\": " + tooLarge);
    EXPECT_EQ(ReadHandlingFile("/dev/zero").error, "Cannot read \"/dev/zero\": " + tooLarge);
    EXPECT_EQ(ParseHandlingText(std::string(kMaxFileBytes + 1, '\n')).error, tooLarge);
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kMaxFileBytes)), 0);
    EXPECT_EQ(ReadFileBytes(path).bytes.size(), kMaxFileBytes) << "the limit itself is taken";

    // A FIFO can be opened only once per writer: a second open would wait for
    // ever. Without a writer, a message instead of a frozen program.
    const std::string fifo = Path("pipe.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(ReadHandlingFile(fifo).error, "") << "no program is writing to the FIFO";
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
    // A save writes into a FIFO that a program reads, without a backup.
    EXPECT_NE(ReplaceFileContents(fifo, "nobody reads"), "") << "no program is reading from the FIFO";
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(ReplaceFileContents(fifo, "through the pipe"), "");
    char received[32] = {};
    EXPECT_EQ(::read(reader, received, sizeof received), 16);
    ::close(reader);
    EXPECT_STREQ(received, "through the pipe");
    EXPECT_TRUE(S_ISFIFO(StatusOf(fifo).st_mode));

    fs::remove(path);
    fs::create_directories(folder / "data");
    fs::create_directories(folder / "links");
    const std::string target = Write("data/Handling.cfg", "old");
    fs::create_symlink("../data/Handling.cfg", folder / "links/relative.cfg");
    fs::create_symlink(folder / "links/relative.cfg", folder / "links/chain.cfg");

    EXPECT_EQ(ReplaceFileContents(Path("links/chain.cfg"), "new"), "");
    EXPECT_TRUE(fs::is_symlink(folder / "links/chain.cfg") && fs::is_symlink(folder / "links/relative.cfg"));
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_TRUE(S_ISREG(StatusOf(target + ".bak").st_mode)) << "the backup is a file beside the target";
    EXPECT_EQ(ReadFile(target + ".bak"), "old");
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(folder), {}), 7)
        << "two folders, two links, two files and the FIFO";

    fs::create_symlink("data/New.cfg", folder / "dangling.cfg");
    EXPECT_EQ(ReplaceFileContents(Path("dangling.cfg"), "first"), "");
    EXPECT_TRUE(fs::is_symlink(folder / "dangling.cfg"));
    EXPECT_EQ(ReadFile(Path("data/New.cfg")), "first") << "a link to nothing yet makes its target";

    fs::create_symlink("loop.cfg", folder / "loop.cfg");
    EXPECT_NE(ReplaceFileContents(Path("loop.cfg"), "x"), "");

    // One file by any of its names; a file that is not there only by the same text.
    EXPECT_TRUE(SameFile(Path("links/chain.cfg"), target));
    EXPECT_TRUE(SameFile(Path("links/../data/./Handling.cfg"), target));
    EXPECT_FALSE(SameFile(Path("data/New.cfg"), target));
    EXPECT_TRUE(SameFile(Path("none.cfg"), Path("none.cfg")));
    EXPECT_FALSE(SameFile(Path("none.cfg"), Path("./none.cfg")));

    fs::create_symlink("/dev/null", folder / "null.cfg");
    EXPECT_EQ(ReplaceFileContents(Path("null.cfg"), "gone"), "");
    EXPECT_TRUE(fs::is_symlink(folder / "null.cfg"));
    EXPECT_TRUE(S_ISCHR(StatusOf("/dev/null").st_mode));
    fs::create_symlink("/dev/full", folder / "full.cfg");
    EXPECT_NE(ReplaceFileContents(Path("full.cfg"), "more"), "");
    EXPECT_EQ(EntryCount(), 7u) << "no backup and no temporary file beside the links";
#endif
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
    const HandlingFileRead read = ReadHandlingFile(Write("Handling.cfg", text + "LAST 1")); // no line end
    const ParseResult whole = ParseHandlingText(text + "LAST 1");
    ASSERT_EQ(read.error + whole.error, "");
    EXPECT_TRUE(read.file.Cars == whole.file.Cars);
    EXPECT_EQ(std::tie(read.file.BeforeComments, read.file.AfterComments, read.file.Author),
              std::tie(whole.file.BeforeComments, whole.file.AfterComments, whole.file.Author));
    EXPECT_EQ(read.file.Author, "pieces");

    // The layout taken piece by piece writes what the whole text's layout writes, changed or not.
    FileLayout pieces;
    HandlingDocument doc;
    ApplyToDocument(ReadHandlingFileKeepingLayout(Path("Handling.cfg"), pieces).file, doc);
    EXPECT_EQ(WriteKeepingLayout(pieces, doc), text + "LAST 1");
    for (std::size_t car = 0; car < doc.Cars.size(); car += 997)
        doc.Cars[car].Set(1, "12.25");
    EXPECT_EQ(WriteKeepingLayout(pieces, doc),
              WriteKeepingLayout(ReadKeepingLayout(text + "LAST 1").layout, doc));
}

TEST_F(Save, KeepsModeOwnerAndEveryHardLinkRefusesReadOnlyFilesAndLeavesNoTemporaryNamesBehind) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no modes or owners, nor flock, which stands in for a running save here, and "
                    "counts a name's length in UTF-16 units; the hard links, read-only files and held "
                    "temporary files are tested as Windows has them";
#else
    const std::string path = Write("Handling.cfg", "old");
    ::chmod(path.c_str(), 0640);
    // Given to the unprivileged user, where the test may.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    const struct stat before = StatusOf(path);
    EXPECT_EQ(ReplaceFileContents(path, "new"), "");
    const struct stat after = StatusOf(path);
    EXPECT_NE(after.st_ino, before.st_ino) << "replaced at once";
    EXPECT_EQ(std::tie(after.st_mode, after.st_uid, after.st_gid),
              std::tie(before.st_mode, before.st_uid, before.st_gid));

    // Every name of a file with hard links sees the save; the backup is a copy.
    const std::string other = Path("Other name.cfg");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    EXPECT_EQ(ReplaceFileContents(path, "newer"), "");
    EXPECT_EQ(ReadFile(other), "newer");
    EXPECT_EQ(LeftOf(path), Left("newer", "new", 3));
    EXPECT_EQ(StatusOf(path + ".bak").st_mode, before.st_mode);

    // A file the process may not write is refused.
    const std::string plain = Write("Plain.cfg", "old and longer");
    ScriptedFiles readOnly;
    readOnly.openWriteError = EACCES;
    EXPECT_NE(ReplaceFileContents(plain, "new", {.files = &readOnly}), "");
    EXPECT_EQ(ReadFile(plain), "old and longer");

    // A backup that is already a hard link to the file.
    fs::remove_all(folder);
    fs::create_directories(folder);
    Write("Handling.cfg", "old");
    ASSERT_EQ(::link(path.c_str(), (path + ".bak").c_str()), 0);
    EXPECT_EQ(ReplaceFileContents(path, "new"), "");
    EXPECT_EQ(LeftOf(path), Left("new", "old", 2));

    // Leftovers of a killed save go; those of a running one, and names that
    // are not quite ours, stay.
    const std::vector<std::string> dead = {".Handling.cfg.Ab12Cd", ".Handling.cfg.Ab12Cd.bak",
                                           ".Handling.cfg.zz99ZZ.bak"};
    const std::vector<std::string> kept = {".Handling.cfg.Live00", ".Handling.cfg.Live00.bak",
                                           ".Handling.cfg.Ab12C",  ".Handling.cfg.Ab12Cd.tmp",
                                           ".Handling.cfg.Ab-2Cd", ".Other.cfg.Ab12Cd"};
    for (const auto* names : {&dead, &kept})
        for (const std::string& name : *names)
            Write(name, "x");
    const int live = ::open(Path(kept[0]).c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    EXPECT_EQ(ReplaceFileContents(path, "newer"), "");
    ::close(live);
    for (const std::string& name : dead)
        EXPECT_FALSE(fs::exists(Path(name))) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(Path(name))) << name;

    // 253 bytes; the backup's name is cut before the last whole character that fits.
    std::string name = "xx";
    for (int i = 0; i < 125; ++i)
        name += "\xc3\xa9";
    const std::string longPath = Write(name + "x", "old");
    EXPECT_EQ(ReplaceFileContents(longPath, "new"), "");
    EXPECT_EQ(ReplaceFileContents(longPath, "newer"), "");
    const std::string backup = Path(name.substr(0, 250) + ".bak");
    EXPECT_EQ(BackupPathFor(longPath), backup);
    EXPECT_EQ(std::tuple(ReadFile(longPath), ReadFile(backup), EntryCount()),
              Left("newer", "new", 4 + kept.size()))
        << "each name's file and backup, and the names kept";
#endif
}
