#include "qt_frames.h"
#include "scripted_services.h"
#include "windows/frmAddCar.h"
#include "windows/frmImportExport.h"
#include "windows/frmMain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

using test::Widget;

void ClickEntry(QListView& view, int row, Qt::KeyboardModifiers keys = {}, bool twice = false) {
    const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
    if (twice)
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, keys, at);
    else
        QTest::mouseClick(view.viewport(), Qt::LeftButton, keys, at);
}

// On the round mark: the button may be wider than its text.
void ClickOption(QRadioButton& option) {
    QTest::mouseClick(&option, Qt::LeftButton, {}, QPoint(6, option.height() / 2));
}

class CarWindowsView : public ::testing::Test {
  protected:
    Document doc;
    test::ScriptedServices services;
    frmMain main{doc, services};
};

} // namespace

TEST_F(CarWindowsView, TheListsMoveWhatTheMouseChose) {
    CarExchange exchange;
    exchange.ExchangeMode = ExchangeKind::Export;
    frmImportExport form(doc, exchange, services);
    form.lvLeft.AddItems({"DELTA", "alpha", "CHARLIE", "BRAVO"});
    const auto frame = test::Frame(form);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));

    auto& left = Widget<QListView>(*frame, "lvLeft");
    auto& right = Widget<QListView>(*frame, "lvRight");
    EXPECT_EQ(left.model()->index(0, 0).data().toString(), "alpha");
    ClickEntry(left, 1);
    ClickEntry(left, 3, Qt::ControlModifier);
    EXPECT_EQ(left.selectionModel()->selectedRows().size(), 2);
    QTest::mouseClick(&Widget<QPushButton>(*frame, "cmdCopyRight"), Qt::LeftButton);
    ASSERT_EQ(right.model()->rowCount(), 2);
    EXPECT_EQ(right.model()->index(1, 0).data().toString(), "DELTA");
    EXPECT_EQ(left.model()->rowCount(), 2);
    EXPECT_TRUE(left.selectionModel()->selectedRows().empty());

    ClickEntry(right, 0, {}, true);
    EXPECT_EQ(form.lvLeft.List(1), "BRAVO") << "a double click moves the entry back";
    EXPECT_EQ(right.model()->rowCount(), 1);
    QTest::keyClick(&left, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(left.selectionModel()->selectedRows().size(), 3) << "Ctrl+A selects the whole list";
}

TEST_F(CarWindowsView, TheCopyOptionEnablesTheCarChoice) {
    frmAddCar form(doc, services);
    form.cboCars.SetEntries({{"ONE", 0}, {"TWO", 1}});
    form.cboCars.SetListIndex(0);
    const auto frame = test::Frame(form);
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    EXPECT_EQ(Widget<QLineEdit>(*frame, "txtCarLabel").selectedText(), "MYCAR");
    auto& cars = Widget<QComboBox>(*frame, "cboCars");
    EXPECT_FALSE(cars.isEnabled());
    ClickOption(Widget<QRadioButton>(*frame, "optStats2"));
    EXPECT_TRUE(cars.isEnabled());
    EXPECT_TRUE(form.optStats[2].Value());
    ClickOption(Widget<QRadioButton>(*frame, "optStats1"));
    EXPECT_FALSE(cars.isEnabled());
    EXPECT_FALSE(form.optStats[2].Value());
    // The group is one Tab stop, its chosen option; the arrows move the choice, round the end.
    for (const char* other : {"optStats0", "optStats2"})
        EXPECT_FALSE(Widget<QRadioButton>(*frame, other).focusPolicy() & Qt::TabFocus) << other;
    QTest::keyClick(&Widget<QRadioButton>(*frame, "optStats1"), Qt::Key_Down);
    EXPECT_TRUE(form.optStats[2].Value());
    EXPECT_TRUE(cars.isEnabled());
    EXPECT_TRUE(Widget<QRadioButton>(*frame, "optStats2").hasFocus());
    EXPECT_TRUE(Widget<QRadioButton>(*frame, "optStats2").focusPolicy() & Qt::TabFocus);
    QTest::keyClick(&Widget<QRadioButton>(*frame, "optStats2"), Qt::Key_Right);
    EXPECT_TRUE(form.optStats[0].Value());
}
