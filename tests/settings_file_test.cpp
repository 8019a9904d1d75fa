// The command line follows the backup preference the editor keeps, read from
// the editor's settings file without the window toolkit.
#include "captured_output.h"
#include "handling_file/settings_file.h"
#include "sample_cars.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace kestrix;

namespace {

class SettingsFile : public test::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        const char* was = std::getenv("XDG_CONFIG_HOME");
        saved_ = was ? std::optional<std::string>(was) : std::nullopt;
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        std::filesystem::create_directories(folder / "Kestrix");
    }
    void TearDown() override {
        if (saved_)
            ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        TempFolderTest::TearDown();
    }

  private:
    std::optional<std::string> saved_;
};

} // namespace

TEST_F(SettingsFile, ResaveKeepsABackupAsTheEditorsPreferenceSays) {
    EXPECT_EQ(SettingsFilePath(), Path("Kestrix/Kestrix 3.conf"));
    const std::string in = Write("in.cfg", test::CarLine("ALPHA") + "\r\n");
    const std::string out = Write("out.cfg", "; before\r\n");
    for (const char* kept : {"", "[Preferences]\nKeepBackup=0\n",
                             "[Backup]\nKeepBackup=0\n[Preferences]\n"
                             "KeepLayout=0\nKeepBackup=1\n"}) {
        test::WriteFile(SettingsFilePath(), kept);
        std::filesystem::remove(out + ".bak");
        ASSERT_EQ(test::RunKestrix({"--resave", in, out}).status, 0);
        EXPECT_EQ(std::filesystem::exists(out + ".bak"),
                  std::string_view(kept) != "[Preferences]\nKeepBackup=0\n")
            << kept;
    }
}
