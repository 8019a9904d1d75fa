#include "model/stat_help.h"
#include "platform/qt/tab_area.h"
#include "qt_frames.h"
#include "windows/editor_test.h"
#include "windows/frmErrors.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace kestrix;
using platform::Answer;
using platform::qt::TabArea;

namespace {

// The real window on a file of two cars; ASHCROFT, row 1, sorts first and is
// shown, with its Flags stored short; VERANDA's velocity is the one error.
const std::string kFile = "; ours\r\n" + test::CarLine("VERANDA", "1500", "R P 1 2001 1 1", "999") + "\r\n" +
                          test::CarLine("ASHCROFT", "1200", "R P 1 2 1 1") + "\r\n";

class MainWindowViewTest : public test::EditorOn<kFile> {
  protected:
    void SetUp() override {
        EditorOn::SetUp();
        test::ShowActive(view);
    }

    template <typename W> W& Widget(const char* name) { return test::Widget<W>(view, name); }
    TabArea& Tabs() { return dynamic_cast<TabArea&>(Widget<QWidget>("tabGeneral")); }
    void ChooseTab(int page) { QTest::mouseClick(Tabs().Tab(page), Qt::LeftButton); }
    QLineEdit& EnterField(int column) {
        ChooseTab(PageOfColumn(column));
        auto& field = Widget<QLineEdit>(("txtStat" + std::to_string(column)).c_str());
        QTest::mouseClick(&field, Qt::LeftButton);
        QTest::keyClick(&field, Qt::Key_End);
        return field;
    }
    void ClickError(QTreeView& list, bool twice = false) {
        const QPoint row = list.visualRect(list.model()->index(0, 1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row);
        // What the desktop sends for a double click: a click, then the second press as a double click.
        if (twice)
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row);
    }
    std::string TitleBar() const { return view.windowTitle().toStdString(); }

    std::unique_ptr<platform::qt::WindowFrame> frame = test::Frame(form);
    platform::qt::WindowFrame& view = *frame;
};

} // namespace

TEST_F(MainWindowViewTest, FieldAndControlFollowEachOther) {
    QLineEdit& mass = EnterField(1);
    EXPECT_EQ(form.CurrentStat, 1) << "the real focus reached the control";
    mass.setCursorPosition(2);
    test::TypeText(mass, QString::fromUtf8("\u20AC"));
    EXPECT_EQ(std::pair(mass.text(), mass.cursorPosition()), std::pair(QString("1200"), 2));
    EXPECT_TRUE(Widget<QStatusBar>("StatusBar").currentMessage().contains("8-bit"));
    mass.insert(QString::fromUtf8("5\u4E2D"));
    for (const char* pasted : {"1 500", "1\t500", "1\r500", "1\n500"})
        mass.insert(pasted);
    EXPECT_EQ(std::pair(mass.text(), mass.cursorPosition()), std::pair(QString("1200"), 2))
        << "a paste is refused whole, never joined";
    EXPECT_TRUE(Widget<QStatusBar>("StatusBar").currentMessage().contains("no blank"));
    EXPECT_EQ(TitleBar(), Title());
    QTest::keyClicks(&mass, "7");
    EXPECT_EQ(form.txtStat[1].Text(), "12700");
    EXPECT_EQ(TitleBar(), Title(true));
    QTest::keyClick(&mass, Qt::Key_Return);
    EXPECT_EQ(doc.Cars()[1][1], "12700") << "Enter reaches the field";

    QTest::keyClicks(&mass, "5");
    QTest::keyClick(&mass, Qt::Key_Escape);
    EXPECT_EQ(mass.text(), "12700") << "Escape reaches it too, and closes nothing";
    EXPECT_TRUE(view.isVisible());

    // The arrow keys and Enter reach the find, and the focus goes back to the field it came from.
    QTest::keyClick(&mass, Qt::Key_F, Qt::ControlModifier);
    auto& find = Widget<QLineEdit>("txtFind");
    ASSERT_EQ(QApplication::focusWidget(), &find);
    QTest::keyClicks(&find, "R");
    QTest::keyClick(&find, Qt::Key_Down);
    QTest::keyClick(&find, Qt::Key_Return);
    EXPECT_EQ(form.cboCars.List(form.cboCars.ListIndex()), "VERANDA");
    EXPECT_EQ(mass.text(), "1500");
    EXPECT_FALSE(find.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &mass);

    form.txtStat[1].SetText("1\xE9");
    EXPECT_EQ(mass.text(), QString::fromUtf8("1\u00E9")) << "values are shown as Latin-1";
    form.txtStat[1].Select(1, 1);
    EXPECT_EQ(mass.selectedText(), QString::fromUtf8("\u00E9"));

    // The close box and the Exit entry ask first.
    services.answers = {Answer::Cancel, Answer::No};
    view.close();
    EXPECT_TRUE(view.isVisible());
    EXPECT_EQ(services.messages.size(), 1u);
    Widget<QAction>("mnuExit").trigger();
    EXPECT_FALSE(view.isVisible());
}

