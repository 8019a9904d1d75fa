// The save, the held temporary files and the names on Windows, through the
// real file system (under wine where the tests are built across). Windows'
// own OpenFile is why kestrix::OpenFile is named in full.
#include "files/file_read.h"
#include "files/file_save.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace kestrix;

namespace {

using WindowsFiles = test::TempFolderTest;

std::string Saved(const std::string& path) {
    return ReadFileBytes(path).bytes;
}

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesW(std::filesystem::path(path).c_str());
}

void AddAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(::SetFileAttributesW(std::filesystem::path(path).c_str(), Attributes(path) | attributes));
}

FileIdentity IdentityOf(const std::string& path) {
    FileStatus status;
    EXPECT_EQ(SystemFiles().Status(path, status), 0) << path;
    return status.identity;
}

} // namespace

TEST_F(WindowsFiles, ASaveReplacesTheFileAtOnceKeepingItsAttributesAndEveryHardLink) {
    const std::string path = Write("Handling.cfg", "old");
    AddAttributes(path, FILE_ATTRIBUTE_HIDDEN);
    const FileIdentity before = IdentityOf(path);
    EXPECT_EQ(ReplaceFileContents(path, "new"), "");
    EXPECT_NE(IdentityOf(path), before) << "replaced at once";
    EXPECT_TRUE(Attributes(path) & FILE_ATTRIBUTE_HIDDEN);

    // Every name of a file with hard links sees the save; the backup is a copy.
    const std::string other = Path("Other name.cfg");
    ASSERT_TRUE(::CreateHardLinkW(std::filesystem::path(other).c_str(), std::filesystem::path(path).c_str(),
                                  nullptr));
    EXPECT_EQ(ReplaceFileContents(path, "newer"), "");
    EXPECT_EQ(Saved(other), "newer");
    EXPECT_EQ(IdentityOf(path), IdentityOf(other));
    EXPECT_EQ(Saved(path + ".bak"), "new");
    EXPECT_EQ(EntryCount(), 3u);
}

// Nothing is written where the user did not ask: not over a read-only file,
// not into a device or a stream of another file.
TEST_F(WindowsFiles, ReadOnlyFilesAndNamesWindowsRefusesAreRefusedWithAMessage) {
    const std::string path = Write("Handling.cfg", "old");
    AddAttributes(path, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ReplaceFileContents(path, "new"), "Cannot save \"" + path + "\": Permission denied");
    EXPECT_EQ(Saved(path), "old");
    const std::string refusal = "Windows does not allow this name: a device such as CON or NUL, a \":\" or "
                                "another character it reserves, or a dot or blank at the end of a name";
    for (const std::string name : {"CON", "nul.cfg", "Handling.cfg:stream", "x.cfg.", "x.cfg "}) {
        EXPECT_EQ(ReplaceFileContents(Path(name), "new"), "Cannot save \"" + Path(name) + "\": " + refusal);
        EXPECT_EQ(ReadHandlingFile(Path(name)).error, "Cannot open \"" + Path(name) + "\": " + refusal);
    }
    EXPECT_EQ(EntryCount(), 1u);
    EXPECT_EQ(Saved(path), "old");
    ASSERT_TRUE(::SetFileAttributesW(std::filesystem::path(path).c_str(), FILE_ATTRIBUTE_NORMAL));
}

// Paths are UTF-8 in the program and wide for the system: any name the
// system takes is saved, read and listed as it was written.
TEST_F(WindowsFiles, NamesBeyondTheCodePageAreSavedReadAndListed) {
    // Joined here: a std::filesystem path takes narrow text in the old code page.
    const std::string name = "Z\xC3\xBCrich \xE2\x80\x93 \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x9A\x97.cfg";
    const std::string path = folder.string() + "\\" + name;
    EXPECT_EQ(ReplaceFileContents(path, "first"), "");
    EXPECT_EQ(ReplaceFileContents(path, "second"), "");
    EXPECT_EQ(Saved(path), "second");
    EXPECT_EQ(Saved(path + ".bak"), "first");
    std::vector<std::string> names;
    ASSERT_EQ(SystemFiles().ListFolder(folder.string(), names), 0);
    std::erase_if(names, [](const std::string& listed) { return listed == "." || listed == ".."; });
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{name, name + ".bak"}));
    const std::string notUtf8 = folder.string() + "\\\xFF.cfg";
    EXPECT_EQ(ReplaceFileContents(notUtf8, "x"), "Cannot save \"" + notUtf8 + "\": " + SystemReason(EILSEQ));
}

TEST_F(WindowsFiles, AHeldTemporaryFileIsNoLeftoverAndAFreedOneIs) {
    const std::string path = Write("Handling.cfg", "old");
    FileOperations& files = SystemFiles();
    std::string running = Path(".Handling.cfg.XXXXXX");
    kestrix::OpenFile held(files);
    ASSERT_EQ(files.CreateUnique(running, held.fd()), 0);
    const std::string dead = Write(".Handling.cfg.Ab12Cd", "x");
    kestrix::OpenFile reader(files);
    EXPECT_EQ(files.OpenUnheld(running, reader.fd()), EBUSY);
    EXPECT_EQ(ReplaceFileContents(path, "new"), "");
    EXPECT_TRUE(std::filesystem::exists(running));
    EXPECT_FALSE(std::filesystem::exists(dead));

    held.Close();
    ASSERT_EQ(files.OpenUnheld(running, reader.fd()), 0) << "free once its save has ended";
    EXPECT_EQ(files.RemoveLeftover(running), EBUSY) << "held by the reader now";
    reader.Close();
    EXPECT_EQ(files.RemoveLeftover(running), 0);
    EXPECT_FALSE(std::filesystem::exists(running));
}
