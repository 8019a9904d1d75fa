#include "model/number.h"
#include "model/stat_names.h"
#include "platform/control_probes.h"
#include "platform/grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace kestrix::platform;

namespace {

using Strings = std::vector<std::string>;

// Rows of cells, with errors by cell.
struct Cells : GridSource {
    std::vector<Strings> rows, errors;
    int RowCount() const override { return static_cast<int>(rows.size()); }
    std::string_view Text(int row, int column) const override { return rows.at(row).at(column); }
    std::string_view Error(int row, int column) const override {
        return errors.empty() ? std::string_view() : std::string_view(errors.at(row).at(column));
    }
    bool RowHasError(int row) const override { return !errors.empty() && errors.at(row) != Strings(3); }
    bool Changed(int, int) const override { return false; }
};

class GridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cells.rows = {{"delta", "1500", "F"},   {"Alpha", "abc", "R"}, {"charlie", "-2", "4"},
                      {"bravo", "1500", "r"},   {"ALPHA2", "", "F"},   {"echo", "1e3", "f"},
                      {"foxtrot", "+10.5", "R"}};
        std::vector<GridColumn> columns(3);
        columns[0].header = "Name";
        columns[0].editing = GridColumn::Editing::ReadOnly;
        columns[1].header = "Mass";
        columns[1].sort = GridColumn::Sort::Number;
        columns[2].header = "Drive";
        columns[2].editing = GridColumn::Editing::Choice;
        columns[2].stored = {"F", "R", "4"};
        grid.SetColumns(columns);
        grid.SetSource(&cells);
        grid.CellsEdited = [this](const std::vector<GridEdit>& made) { edits.push_back(made); };
        grid.PasteRefused = [this](Grid::Refusal refusal) { refusals.push_back(refusal); };
    }
    Strings Shown(int column) const {
        Strings texts;
        for (int row = 0; row < grid.RowCount(); ++row)
            texts.emplace_back(grid.Text(row, column));
        return texts;
    }
    void SelectFrom(int row, int column) { grid.UserSelects({{row, column, row, column}}, {row, column}); }
    static GridRange Spanned(GridCell a, GridCell b) {
        return {std::min(a.row, b.row), std::min(a.column, b.column), std::max(a.row, b.row),
                std::max(a.column, b.column)};
    }

    Cells cells;
    Grid grid{"grdCars", kestrix::PlainNumber, [](std::string_view name, std::string& problem) {
                  static constexpr std::string_view kNames[] = {"Name", "Mass", "Drive"};
                  kestrix::NamedColumn named = kestrix::ColumnNamed(name, kNames);
                  problem = named.problem;
                  return named.column;
              }};
    std::vector<std::vector<GridEdit>> edits;
    std::vector<Grid::Refusal> refusals;
};

} // namespace

// The car table sorts by the number a bulk edit works on: "+10.5" is a number.
TEST_F(GridTest, NumbersSortByValueWithTheRestLastNextErrorFollowsTheOrderShownAndTheFilterSaysWhy) {
    grid.UserClicksHeader(1);
    EXPECT_EQ(Shown(1), (Strings{"-2", "+10.5", "1e3", "1500", "1500", "", "abc"}));
    grid.UserClicksHeader(1);
    EXPECT_EQ(grid.SortOrder(), Grid::Order::Descending);
    EXPECT_EQ(Shown(1), (Strings{"1500", "1500", "1e3", "+10.5", "-2", "", "abc"}))
        << "reversed, but the cells that are no number stay last";

    grid.UserClicksHeader(2);
    EXPECT_EQ(grid.SortOrder(), Grid::Order::Ascending) << "another column starts ascending";
    EXPECT_EQ(Shown(2), (Strings{"4", "F", "F", "f", "R", "R", "r"})) << "text without regard to case";
    grid.UserClicksHeader(2);
    EXPECT_EQ(Shown(0), (Strings{"bravo", "Alpha", "foxtrot", "echo", "delta", "ALPHA2", "charlie"}))
        << "text reversed, ties still in the source's order";
    grid.UserClicksHeader(2);
    EXPECT_EQ(grid.SortColumn(), -1) << "a third click: the source's order again";
    EXPECT_EQ(Shown(0), (Strings{"delta", "Alpha", "charlie", "bravo", "ALPHA2", "echo", "foxtrot"}));

    // A view hears of new values, so that it paints them.
    kestrix::test::RecordingView view;
    grid.AttachView(&view);
    grid.ValuesChanged();
    EXPECT_EQ(view.refreshed, std::vector<Aspect>{Aspect::Value});
    grid.AttachView(nullptr);

    cells.errors.assign(cells.rows.size(), Strings(3));
    cells.errors[1][2] = "bad";
    cells.errors[4][1] = "empty";
    cells.errors[4][2] = "bad";
    grid.UserClicksHeader(0); // Alpha, ALPHA2, bravo, ...
    std::vector<GridCell> visited;
    for (int i = 0; i < 4; ++i) {
        grid.UserGoesToNextError();
        visited.push_back(grid.Current());
        EXPECT_EQ(grid.SelectedCells(), (std::vector<GridCell>{grid.Current()}));
    }
    EXPECT_EQ(visited, (std::vector<GridCell>{{0, 2}, {1, 1}, {1, 2}, {0, 2}}));

    grid.SetSort(-1, Grid::Order::Ascending);
    const auto kept = [this](const std::string& filter) {
        grid.SetFilter(filter);
        EXPECT_EQ(grid.FilterProblem(), "") << filter;
        return Shown(0);
    };
    EXPECT_EQ(kept("alp"), (Strings{"Alpha", "ALPHA2"})) << "a name part, without regard to case";
    EXPECT_EQ(kept("Mass > 100"), (Strings{"delta", "bravo", "echo"})) << "1e3 is a number too";
    EXPECT_EQ(kept("mass<=10.5"), (Strings{"charlie", "foxtrot"}))
        << "no blank needed; no number is no match";
    EXPECT_EQ(kept("#2 = r"), (Strings{"Alpha", "bravo", "foxtrot"}))
        << "by number, text without regard to case";
    EXPECT_EQ(kept("dri != R and ma >= 1500"), (Strings{"delta"})) << "a name's start, and both conditions";
    EXPECT_EQ(kept("Mass = 1500 AND o"), (Strings{"bravo"})) << "a name part beside a condition";
    EXPECT_EQ(kept("Mass = abc"), (Strings{"Alpha"}));

    for (const char* unreadable : {"Weight > 1", "#3 = 1", "Mass >", "= 5", "Mass > heavy", "Mass > 1 and"}) {
        grid.SetFilter(unreadable);
        EXPECT_NE(grid.FilterProblem(), "") << unreadable;
        EXPECT_EQ(grid.RowCount(), 7) << unreadable << " filters nothing";
    }
}

