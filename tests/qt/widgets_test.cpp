#include "platform/qt/layout.h"
#include "platform/qt/qt_services.h"
#include "qt_frames.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

using namespace kestrix::platform;
using qt::Piece;

namespace {

// A window of one control of each kind the tests below need.
class frmSample : public Window {
  public:
    frmSample() : Window("frmSample") {
        Focus.Join({&txtName, &txtNotes, &cboDrive, &lvErrors, &cmdOK});
        cboDrive.AddItem("Front");
        cboDrive.AddItem("Rear");
        cboDrive.SetListIndex(0);
        lvErrors.SetRows({"#9", "JUNIPER", "b", "#1", "aspen", "a"});
        tvCars.SetEntries(
            {{"replaces ALPHA", true, {{"Mass", true}, {"Flags", false}}}, {"adds NEW", true, {}}});
        tvCars.SetTicked({0, -1}, true);
        tvCars.SetCurrent({0, -1});
        DefaultButton = &cmdOK;
        CancelButton = &cmdCancel;
        cmdOK.Click = [this] { ++okClicks; };
        cmdCancel.Click = [this] { Unload(); };
    }
    TextField txtName{"txtName"};
    TextField txtNotes{"txtNotes", TextField::Lines::Multi};
    DropDown cboDrive{"cboDrive"};
    ColumnList lvErrors{"lvErrors", {"", "Car", "Error"}};
    TickTree tvCars{"tvCars"};
    Button cmdOK{"cmdOK"};
    Button cmdCancel{"cmdCancel"};
    int okClicks = 0;
};

class WidgetBindingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        services.RegisterView<frmSample>([](frmSample& form, qt::WindowFrame& frame) {
            Lay(frame, Piece::Column({form.txtName, form.txtNotes, form.cboDrive, form.lvErrors, form.tvCars,
                                      Piece::Row({form.cmdOK, form.cmdCancel})}));
        });
        frame = services.CreateFrame(*form);
        kestrix::test::ShowActive(*frame);
    }
    template <typename W> W& Widget(const char* name) { return kestrix::test::Widget<W>(*frame, name); }

    qt::QtServices services{"", "", ""};
    std::unique_ptr<frmSample> form = std::make_unique<frmSample>();
    std::unique_ptr<qt::WindowFrame> frame;
};

} // namespace

// A multi-line field keeps its line ends; the tree shows partly ticked entries; the list shows the
// control's order; the wheel changes a choice only with the focus.
TEST_F(WidgetBindingTest, TextsTicksClicksWheelAndKeysReachTheControlsAsTheUserMeantThem) {
    auto& name = Widget<QLineEdit>("txtName");
    QTest::keyClicks(&name, "MYCAR");
    EXPECT_EQ(form->txtName.Text(), "MYCAR");

    name.undo();
    EXPECT_EQ(form->txtName.Text(), "") << "undo";
    QApplication::clipboard()->setText("VAN");
    name.paste();
    EXPECT_EQ(form->txtName.Text(), "VAN") << "paste";

    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(&name);
    ASSERT_NE(access, nullptr);
    access->setText(QAccessible::Value, "ROADSTER");
    EXPECT_EQ(form->txtName.Text(), "ROADSTER") << "an assistive tool";

    auto& notes = Widget<QPlainTextEdit>("txtNotes");
    form->txtNotes.SetText("; one\r\n; two\r; three\n");
    EXPECT_EQ(notes.document()->blockCount(), 2);
    notes.moveCursor(QTextCursor::End);
    QTest::keyClicks(&notes, "x");
    EXPECT_EQ(form->txtNotes.Text(), "; one\r\n; two\r; three\nx");
    QTest::keyClick(&notes, Qt::Key_Return);
    EXPECT_EQ(form->txtNotes.Text(), "; one\r\n; two\r; three\nx\r\n");

    auto& tree = Widget<QTreeWidget>("tvCars");
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Right);
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_EQ(form->tvCars.Current(), (TickTree::Place{0, 0}));
    QTest::keyClick(&tree, Qt::Key_Space);
    EXPECT_FALSE(form->tvCars.Ticked({0, 0}));
    EXPECT_EQ(tree.topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(tree.topLevelItem(0)->child(1)->flags() & Qt::ItemIsUserCheckable)
        << "a refused value has no box";
    QTest::keyClick(&tree, Qt::Key_Left);
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded()) << "the first Left goes up to the car";
    QTest::keyClick(&tree, Qt::Key_Left);
    EXPECT_FALSE(tree.topLevelItem(0)->isExpanded());
    tree.topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(form->tvCars.Ticked({1, -1}));
    form->tvCars.SetEntries({{"car", true, {{"a", true}, {"b", true}}}});
    form->tvCars.SetTicked({0, 0}, true);
    EXPECT_EQ(tree.topLevelItem(0)->checkState(0), Qt::PartiallyChecked);

    auto& errors = Widget<QTreeView>("lvErrors");
    std::string clicked;
    form->lvErrors.ColumnClick = [this, &clicked](const ColumnList::Header& header) {
        clicked = header.text;
        form->lvErrors.SetSort(true, header.column, ColumnList::Order::Ascending);
    };
    emit errors.header()->sectionClicked(1);
    EXPECT_EQ(clicked, "Car");
    EXPECT_EQ(errors.model()->index(0, 1).data().toString(), "aspen") << "the control's order, not Qt's";

    auto& drive = Widget<QComboBox>("cboDrive");
    name.setFocus();
    const QPoint centre = drive.rect().center();
    QWheelEvent wheel(centre, drive.mapToGlobal(centre), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&drive, &wheel);
    EXPECT_EQ(std::pair(form->cboDrive.ListIndex(), drive.currentIndex()), std::pair(0, 0));

    QTest::keyClick(&name, Qt::Key_Return);
    EXPECT_EQ(form->okClicks, 1);
    QTest::keyClick(&name, Qt::Key_Escape);
    EXPECT_TRUE(form->IsClosed());
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(WidgetBindingTest, AFormThatDiesBeforeItsViewIsNeverReached) {
    auto& name = Widget<QLineEdit>("txtName");
    auto& ok = Widget<QPushButton>("cmdOK");
    form.reset();
    QTest::keyClicks(&name, "after");
    ok.click();
    emit Widget<QTreeView>("lvErrors").header()->sectionClicked(0);
    EXPECT_FALSE(frame->isVisible()) << "the frame of a window that is gone hides";
}
