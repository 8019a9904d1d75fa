#include "platform/qt/grid_view.h"
#include "qt_frames.h"
#include "windows/editor_test.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace kestrix;
using platform::Answer;

namespace {

const std::string kFile =
    test::CarLine("VERANDA", "1500") + "\r\n" + test::CarLine("ASHCROFT", "abc") + "\r\n";

class CarTableViewTest : public test::EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        OpenOn(File());
        table = &Table();
        table->SetPlace(platform::Placement{40, 50, 700, 400});
        frame = test::ShownFrame(*table);
        grid = &test::Widget<platform::qt::GridView>(*frame, "grdCars");
    }
    virtual std::string File() const { return kFile; }
    QAbstractItemModel& Model() { return *grid->model(); }
    QVariant Data(int row, int column, int role) { return Model().data(Model().index(row, column), role); }
    // The cell editor that this key opens on the current cell, once the last one has gone.
    QLineEdit& EditorOpenedBy(Qt::Key key) {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::keyClick(grid, key);
        if (auto* editor = grid->findChild<QLineEdit*>())
            return *editor;
        throw std::runtime_error("the key opened no editor");
    }

    frmCarTable* table = nullptr;
    std::unique_ptr<platform::qt::WindowFrame> frame;
    platform::qt::GridView* grid = nullptr;
};

class SixtySixCarsViewTest : public CarTableViewTest {
  protected:
    std::string File() const override {
        std::string text;
        for (int car = 0; car < 66; ++car)
            text += test::Line("CAR" + std::to_string(car), std::to_string(1000 + car));
        return text;
    }
    void Click(int row, int column, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers,
                          grid->visualRect(Model().index(row, column)).center());
    }
    // The selection as the grid holds it, one rectangle, and as the view shows it.
    std::string Selected() {
        const platform::Grid& cells = table->grdCars;
        std::string text;
        for (const platform::GridRange& range : cells.Selection())
            text += std::to_string(range.top) + "," + std::to_string(range.left) + "-" +
                    std::to_string(range.bottom) + "," + std::to_string(range.right) + " ";
        EXPECT_EQ(grid->selectionModel()->selectedIndexes().size(),
                  static_cast<int>(cells.SelectedCells().size()));
        EXPECT_EQ(grid->currentIndex(), Model().index(cells.Current().row, cells.Current().column));
        return text;
    }
};

} // namespace