TEST_F(GridTest, EditsAndPastesGoOutByTheSourceRowWholeOrNotAtAllAndCopiedRowsPasteBackByTheirHeaders) {
    grid.SetSort(1, Grid::Order::Descending);
    grid.UserEdits(0, 1, " 16 00\t");
    grid.UserEdits(0, 1, " ");
    grid.UserEdits(0, 0, "NEWNAME");
    grid.UserPicks(1, 2, 2);
    grid.UserPicks(1, 2, 3);
    ASSERT_EQ(edits.size(), 2u)
        << "an empty value, the name column and a choice that does not exist do nothing";
    EXPECT_EQ(edits[0], (std::vector<GridEdit>{{0, 1, "1600"}}));
    EXPECT_EQ(edits[1], (std::vector<GridEdit>{{3, 2, "4"}}));

    grid.SetSort(-1, Grid::Order::Ascending);
    SelectFrom(1, 1);
    grid.UserPastes("1\tR\r\n2\t4\r\n");
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[2], (std::vector<GridEdit>{{1, 1, "1"}, {1, 2, "R"}, {2, 1, "2"}, {2, 2, "4"}}));
    for (const auto& [row, column, text] : std::initializer_list<std::tuple<int, int, const char*>>{
             {5, 1, "1\n2\n3"}, {1, 2, "F\tF"}, {0, 0, "x\t1"}, {0, 1, "1\t\n"}, {0, 1, "1 2"}}) {
        SelectFrom(row, column);
        grid.UserPastes(text);
    }
    EXPECT_EQ(edits.size(), 3u) << "nothing of a refused paste goes through";
    grid.UserSelects({{0, 1, 6, 1}}, {6, 1}); // as Ctrl+Shift+Down leaves it
    grid.UserPastes("7\n8");
    ASSERT_EQ(edits.size(), 4u);
    EXPECT_EQ(edits[3], (std::vector<GridEdit>{{0, 1, "7"}, {1, 1, "8"}})) << "from the block's top";
    EXPECT_EQ(refusals, (std::vector<Grid::Refusal>{Grid::Refusal::OutsideGrid, Grid::Refusal::OutsideGrid,
                                                    Grid::Refusal::ReadOnlyColumn, Grid::Refusal::BlankValue,
                                                    Grid::Refusal::BlankValue}));

    edits.clear();
    refusals.clear();
    grid.UserSelects({{1, 1, 2, 1}, {2, 2, 2, 2}}, {1, 1});
    EXPECT_EQ(grid.SelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(grid.CopyText(), "abc\t\n-2\t4\n") << "an unselected cell between others stays empty";
    grid.UserClicksHeader(1); // any order: the header line, not the place, decides the columns
    EXPECT_EQ(grid.CopyText(), "") << "a new order clears the selection";
    grid.UserSelects({{3, 0, 4, 2}}, {3, 0});
    const std::string copied = grid.CopyText();
    EXPECT_EQ(copied, "Name\tMass\tDrive\ndelta\t1500\tF\nbravo\t1500\tr\n")
        << "whole rows come with the headers";

    grid.UserSelects({{3, 1, 3, 1}}, {3, 1}); // the current cell's column does not matter
    grid.UserPastes(copied);
    ASSERT_EQ(edits.size(), 1u) << "names equal to the target rows' are no change";
    for (const GridEdit& edit : edits[0]) {
        EXPECT_NE(edit.column, 0);
        EXPECT_EQ(edit.value, cells.rows.at(edit.row).at(edit.column)) << "each value back in its own cell";
    }
    SelectFrom(4, 0);
    grid.UserPastes(copied);
    EXPECT_EQ(refusals, (std::vector<Grid::Refusal>{Grid::Refusal::ReadOnlyColumn})) << "other cars' names";

    // A spreadsheet's columns in another order, with a line end of its own.
    SelectFrom(0, 2);
    grid.UserPastes("drive\tMASS\r\nR\t900\r\n");
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[1], (std::vector<GridEdit>{{grid.SourceRow(0), 2, "R"}, {grid.SourceRow(0), 1, "900"}}));
    grid.UserPastes("Drive\tWeight\nR\t900");
    EXPECT_EQ(refusals.size(), 2u)
        << "a line that is not all headers is values, here reaching past the last column";
}

