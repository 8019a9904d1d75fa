// What a save follows and what it tells: no backup where the user wants none,
// a backup it could not keep told once per file, and a comment line that
// would come back as a car named as that line.
#include "document/file_session.h"
#include "handling_file/file_read.h"
#include "handling_file/opened_file.h"
#include "sample_cars.h"
#include "scripted_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kestrix;

namespace {

class SaveChoices : public test::TempFolderTest {};

} // namespace

TEST_F(SaveChoices, ABackupIsKeptOnlyWhenWantedAndOneThatCannotBeIsToldOncePerFile) {
    const std::string path = Write("Handling.cfg", test::CarLine("ALPHA") + "\r\n");
    test::ScriptedFiles files;
    Document doc;
    FileSession session(doc, files);
    const auto saveMass = [&](const std::string& mass, const SaveSettings& settings) {
        doc.Commit(ValuesChange(doc.Cars(), {{0, 1, mass}}, "Edit"));
        EXPECT_EQ(session.Save(path, settings), "");
        EXPECT_EQ(ReadFileBytes(path).bytes, test::CarLine("ALPHA", mass) + "\r\n");
    };
    ASSERT_EQ(session.Read(path, false), "");
    saveMass("1900", {.keepLayout = true, .keepBackup = false});
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
    EXPECT_EQ(session.TakeBackupNotice().kind, FileNotice::Kind::None);

    // A folder that takes no new file: the file is written in place, and the
    // missing backup is told at the first save of an opening only once.
    files.createError = EACCES;
    for (int opening = 0; opening < 2; ++opening) {
        ASSERT_EQ(session.Read(path, false), "");
        saveMass(std::to_string(1800 + opening), {});
        const FileNotice told = session.TakeBackupNotice();
        EXPECT_EQ(told.kind, opening == 0 ? FileNotice::Kind::NoBackup : FileNotice::Kind::None);
        EXPECT_EQ(told.text.find(path), opening == 0 ? 1u : std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
}

TEST(SaveReadBack, ACommentLineThatWouldReadBackAsACarIsNamedAsThatLine) {
    HandlingDocument doc;
    doc.Cars.emplace_back();
    doc.Cars[0].Set(0, "ALPHA");
    doc.BeforeComments = "; fine\rBRACKEN 1 2\r";
    EXPECT_EQ(ReadBackDifference(WriteHandlingText(doc), doc),
              "Before stats line 2 would read back as a car: a comment line starts with \";\"");
    doc.BeforeComments = "; fine\r";
    doc.AfterComments = "; a\r\rnote\r";
    EXPECT_EQ(ReadBackDifference(WriteHandlingText(doc), doc),
              "After stats line 3 would read back as a car: a comment line starts with \";\"");
    doc.AfterComments = "; a\r";
    EXPECT_EQ(ReadBackDifference(WriteHandlingText(doc), doc), "");
}