// The keys of a spreadsheet carry the selection from the anchor a click leaves: a click on the
// first mass, Ctrl+Shift+Down and Shift+PgDn select all 66 (the table's own keys once left out the
// first), and the bulk window counts 66; Ctrl+A is the table's, not the main window's Save As.
// Where each key reaches is the grid's own test; here the keys reach it, with Shift or without.
TEST_F(SixtySixCarsViewTest, SpreadsheetKeysCarryTheSelectionFromTheAnchor) {
    const auto press = [this](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(grid, key, modifiers);
        return Selected();
    };
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    Click(0, 1);
    press(Qt::Key_Down, ctrlShift);
    EXPECT_EQ(press(Qt::Key_PageDown, Qt::ShiftModifier), "0,1-65,1 ");
    std::string prompt;
    AnswerNumber("2", &prompt);
    table->cmdMultiply.UserClicks();
    EXPECT_EQ(prompt, "Multiply 66 values (Mass of 66 cars) by:");
    EXPECT_EQ(frame->findChild<QStatusBar*>()->currentMessage().toStdString(),
              "Multiply by 2: 66 values changed.");

    Click(30, 5);
    EXPECT_EQ(press(Qt::Key_Right, Qt::ShiftModifier), "30,5-30,6 ");
    const std::string paged = press(Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_LT(std::stoi(paged), 29) << "a page up, not a row: " << paged;
    EXPECT_EQ(paged.substr(paged.find(',')), ",5-30,6 ");
    EXPECT_EQ(press(Qt::Key_Home, ctrlShift), "0,0-30,5 ");
    Click(40, 3, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "30,3-40,5 ") << "Shift and a click from the same anchor";
    EXPECT_EQ(press(Qt::Key_Space, Qt::ControlModifier), "0,3-65,3 ");
    EXPECT_EQ(press(Qt::Key_Space, Qt::ShiftModifier), "40,0-40,31 ");
    EXPECT_EQ(press(Qt::Key_A, Qt::ControlModifier), "0,0-65,31 ");
    EXPECT_TRUE(services.saveDialogs.empty()) << "Ctrl+A in the table is no Save As";
    EXPECT_EQ(press(Qt::Key_Down, Qt::ControlModifier), "65,3-65,3 ") << "without Shift, the cell alone";
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    EXPECT_EQ(press(Qt::Key_Home, Qt::ControlModifier), "0,0-0,0 ");
    EXPECT_EQ(grid->horizontalScrollBar()->value(), 0) << "the first columns beside the names";
    Click(3, 2);
    EXPECT_EQ(press(Qt::Key_Down, Qt::AltModifier), "4,2-4,2 ") << "Alt+Down moves the car with its cell";
    EXPECT_EQ(doc.Cars()[4][0], "CAR3");
    EXPECT_FALSE(grid->findChild<QLineEdit*>()) << "no key opened an editor";
}

TEST_F(CarTableViewTest, TheModelReadsTheGridAndFollowsItsKeysSortAndFilter) {
    EXPECT_EQ(Model().headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(),
              QString::fromStdString(table->HeaderTip(1)));
    EXPECT_EQ(Data(1, 1, Qt::DisplayRole).toString(), "abc");
    EXPECT_EQ(Data(1, 1, Qt::ToolTipRole).toString(), "abc is not a valid number.");
    EXPECT_TRUE(Data(1, 1, Qt::DecorationRole).isValid());
    EXPECT_FALSE(Data(0, 1, Qt::DecorationRole).isValid());
    EXPECT_EQ(Data(0, 19, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_FALSE(Model().flags(Model().index(0, 0)) & Qt::ItemIsEditable) << "names are not edited here";

    grid->setFocus();
    grid->setCurrentIndex(Model().index(0, 20));
    for (int column = 20; column > 1; --column) {
        QTest::keyClick(grid, Qt::Key_Left);
        const QRect cell = grid->visualRect(grid->currentIndex());
        ASSERT_GE(cell.left(), grid->FrozenPart().columnWidth(0)) << "column " << column - 1;
    }
    grid->setCurrentIndex(Model().index(0, 20));
    QTest::keyClick(grid, Qt::Key_Home);
    EXPECT_EQ(grid->horizontalScrollBar()->value(), 0) << "Home shows the first columns";

    doc.Commit(AddCarChange(doc.Cars(), doc.Cars()[0])); // the rows read anew, as after an added car

    QTest::keyClick(grid, Qt::Key_F8);
    EXPECT_EQ(table->grdCars.Current(), (platform::GridCell{1, 1})) << "ASHCROFT's mass is no number";
    EXPECT_EQ(grid->currentIndex(), Model().index(1, 1));

    grid->horizontalHeader()->sectionClicked(1); // VERANDA, its copy, ASHCROFT
    EXPECT_EQ(Model().headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), "3")
        << "sorted, the row header is the car's place in the file";
    table->txtFilter.UserTypes("Mass > 1000");
    EXPECT_EQ(Model().rowCount(), 2) << "the filter reaches the view";
    table->txtFilter.UserTypes("");
    EXPECT_EQ(Model().rowCount(), 3);

    QTableView& names = grid->FrozenPart();
    EXPECT_FALSE(names.isColumnHidden(0));
    EXPECT_TRUE(names.isColumnHidden(1));
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    EXPECT_TRUE(names.isVisible()) << "the name column stays while the others scroll";
}

TEST_F(CarTableViewTest, TypingCommitsThroughTheControlAndCopyGivesTabSeparatedText) {
    grid->setFocus();
    grid->setCurrentIndex(Model().index(1, 1));
    QLineEdit* editor = &EditorOpenedBy(Qt::Key_1); // typing in a cell edits it
    QTest::keyClicks(editor, " 7");
    EXPECT_EQ(editor->text(), "17") << "a blank never enters a value";
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the commit comes queued
    EXPECT_EQ(doc.Cars()[1][1], "17");
    EXPECT_FALSE(Data(1, 1, Qt::DecorationRole).isValid()) << "checked again";

    // The undo keys: an editor with typing keeps them; one without, or the table, undoes the document.
    editor = &EditorOpenedBy(Qt::Key_5);
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc.Cars()[1][1], "17") << "the typing was undone, not the document";
    QTest::keyClick(editor, Qt::Key_Escape);
    QTest::keyClick(&EditorOpenedBy(Qt::Key_F2), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(doc.Cars()[1][1], "abc");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(grid->findChild<QLineEdit*>()) << "the editor closed unchanged";
    QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(doc.Cars()[1][1], "17");

    grid->selectionModel()->select(QItemSelection(Model().index(0, 1), Model().index(1, 2)),
                                   QItemSelectionModel::ClearAndSelect);
    QTest::keySequence(grid, QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), "1500\t2\n17\t2\n");

    // Characters the 8-bit file cannot hold are refused, typed or pasted, never turned into "?".
    grid->setCurrentIndex(Model().index(1, 1));
    editor = &EditorOpenedBy(Qt::Key_2);
    test::TypeText(*editor, QString::fromUtf8("\u20AC"));
    EXPECT_EQ(editor->text(), "2");
    QTest::keyClick(editor, Qt::Key_Escape);
    QApplication::clipboard()->setText(QString::fromUtf8("9\u4E2D"));
    services.answers = {Answer::Ok};
    QTest::keySequence(grid, QKeySequence::Paste);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("8-bit"), std::string::npos);
    EXPECT_EQ(doc.Cars()[1][1], "17");
}
