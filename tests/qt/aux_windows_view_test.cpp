#include "qt_frames.h"
#include "scripted_services.h"
#include "windows/frmAbout.h"
#include "windows/frmAddCar.h"
#include "windows/frmComments.h"
#include "windows/frmImportExport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
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

} // namespace

TEST(CommentsWindowView, TypingACharacterTheFileCannotHoldMovesNoCursor) {
    HandlingDocument data;
    data.BeforeComments = "; one\r; two\r";
    Document doc;
    doc.Read(std::move(data));
    frmComments comments{doc};
    comments.Fill();
    auto view = test::ShownFrame(comments);
    auto& before = test::Widget<QPlainTextEdit>(*view, "txtBefore");
    before.setFocus();
    QTextCursor cursor = before.textCursor();
    cursor.setPosition(9); // in "; two"
    before.setTextCursor(cursor);
    test::TypeText(before, QString::fromUtf8("\u20AC\u4E2D"));
    EXPECT_EQ(before.toPlainText(), "; one\n; two\n");
    EXPECT_EQ(before.textCursor().position(), 9);
    EXPECT_TRUE(test::Widget<QLabel>(*view, "lblCarLines").text().contains("8-bit"));
    QTest::keyClicks(&before, "x");
    EXPECT_EQ(comments.txtBefore.Text(), "; one\r\n; txwo\r\n") << "the typing lands where the cursor was";
}

TEST(AboutWindowView, AClickOnALinkOpensIt) {
    test::ScriptedServices services;
    frmAbout about{services};
    auto view = test::ShownFrame(about);
    QTest::mouseClick(&test::Widget<QLabel>(*view, "lblEmail"), Qt::LeftButton);
    EXPECT_EQ(services.desktopTargets.size(), 1U);
}

TEST(CarWindowsView, TheListsMoveWhatTheMouseChoseAndTheCopyOptionEnablesTheCarChoice) {
    Document doc;
    test::ScriptedServices services;
    CarExchange exchange;
    exchange.ExchangeMode = ExchangeKind::Export;
    frmImportExport form(doc, exchange, services);
    form.lvLeft.AddItems({"DELTA", "alpha", "CHARLIE", "BRAVO"});
    const auto frame = test::ShownFrame(form);

    auto& left = Widget<QListView>(*frame, "lvLeft");
    auto& right = Widget<QListView>(*frame, "lvRight");
    EXPECT_EQ(left.model()->index(0, 0).data().toString(), "alpha");
    ClickEntry(left, 1);
    ClickEntry(left, 3, Qt::ControlModifier);
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

    frmAddCar add(doc, services);
    add.cboCars.SetEntries({{"ONE", 0}, {"TWO", 1}});
    add.cboCars.SetListIndex(0);
    const auto addFrame = test::ShownFrame(add);
    EXPECT_EQ(Widget<QLineEdit>(*addFrame, "txtCarLabel").selectedText(), "MYCAR");
    auto& cars = Widget<QComboBox>(*addFrame, "cboCars");
    EXPECT_FALSE(cars.isEnabled());
    ClickOption(Widget<QRadioButton>(*addFrame, "optStats2"));
    EXPECT_TRUE(cars.isEnabled());
    ClickOption(Widget<QRadioButton>(*addFrame, "optStats1"));
    EXPECT_FALSE(cars.isEnabled());
    // The group is one Tab stop, its chosen option; the arrows move the choice.
    for (const char* other : {"optStats0", "optStats2"})
        EXPECT_FALSE(Widget<QRadioButton>(*addFrame, other).focusPolicy() & Qt::TabFocus) << other;
    QTest::keyClick(&Widget<QRadioButton>(*addFrame, "optStats1"), Qt::Key_Down);
    EXPECT_TRUE(add.optStats[2].Value());
    EXPECT_TRUE(cars.isEnabled());
    EXPECT_TRUE(Widget<QRadioButton>(*addFrame, "optStats2").hasFocus());
    EXPECT_TRUE(Widget<QRadioButton>(*addFrame, "optStats2").focusPolicy() & Qt::TabFocus);
}
