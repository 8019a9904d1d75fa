#include "files/recovery_journal.h"
#include "scripted_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <tuple>
#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace kestrix;

namespace {

class Journal : public test::TempFolderTest {
  protected:
    std::string Folder() const { return Path("state/kestrix"); }
};

} // namespace

TEST_F(Journal, WhatAppendReportedSurvivesAKilledWriter) {
#ifdef _WIN32
    GTEST_SKIP() << "the killed editor is a fork() of the test, which Windows has not";
#else
    const std::string file = "/some/Handling.cfg";
    for (const int killAfter : {0, 1, 7, 40}) {
        int reported[2];
        ASSERT_EQ(::pipe(reported), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(reported[0]);
            RecoveryJournal journal;
            bool reporting = journal.Start(Folder(), file).empty() && ::write(reported[1], "s", 1) == 1;
            for (int i = 0; reporting; ++i)
                reporting = journal.Append("change " + std::to_string(i)).empty() &&
                            ::write(reported[1], "x", 1) == 1;
            ::_exit(1);
        }
        ::close(reported[1]);
        char done = 0;
        for (int i = 0; i <= killAfter; ++i)
            ASSERT_EQ(::read(reported[0], &done, 1), 1);
        EXPECT_TRUE(FindLeftJournals(Folder(), &file).empty()) << "a running editor's journal is its own";
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(reported[0]);

        std::vector<LeftJournal> left = FindLeftJournals(Folder(), &file);
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(std::tie(left[0].error, left[0].file), std::tuple("", file));
        ASSERT_GE(left[0].records.size(), static_cast<std::size_t>(killAfter));
        for (std::size_t i = 0; i < left[0].records.size(); ++i)
            ASSERT_EQ(left[0].records[i], "change " + std::to_string(i));
        std::filesystem::remove(left[0].path);
    }
#endif
}

TEST_F(Journal, TwoEditorsKeepTheirRecordsDamagedOrForeignJournalsAreRefusedWholeAndFailuresToldOnce) {
    const std::string file = "/some/Handling.cfg";
    RecoveryJournal first, second;
    ASSERT_EQ(first.Start(Folder(), file), "");
    ASSERT_EQ(second.Start(Folder(), file), "");
    EXPECT_NE(first.Path(), second.Path());
    ASSERT_EQ(first.Append("a"), "");
    ASSERT_EQ(second.Append("b"), "");
    ASSERT_EQ(first.Rewrite({"compacted"}), "");
    ASSERT_EQ(first.Append("c"), "");
    EXPECT_TRUE(FindLeftJournals(Folder(), nullptr).empty());
    // A record of any length reads back, after a cut or written anew.
    const std::string large(200'000, 'v');
    const std::size_t bytes = second.Bytes();
    ASSERT_EQ(second.Append(large), "");
    ASSERT_EQ(second.CutBack(bytes, 1), "");
    ASSERT_EQ(second.Append("x"), "");
    EXPECT_EQ(ReadJournal(second.Path()).records, (std::vector<std::string>{"b", "x"}));
    ASSERT_EQ(second.Rewrite({large, "y", large}), "");
    EXPECT_EQ(ReadJournal(second.Path()).records, (std::vector<std::string>{large, "y", large}));

    // An editor that ends without removing its journal leaves it.
    {
        RecoveryJournal gone;
        ASSERT_EQ(gone.Start(Folder(), "/other.cfg"), "");
        ASSERT_EQ(gone.Append("x"), "");
    }
    std::vector<LeftJournal> left = FindLeftJournals(Folder(), nullptr);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].records, std::vector<std::string>{"x"});
    EXPECT_TRUE(FindLeftJournals(Folder(), &file).empty()) << "another file's journal";

    const std::string whole = test::ReadFile(first.Path()), firstPath = first.Path();
    EXPECT_NE(whole.find(std::string("\x09\0\0\0\xf6\xff\xff\xff\x03\xc7\x03\xe7", 12) + "compacted"),
              std::string::npos)
        << "the checksum (CRC-32) older editors' journals carry";
    first.Remove();
    EXPECT_FALSE(std::filesystem::exists(firstPath));
    const auto read = [&](const std::string& bytes) {
        test::WriteFile(Folder() + "/read.journal", bytes);
        return ReadJournal(Folder() + "/read.journal");
    };
    // A last record cut short is one a kill stopped while it was written: the records before it stand.
    for (const std::size_t cut : {1, 3, 12}) {
        const LeftJournal journal = read(whole.substr(0, whole.size() - cut));
        EXPECT_EQ(journal.records, std::vector<std::string>{"compacted"});
        EXPECT_TRUE(journal.cut);
    }
    std::string sum = whole, length = whole;
    sum[sum.size() - 18] ^= 1;
    length[length.size() - 12] ^= 1;
    for (const std::string& bytes :
         {sum, length, std::string("; a handling file\r\n"), whole.substr(0, 27)}) {
        const LeftJournal journal = read(bytes);
        EXPECT_TRUE(journal.records.empty() && !journal.error.empty()) << journal.error;
    }
    const LeftJournal back = read(whole);
    EXPECT_EQ(back.records, (std::vector<std::string>{"compacted", "c"}));
    EXPECT_FALSE(back.cut);
    // The journal's form follows its magic: an older form still reads; a newer one, or the first,
    // is refused, never read by the rules of another.
    const auto inForm = [&](const std::string& form) { return std::string(whole).replace(25, 1, form); };
    EXPECT_EQ(read(inForm("2")).records, back.records);
    const LeftJournal newer = read(inForm("12"));
    EXPECT_TRUE(newer.newer);
    EXPECT_EQ(newer.error, "it was written by a newer version of the editor, in journal form 12, and this "
                           "version reads up to form 3");
    const LeftJournal early = read(inForm("1"));
    EXPECT_TRUE(early.records.empty() && !early.error.empty() && !early.newer) << early.error;

    // A journal that cannot be kept says why; what it reported written stands.
    const std::string elsewhere = Path("elsewhere/kestrix");
    test::ScriptedFiles files;
    files.syncFolderError = EIO;
    RecoveryJournal unflushed(files);
    EXPECT_NE(unflushed.Start(elsewhere, "/f.cfg"), "");
    EXPECT_FALSE(unflushed.Active());
    EXPECT_EQ(unflushed.Append("x"), "") << "the editor works on without recovery";
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere)) << "a journal whose name may be lost is removed";

    files.syncFolderError = EINVAL; // a file system that cannot flush a folder at all
    RecoveryJournal full(files);
    ASSERT_EQ(full.Start(elsewhere, "/f.cfg"), "");
    ASSERT_EQ(full.Append("first"), "");
    files.bytesBeforeWriteFails = RecoveryJournal::kFrameBytes + 2;
    EXPECT_NE(full.Append("second"), "");
    const LeftJournal kept = ReadJournal(full.Path());
    EXPECT_EQ(kept.records, std::vector<std::string>{"first"});
    EXPECT_TRUE(kept.cut);
}
