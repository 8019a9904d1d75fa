#include "qt_frames.h"
#include "real_manual.h"
#include "scripted_services.h"
#include "windows/frmHelp.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <functional>

using namespace kestrix;

namespace {

void EachFragment(const QTextDocument& document, const std::function<void(const QTextFragment&)>& visit) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            visit(it.fragment());
}

// The middle of the first link to target, in the browser's viewport.
QPoint LinkAt(const QTextBrowser& browser, const QString& target) {
    QPoint at(-1, -1);
    EachFragment(*browser.document(), [&](const QTextFragment& fragment) {
        if (at.x() < 0 && fragment.charFormat().anchorHref() == target) {
            QTextCursor cursor(browser.document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            at = browser.cursorRect(cursor).center();
        }
    });
    return at;
}

// The heading at the top of the view, as its anchor; empty when the top holds none.
std::string AnchorAtTop(const QTextBrowser& browser) {
    const int margin = static_cast<int>(browser.document()->documentMargin());
    const QTextBlock top = browser.cursorForPosition(QPoint(0, margin + 1)).block();
    return top.blockFormat().headingLevel() > 0 ? platform::HeadingAnchor(top.text().toStdString()) : "";
}

} // namespace

TEST(HelpWindowView, ThePicturesLoadEveryLinkPutsItsHeadingAtTheTopAndFindLeavesTheReaderAtTheTextFound) {
    test::ScriptedServices services;
    frmHelp help(services, test::RealManual());
    auto view = test::ShownFrame(help);
    auto& browser = test::Widget<QTextBrowser>(*view, "rtbManual");

    int pictures = 0;
    EachFragment(*browser.document(), [&](const QTextFragment& fragment) {
        const QTextImageFormat picture = fragment.charFormat().toImageFormat();
        if (!picture.isValid())
            return;
        ++pictures;
        const QVariant loaded =
            browser.document()->resource(QTextDocument::ImageResource, QUrl(picture.name()));
        EXPECT_FALSE(loaded.value<QPixmap>().isNull()) << picture.name().toStdString();
    });
    EXPECT_GT(pictures, 15);

    QScrollBar& scroll = *browser.verticalScrollBar();
    std::vector<int> places{0};
    const QPoint link = LinkAt(browser, "#keyboard");
    ASSERT_GE(link.x(), 0);
    QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, link);
    EXPECT_EQ(AnchorAtTop(browser), "keyboard");
    places.push_back(scroll.value());

    const std::vector<std::string> links = test::HeadingLinks(help.rtbManual.Markdown());
    for (const std::string& link : links) {
        help.rtbManual.UserClicksLink(link);
        const bool atEnd = scroll.value() == scroll.maximum();
        EXPECT_TRUE("#" + AnchorAtTop(browser) == link || (atEnd && help.lblFound.Caption().empty()))
            << link << " shows " << AnchorAtTop(browser);
        places.push_back(scroll.value());
    }
    EXPECT_GT(links.size(), 40u);
    // Back retraces every link one by one to the first page, by the button and by Alt+Left in turn.
    places.pop_back();
    for (; !places.empty(); places.pop_back()) {
        places.size() % 2 ? QTest::keyClick(&browser, Qt::Key_Left, Qt::AltModifier)
                          : QTest::mouseClick(&test::Widget<QPushButton>(*view, "cmdBack"), Qt::LeftButton);
        EXPECT_NEAR(scroll.value(), places.back(), 3) << "the line the reader was at, on top";
    }
    EXPECT_FALSE(help.cmdBack.Enabled());

    auto& field = test::Widget<QLineEdit>(*view, "txtFind");
    QTest::keyClick(&browser, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), &field);
    QTest::keyClicks(&field, "reporting a PROBLEM");
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(browser.textCursor().selectedText(), "Reporting a problem");
    const QRect found = browser.cursorRect(browser.textCursor());
    EXPECT_TRUE(browser.viewport()->rect().contains(found)) << "scrolled into view";
    QTest::keyClick(&field, Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), &browser);
    EXPECT_FALSE(browser.textCursor().hasSelection());
    EXPECT_EQ(browser.cursorRect(browser.textCursor()).top(), found.top()) << "the reader stays";
    // Ctrl+End and Ctrl+Home reach the ends of the manual, and the control hears where the reader is.
    QTest::keyClick(&browser, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(scroll.value(), scroll.maximum());
    QTest::keyClick(&browser, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(std::pair(scroll.value(), help.rtbManual.Top()), std::pair(0, std::size_t{0}));
}
