#include "model/stat_help.h"
#include "qt_frames.h"
#include "sample_cars.h"
#include "scripted_services.h"
#include "temp_folder.h"
#include "windows/frmErrors.h"
#include "windows/frmMain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

// The real main window on two cars with an error each: #1 ASHCROFT, then #13 VERANDA.
class ErrorListView : public test::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        const std::string choices = "R P 1 2001 1 1";
        services.commandLine =
            "\"" +
            Write("Handling.cfg", test::CarLine("ASHCROFT", "heavy", choices, "160") + "\r\n" +
                                      test::CarLine("VERANDA", "1500", choices, "999")) +
            "\"";
        form.Form_Load();
        view.show();
        view.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    }
    template <typename W> W& Widget(const char* name) { return test::Widget<W>(view, name); }
    QPoint RowCentre(QTreeView& list, int row) {
        return list.visualRect(list.model()->index(row, 1)).center();
    }

    Document doc;
    test::ScriptedServices services;
    frmMain form{doc, services};
    std::unique_ptr<platform::qt::WindowFrame> frame = test::Frame(form);
    platform::qt::WindowFrame& view = *frame;
};

} // namespace

TEST_F(ErrorListView, EnterAndDoubleClickPutTheFocusInTheValue) {
    auto& list = Widget<QTreeView>("lvErrors");
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 1));
    QTest::keyClick(&list, Qt::Key_Return);
    auto& speed = Widget<QLineEdit>("txtStat13");
    EXPECT_EQ(QApplication::focusWidget(), &speed);
    EXPECT_EQ(speed.selectedText(), "999");
    EXPECT_EQ(Widget<QLineEdit>("txtStat0").text(), "VERANDA");

    // What the desktop sends for a double click: a click, then the second press as a double click.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 0));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 0));
    auto& mass = Widget<QLineEdit>("txtStat1");
    EXPECT_EQ(QApplication::focusWidget(), &mass);
    EXPECT_TRUE(mass.isVisible()) << "its page is in front";
    EXPECT_EQ(mass.selectedText(), "heavy");
    EXPECT_EQ(Widget<QStatusBar>("StatusBar").currentMessage(), QString::fromStdString(StatTip(1)));
    EXPECT_EQ(mass.toolTip(), QString::fromStdString(StatTip(1)));
}

TEST_F(ErrorListView, TheAllErrorsWindowGrowsAndClosesOnEnter) {
    frmErrors errors(services);
    errors.CopyRows(form.lvErrors);
    auto errorsFrame = test::Frame(errors);
    errorsFrame->show();
    errorsFrame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(errorsFrame.get()));
    auto& list = *errorsFrame->findChild<QTreeView*>("lvErrors");
    auto& close = *errorsFrame->findChild<QPushButton*>("cmdClose");
    const QRect listBefore = list.geometry();
    const QRect closeBefore = close.geometry();

    errorsFrame->resize(errorsFrame->size() + QSize(20, 30));
    QApplication::processEvents();
    EXPECT_EQ(list.geometry(), listBefore.adjusted(0, 0, 20, 30));
    EXPECT_EQ(close.geometry(), closeBefore.translated(20, 30));
    errorsFrame->resize(1, 1);
    QApplication::processEvents();
    EXPECT_GT(list.width(), 0);
    EXPECT_GT(list.height(), 0);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 0)); // opens no menu: nobody chose
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_TRUE(errors.IsClosed()) << "Enter in the list is the Close button's";
    EXPECT_EQ(services.popupMenus, std::vector<std::string>{"mnuPopup"});
}