TEST_F(MainWindowViewTest, ChoiceWidgetsWriteTheHiddenFieldsAndAssistiveToolsHearTheirLabels) {
    ChooseTab(PageOfColumn(Flags));
    auto& flags = Widget<QListWidget>("lvFlags");
    const bool ticked = form.lvFlags.Ticked(0);
    const QRect text = flags.visualItemRect(flags.item(0)).adjusted(40, 0, 0, 0);
    QTest::mouseClick(flags.viewport(), Qt::LeftButton, {}, text.center());
    EXPECT_EQ(form.lvFlags.Current(), 0);
    EXPECT_EQ(form.lvFlags.Ticked(0), ticked) << "a click on the text ticks nothing";
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&flags, Qt::Key_Down);
    EXPECT_EQ(form.lvFlags.Current(), 3);
    EXPECT_EQ(TitleBar(), Title()) << "and neither it nor the arrow keys write";
    const auto& note = Widget<QLabel>("lblFlagsNote");
    EXPECT_EQ(note.text().toStdString(),
              "Stored as \"2\", shown as 2000. Ticking a flag writes four characters.");
    EXPECT_TRUE(note.isVisible());
    EXPECT_TRUE(flags.accessibleDescription().contains(note.text())) << "heard on the list too";
    flags.item(3)->setCheckState(Qt::Checked); // what a click on the tick box does
    EXPECT_EQ(std::pair(form.lvFlags.Ticked(3), form.lvFlags.Current()), std::pair(true, 3));
    EXPECT_EQ(form.txtStat[Flags].Text(), "A000");
    EXPECT_TRUE(note.text().isEmpty());
    form.lvFlags.SetTicked(3, false);
    EXPECT_EQ(flags.item(3)->checkState(), Qt::Unchecked);

    ChooseTab(PageOfColumn(Abs));
    QTest::mouseClick(&Widget<QCheckBox>("chkABS"), Qt::LeftButton);
    EXPECT_EQ(form.txtStat[Abs].Text(), "0");
    ChooseTab(PageOfColumn(DriveType));
    QTest::keyClick(&Widget<QComboBox>("cboDrive"), Qt::Key_Up);
    EXPECT_EQ(form.txtStat[DriveType].Text(), "F");

    const auto access = [](QObject* object) {
        QAccessibleInterface* found = QAccessible::queryAccessibleInterface(object);
        if (!found)
            throw std::runtime_error("no accessible interface");
        return found;
    };
    EXPECT_EQ(access(&Widget<QWidget>("txtStat6"))->text(QAccessible::Name), "Centre Of Mass y")
        << "a field is heard by its label";
    EXPECT_EQ(access(&Widget<QWidget>("txtStat1"))->text(QAccessible::Description),
              QString::fromStdString(StatTip(1)));
    // A drop-down's name is its value; its label comes as the "labelled by" relation.
    const auto labels = access(&Widget<QWidget>("cboDrive"))->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Drive Type :")
        << "the changed mark is no part of it";
}

