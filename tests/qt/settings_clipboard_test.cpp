// The services the command line and the paste rely on: the settings file the
// toolkit writes reads back without it, and the clipboard gives 8-bit text or nothing.
#include "handling_file/file_read.h"
#include "handling_file/settings_file.h"
#include "platform/qt/qt_services.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kestrix::platform::qt::QtServices;

TEST(QtServicesTest, SettingsWrittenHereReadBackWithoutTheToolkit) {
    QTemporaryDir folder;
    const std::string file = folder.filePath(QStringLiteral("Kestrix/Kestrix 3.conf")).toStdString();
    {
        QtServices services("", "", "", "", file);
        services.WriteSetting("Preferences/KeepBackup", "0");
        services.WriteSetting("SettingsVersion", "1");
        services.WriteSetting("Main/Place", "10,20,300,400,max");
        EXPECT_EQ(services.ReadSetting("Preferences/KeepBackup"), "0");
    }
    const std::string text = kestrix::ReadFileBytes(file).bytes;
    EXPECT_EQ(kestrix::SettingIn(text, "Preferences/KeepBackup"), "0") << text;
    EXPECT_EQ(kestrix::SettingIn(text, "SettingsVersion"), "1");
    EXPECT_EQ(kestrix::SettingIn(text, "Preferences/Place"), "");
}