// Whatever the keys, the filter and the sort, the selection is the one rectangle from the anchor,
// which stays selected, to the current cell, over the shown rows; a drag grows from where it
// started, a move without Shift and a column, a row or all make the current cell the anchor.
TEST_F(GridTest, TheSelectionIsTheRectangleFromTheAnchorToTheCurrentCell) {
    using Reach = Grid::Reach;
    std::mt19937 random(11);
    const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    cells.rows.clear();
    for (int row = 0; row < 61; ++row)
        cells.rows.push_back({"car" + std::to_string(row), std::to_string(below(100)), row % 3 ? "F" : "R"});
    grid.SetSource(&cells);
    const char* filters[] = {"", "Mass > 40", "Drive = R", "car1"};
    for (int round = 0; round < 40; ++round) {
        grid.SetFilter(filters[round % 4]);
        grid.SetSort(below(4) - 1, below(2) ? Grid::Order::Ascending : Grid::Order::Descending);
        const int rows = grid.RowCount();
        const int last = grid.ColumnCount() - 1;
        GridCell anchor{below(rows), below(3)};
        SelectFrom(anchor.row, anchor.column);
        GridCell current = anchor;
        for (int step = 0; step < 30; ++step) {
            const int what = below(29);
            const int page = 1 + below(12);
            if (what < 12 || what >= 17) {
                const auto reach = static_cast<Reach>(what % 17);
                what < 12 ? grid.UserExtends(reach, page) : grid.UserMoves(reach, page);
                // Where each reach ends, worked out on its own.
                const int rowsBy[] = {-1, 1, 0, 0, -page, page, -rows, rows, 0, 0, -rows, rows};
                const int columnsBy[] = {0, 0, -1, 1, 0, 0, 0, 0, -3, 3, -3, 3};
                current = {std::clamp(current.row + rowsBy[what % 17], 0, rows - 1),
                           std::clamp(current.column + columnsBy[what % 17], 0, last)};
                anchor = what < 12 ? anchor : current; // without Shift, the cell reached alone
            } else if (what >= 15) {
                // A drag, or Shift and a click: the far corner is where the pointer is.
                anchor = what == 15 ? GridCell{below(rows), below(3)} : anchor;
                current = {below(rows), below(3)};
                what == 15 ? grid.UserSelects({Spanned(anchor, current)}, current)
                           : grid.UserExtendsTo(current);
            }
            GridRange expected = Spanned(anchor, current);
            if (what >= 12 && what < 15) {
                anchor = current;
                expected = what == 12   ? GridRange{0, current.column, rows - 1, current.column}
                           : what == 13 ? GridRange{current.row, 0, current.row, last}
                                        : GridRange{0, 0, rows - 1, last};
                what == 12   ? grid.UserSelectsColumn()
                : what == 13 ? grid.UserSelectsRow()
                             : grid.UserSelectsAll();
            }
            ASSERT_EQ(grid.Selection().size(), 1u);
            const GridRange got = grid.Selection()[0];
            ASSERT_EQ(std::tie(got.top, got.left, got.bottom, got.right),
                      std::tie(expected.top, expected.left, expected.bottom, expected.right))
                << "round " << round << " step " << step << " key " << what;
            ASSERT_EQ(grid.Current(), current);
            ASSERT_EQ(grid.Anchor(), anchor);
            const std::vector<GridCell> selected = grid.SelectedCells();
            ASSERT_NE(std::find(selected.begin(), selected.end(), anchor), selected.end());
            ASSERT_EQ(selected.size(), static_cast<std::size_t>((expected.bottom - expected.top + 1) *
                                                                (expected.right - expected.left + 1)));
        }
    }
    grid.SetFilter("Mass > 1000");
    grid.UserExtends(Reach::End);
    grid.UserSelectsAll();
    EXPECT_EQ(grid.SelectedCells().size(), 0u) << "no row shown, nothing selected";
}