TEST_F(MainWindowViewTest, PagesComeUpByMouseKeysAndAssistiveToolsAndTheMenuKeysWorkInAField) {
    QLineEdit& mass = EnterField(1);
    mass.selectAll();
    QTest::keyClicks(&mass, "heavy");
    const auto& errors = *Widget<QTreeView>("lvErrors").model();
    const int before = errors.rowCount();
    ChooseTab(2);
    EXPECT_EQ(form.tabGeneral.Tab(), 2);
    EXPECT_TRUE(Tabs().Page(2)->isVisible());
    EXPECT_FALSE(Tabs().Page(1)->isVisible());
    EXPECT_EQ(doc.Cars()[1][1], "heavy");
    EXPECT_EQ(errors.rowCount(), before + 1) << "the error list shows the new check";
    EXPECT_EQ(errors.match(errors.index(0, 2), Qt::DisplayRole, "heavy", -1, Qt::MatchContains).size(), 1);

    QTest::keyClick(&mass, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form.tabGeneral.Tab(), 3);
    QTest::keyClick(&mass, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(&mass, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(form.tabGeneral.Tab(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(form.tabGeneral.Tab(), 7) << "the keys go round both rows";

    QAccessibleInterface* tab = QAccessible::queryAccessibleInterface(Tabs().Tab(5));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->role(), QAccessible::PageTab);
    EXPECT_EQ(tab->text(QAccessible::Name), "Suspension");
    tab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form.tabGeneral.Tab(), 5);
    EXPECT_TRUE(tab->state().selected);
    EXPECT_TRUE(Tabs().Page(5)->isVisible());

    QTest::keyClicks(&EnterField(1), "5");
    QTest::keyClick(&mass, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(TitleBar(), Title()) << "saved";
}

// Elsewhere the menus keep Ctrl+A (Save As) and Ctrl+C (File Comments); the table's are the grid view's.
TEST_F(MainWindowViewTest, EditingKeysAreTheFocusedFieldsAndListsOwnAndTheMenusKeepThemElsewhere) {
    const auto ctrl = [](QWidget& widget, Qt::Key key) {
        QTest::keyClick(&widget, key, Qt::ControlModifier);
    };
    auto& cars = Widget<QWidget>("cboCars");
    cars.setFocus();
    services.savePaths.push_back(""); // cancelled
    ctrl(cars, Qt::Key_A);
    EXPECT_EQ(services.saveDialogs.size(), 1u);
    ctrl(cars, Qt::Key_C);
    EXPECT_EQ(services.shownWindows, std::vector<std::string>{"frmComments"});
    const auto commentsFrame = test::ShownFrame(*services.besideWindows.front());
    services.saveDialogs.clear();
    services.shownWindows.clear();
    const auto textOf = [](const QWidget& field) {
        const auto* line = qobject_cast<const QLineEdit*>(&field);
        return line ? line->text() : static_cast<const QPlainTextEdit&>(field).toPlainText();
    };
    const auto fields = {std::pair<QWidget*, QWidget*>{&Widget<QWidget>("txtStat1"), &view},
                         {&test::Widget<QWidget>(*commentsFrame, "txtBefore"), commentsFrame.get()}};
    for (auto [field, window] : fields) {
        test::ShowActive(*window);
        field->setFocus();
        const QString name = field->objectName();
        ctrl(*field, Qt::Key_A);
        QTest::keyClicks(field, "1234");
        ctrl(*field, Qt::Key_A);
        ctrl(*field, Qt::Key_C);
        EXPECT_EQ(QApplication::clipboard()->text(), "1234") << name.toStdString();
        ctrl(*field, Qt::Key_X);
        EXPECT_EQ(textOf(*field), "") << name.toStdString();
        ctrl(*field, Qt::Key_V);
        ctrl(*field, Qt::Key_V);
        EXPECT_EQ(textOf(*field), "12341234") << name.toStdString();
    }
    test::ShowActive(view);
    auto& errors = Widget<QTreeView>("lvErrors");
    ClickError(errors);
    ctrl(errors, Qt::Key_A);
    ctrl(errors, Qt::Key_C);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), form.lvErrors.CopyText());
    EXPECT_TRUE(services.saveDialogs.empty()) << "no Save As";
    EXPECT_TRUE(services.shownWindows.empty()) << "no comments window";
}

TEST_F(MainWindowViewTest, EnterAndDoubleClickOnAnErrorReachTheValue) {
    auto& list = Widget<QTreeView>("lvErrors");
    ClickError(list);
    QTest::keyClick(&list, Qt::Key_Return);
    auto& speed = Widget<QLineEdit>("txtStat13");
    EXPECT_EQ(QApplication::focusWidget(), &speed);
    EXPECT_EQ(speed.selectedText(), "999") << "VERANDA's";
    EXPECT_EQ(Widget<QStatusBar>("StatusBar").currentMessage(), QString::fromStdString(StatTip(13)));
    EXPECT_EQ(speed.toolTip(), QString::fromStdString(StatTip(13)));

    QTest::keyClick(&Widget<QComboBox>("cboCars"), Qt::Key_Up);
    ChooseTab(0);
    ClickError(list, true);
    EXPECT_EQ(QApplication::focusWidget(), &speed);
    EXPECT_TRUE(speed.isVisible()) << "its page is in front";

    frmErrors errors(services);
    errors.CopyRows(form.lvErrors);
    const auto errorsFrame = test::ShownFrame(errors);
    auto& all = test::Widget<QTreeView>(*errorsFrame, "lvErrors");
    ClickError(all); // opens no menu: nobody chose
    all.setFocus();
    QTest::keyClick(&all, Qt::Key_Return);
    EXPECT_TRUE(errors.IsClosed()) << "Enter in the list is the Close button's";
    EXPECT_EQ(services.popupMenus, std::vector<std::string>{"mnuPopup"});
}

// Named as the system names them (a drive letter and backslashes on Windows); a drag of text or of a
// web address is not taken.
TEST_F(MainWindowViewTest, FilesDroppedAnywhereOnTheWindowReachItAfterTheDrop) {
    std::vector<std::string> dropped;
    form.FilesDropped = [&](const std::vector<std::string>& paths) { dropped = paths; };
    QLineEdit& field = Widget<QLineEdit>("txtStat1");
    EXPECT_FALSE(field.acceptDrops());
    const auto drag = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        data.setText(QStringLiteral("text"));
        QDragEnterEvent enter(field.mapTo(&view, QPoint(2, 2)), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&view, &enter);
        if (enter.isAccepted()) {
            QDropEvent drop(enter.position(), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&view, &drop);
        }
        return enter.isAccepted();
    };
    EXPECT_FALSE(drag({QUrl(QStringLiteral("https://example.org/a.cfg"))}));
    const QString first = QDir::temp().filePath(QStringLiteral("a b.cfg"));
    EXPECT_TRUE(drag({QUrl::fromLocalFile(first), QUrl::fromLocalFile(QDir::temp().filePath("c.cfg"))}));
    EXPECT_TRUE(dropped.empty()) << "the window acts once the drop has ended";
    EXPECT_TRUE(QTest::qWaitFor([&] { return dropped.size() == 2; }));
    ASSERT_EQ(dropped.size(), 2U);
    EXPECT_EQ(dropped[0], QDir::toNativeSeparators(first).toStdString());
    EXPECT_EQ(field.text().toStdString(), "1200") << "the field took nothing";
}
