#include "document/file_session.h"
#include "file_times.h"
#include "files/opened_file.h"
#include "sample_cars.h"
#include "scripted_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kestrix;

namespace {

using test::ReadFile;

class OpenedFileTest : public test::TempFolderTest {
  protected:
    void Open(const std::string& file) {
        HandlingFileRead read = opened.Open(file);
        ASSERT_EQ(read.error, "");
        doc = HandlingDocument{};
        ApplyToDocument(std::move(read.file), doc);
    }
    std::string Save(const std::string& file, const std::string& mass, SaveSettings settings = {}) {
        doc.Cars[0].Set(1, mass);
        return opened.Save(file, doc, settings);
    }

    OpenedFile opened;
    HandlingDocument doc;
};

const std::string kPadded =
    "; padded\n" + test::CarLine("ALPHA", "1500   ") + "\n" + test::CarLine("BETA") + "\n";

} // namespace

TEST_F(OpenedFileTest, TheBackupKeepsTheFileAsOpenedOrIsToldOnceMissingAndChangesOnDiskAreNoticed) {
    const std::string path = Write("Handling.cfg", kPadded);
    Open(path);
    ASSERT_EQ(Save(path, "1600"), ""); // a later save, and one after a revert, are the saving window's tests

    // Saved elsewhere, the file there is kept as it was before the first save to it.
    const std::string other = Write("Other.cfg", "other program's file\n");
    ASSERT_EQ(Save(other, "1900"), "");
    ASSERT_EQ(Save(other, "2000"), "");
    EXPECT_EQ(ReadFile(other + ".bak"), "other program's file\n");

    const std::string asOpened = ReadFile(path);
    Open(path);
    ASSERT_EQ(Save(path, "2100"), "");
    EXPECT_EQ(ReadFile(path + ".bak"), asOpened) << "a new opening makes a new backup";
    Open(path);
    ASSERT_EQ(Save(path, "2200", {.keepBackup = false}), "");
    EXPECT_EQ(ReadFile(path + ".bak"), asOpened) << "a user who wants no backup gets none";

    // A plain save writes the editor's form; keeping the layout then keeps that one.
    ASSERT_EQ(Save(path, "901", {false}), "");
    const std::string plain = ReadFile(path);
    ASSERT_EQ(Save(path, "902", {true}), "");
    std::string expected = plain;
    expected.replace(expected.find(" 901 "), 5, " 902 ");
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_FALSE(opened.ChangedOnDisk(path)) << "its own save is no change";

    const auto changedBy = [&](const auto& change) {
        opened.AcceptDiskState(path);
        EXPECT_FALSE(opened.ChangedOnDisk(path));
        change();
        return opened.ChangedOnDisk(path);
    };
    // The same size, rewritten within the same second: only the nanoseconds tell.
    const auto stampAt = [&](long nanoseconds) { ASSERT_TRUE(test::SetModified(path, 12345, nanoseconds)); };
    stampAt(100);
    EXPECT_TRUE(changedBy([&] {
        test::WriteFile(path, ReadFile(path).replace(0, 1, ":"));
        stampAt(200);
    }));
    EXPECT_TRUE(changedBy([&] { std::filesystem::rename(Write("new.cfg", kPadded), path); }));
    EXPECT_TRUE(opened.OfferReload(path));
    EXPECT_TRUE(opened.ChangedOnDisk(path)) << "but a save still asks";
    EXPECT_FALSE(opened.ChangedOnDisk(Path("elsewhere.cfg"))) << "only the open file is watched";

    // A folder that takes no new file: the file is written in place, and the
    // missing backup is told at the first save that wanted one, once per file.
    std::filesystem::remove(path + ".bak");
    test::ScriptedFiles lockedFolder;
    lockedFolder.createError = EACCES;
    Document edited;
    FileSession session(edited, lockedFolder);
    std::vector<std::size_t> told;
    for (const char* mass : {"900", "901", "902"}) {
        ASSERT_TRUE(session.Read(path, false).Done());
        edited.Commit(ValuesChange(edited.Cars(), {{0, 1, mass}}, "Edit"));
        const FileStep saved = session.Save(path, {.keepBackup = mass != std::string("900")});
        ASSERT_TRUE(saved.Done());
        EXPECT_NE(ReadFile(path).find(std::string("ALPHA ") + mass), std::string::npos) << "written in place";
        told.push_back(saved.notices.size());
        for (const FileNotice& notice : saved.notices)
            EXPECT_EQ(notice.kind, FileNotice::Kind::NoBackup);
    }
    EXPECT_EQ(told, (std::vector<std::size_t>{0, 1, 0}));
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
}
