#include "qt_frames.h"
#include "scripted_services.h"
#include "windows/frmAbout.h"
#include "windows/frmComments.h"
#include "windows/frmMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

void ShowActive(QWidget& view) {
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
}

} // namespace

TEST(CommentsWindowView, TypingACharacterTheFileCannotHoldMovesNoCursor) {
    HandlingDocument data;
    data.BeforeComments = "; one\r; two\r";
    Document doc;
    doc.Read(std::move(data));
    frmComments comments{doc};
    comments.Fill();
    auto view = test::Frame(comments);
    ShowActive(*view);
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

TEST(CommentsWindowView, CtrlCInAStatFieldOpensTheComments) {
    test::ScriptedServices services;
    Document doc;
    frmMain main{doc, services};
    auto view = test::Frame(main);
    main.Form_Load();
    HandlingDocument data;
    data.FilePath = "/somewhere/Handling.cfg";
    data.Cars.emplace_back();
    doc.Read(std::move(data));
    ShowActive(*view);
    auto& field = test::Widget<QLineEdit>(*view, "txtStat23");
    QTest::mouseClick(&field, Qt::LeftButton);
    QTest::keyClick(&field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(services.shownWindows, std::vector<std::string>{"frmComments"});
}

TEST(AboutWindowView, TheArtworkFillsTheToolWindowUnderItsLinks) {
    test::ScriptedServices services;
    frmAbout about{services};
    auto view = test::Frame(about);
    ShowActive(*view);
    EXPECT_TRUE(view->windowFlags().testFlag(Qt::Tool));

    auto& picture = test::Widget<QLabel>(*view, "Image1");
    ASSERT_FALSE(picture.pixmap().isNull()) << "the drawing is built in";
    EXPECT_EQ(picture.size(), view->size()) << "nothing around the picture";
    auto& web = test::Widget<QLabel>(*view, "lblWeb");
    auto& email = test::Widget<QLabel>(*view, "lblEmail");
    EXPECT_GT(web.y(), view->height() / 2);
    EXPECT_LT(web.x() + web.width(), view->width() / 2);
    EXPECT_GT(email.x(), view->width() / 2);
    EXPECT_EQ(view->childAt(web.geometry().center()), &web) << "the links lie over the picture";
    EXPECT_TRUE(web.font().underline());

    QTest::mouseMove(&web, web.rect().center());
    EXPECT_EQ(web.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QTest::mouseMove(&picture, QPoint(picture.width() / 2, 20));
    EXPECT_EQ(web.palette().color(QPalette::WindowText), QColor(192, 192, 255));
    QTest::mouseClick(&email, Qt::LeftButton);
    EXPECT_EQ(services.desktopTargets.size(), 1U);
}
