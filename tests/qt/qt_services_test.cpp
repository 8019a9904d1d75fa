#include "files/file_read.h"
#include "files/opened_file.h"
#include "files/settings_file.h"
#include "platform/qt/qt_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace kestrix::platform;
using kestrix::platform::qt::QtServices;

namespace {

// Acts on the message box as soon as it is open, as a user would.
void WhenTheBoxOpens(std::function<void(QMessageBox&)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*box);
        }
    });
    poll->start(10);
}

} // namespace

TEST(QtServicesTest, AMessageBoxReturnsTheButtonPressedAndAFileDialogTakesTheHandlingFilter) {
    QtServices services("", "", "");
    QString text;
    QMessageBox::StandardButtons buttons;
    WhenTheBoxOpens([&](QMessageBox& box) {
        text = box.text();
        buttons = box.standardButtons();
        box.button(QMessageBox::No)->click();
    });
    const Answer pressed = services.ShowMessage(
        {"The file has been modified.\rSave it?", "", Buttons::YesNoCancel, Icon::None, Answer::Yes});
    EXPECT_EQ(pressed, Answer::No);
    EXPECT_EQ(text, "The file has been modified.\nSave it?");
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(kestrix::platform::qt::DialogFilter(kHandlingFileFilter), "CFG File (*.cfg);;All Files (*)");

    QString yes, no;
    WhenTheBoxOpens([&](QMessageBox& box) {
        yes = box.button(QMessageBox::Yes)->text();
        no = box.button(QMessageBox::No)->text();
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(services.ShowMessage(
                  {"Recover?", "", Buttons::YesNo, Icon::Warning, Answer::Yes, "&Recover", "&Discard"}),
              Answer::Yes)
        << "Enter takes the default button";
    EXPECT_EQ(yes + "|" + no, "&Recover|&Discard") << "named answers";
    // Escape is No where there is no Cancel.
    for (const auto& [buttons, escaped] :
         {std::pair(Buttons::YesNo, Answer::No), std::pair(Buttons::YesNoCancel, Answer::Cancel)}) {
        WhenTheBoxOpens([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        EXPECT_EQ(services.ShowMessage({"Close?", "Close File", buttons, Icon::None, Answer::Yes}), escaped);
    }
}

// A value the file already holds does not save it again.
TEST(QtServicesTest, SettingsWrittenHereReadBackWithoutTheToolkit) {
    QTemporaryDir folder;
    const std::string file = folder.filePath(QStringLiteral("Kestrix/Kestrix 3.conf")).toStdString();
    QtServices("", "", "", "", file).WriteSetting("Preferences/KeepBackup", "0");
    QtServices("", "", "", "", file).WriteSetting("SettingsVersion", "1");
    const std::string text = kestrix::ReadFileBytes(file).bytes;
    EXPECT_EQ(kestrix::SettingIn(text, "Preferences/KeepBackup"), "0") << text;
    EXPECT_EQ(kestrix::SettingIn(text, "SettingsVersion"), "1");
    const kestrix::DiskStamp saved = kestrix::StampOf(file);
    QtServices reader("", "", "", "", file);
    EXPECT_EQ(reader.ReadSetting("SettingsVersion"), "1");
    QtServices("", "", "", "", file).WriteSetting("SettingsVersion", "1");
    EXPECT_EQ(kestrix::StampOf(file), saved);
    std::ofstream(file) << "[General]\nSettingsVersion=20\n"; // as another program writes it
    EXPECT_EQ(reader.ReadSetting("SettingsVersion"), "20");
}
