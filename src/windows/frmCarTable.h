#pragma once

#include "compare/car_paste.h"
#include "document/document.h"
#include "model/formula.h"
#include "model/number.h"
#include "platform/grid.h"
#include "platform/services.h"
#include "platform/window.h"
#include "windows/car_focus.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kestrix {

// The stat a filter's condition names, as a formula names it.
int StatColumnNamed(std::string_view name, std::string& problem);

// Every car and every stat at once, beside the main window: sorted, filtered,
// edited in place and in bulk, copied to and pasted from spreadsheets. Every
// edit is a change of the document, and every change of the document shows here.
class frmCarTable : public platform::Window, private platform::GridSource, private DocumentObserver {
  public:
    // The table writes the cars it shows and has selected into focus, for the chart.
    frmCarTable(Document& doc, platform::Services& services, std::shared_ptr<CarFocus> focus = nullptr);
    ~frmCarTable() override;

    void Form_Load();

    platform::Label lblFilter{"lblFilter"};
    platform::TextField txtFilter{"txtFilter"};
    platform::CheckBox chkErrors{"chkErrors"};
    platform::Label lblFilterNote{"lblFilterNote"};
    platform::Label lblCount{"lblCount"};
    // Sorts and filters by the numbers a bulk edit works on, and names the stats as formulas do.
    platform::Grid grdCars{"grdCars", PlainNumber, StatColumnNamed};
    platform::Button cmdSetTo{"cmdSetTo"};
    platform::Button cmdAdd{"cmdAdd"};
    platform::Button cmdMultiply{"cmdMultiply"};
    platform::Button cmdCompare{"cmdCompare"};
    platform::Button cmdCopyLines{"cmdCopyLines"};
    // The lines of these cars as the file holds them (in the editor's form where
    // changed); the main window's file session writes them. None: nothing to copy.
    std::function<std::string(const std::vector<int>&)> CarLinesText;
    platform::Button cmdNextError{"cmdNextError"};

    // The tooltip of a stat's column header. The stat's name for now; its
    // meaning and unit belong here once the stat help exists.
    std::string HeaderTip(int column) const;

    // Another window's filter, written into the filter field for the user to read, change or clear.
    void ShowOnly(const std::string& filter);

    // The most cars the compare window shows side by side.
    static constexpr int kMostCompared = 50;

    // Handlers.
    void txtFilter_Change();
    void chkErrors_Click();
    void grdCars_CellsEdited(const std::vector<platform::GridEdit>& edits);
    void grdCars_CellsPasted(const std::vector<platform::GridEdit>& edits);
    void grdCars_PasteRefused(platform::Grid::Refusal refusal);
    bool grdCars_PasteTaken(std::string_view text);
    void Form_FilesDropped(const std::vector<std::string>& paths);
    void ShowPastePreview(CarPaste paste);
    void grdCars_RowHeaderDblClick(int row);
    void cmdSetTo_Click();
    void cmdAdd_Click();
    void cmdMultiply_Click();
    void cmdCompare_Click();
    void cmdCopyLines_Click();
    void cmdNextError_Click();
    // Alt+Up and Alt+Down: the selected cars one place up or down in the file, past the cars the
    // filter hides; only while the rows are in file order.
    void MoveCars(MoveDirection direction);

  protected:
    bool QueryUnload() override;

  private:
    int RowCount() const override { return static_cast<int>(doc_.Cars().size()); }
    std::string_view Text(int row, int column) const override {
        return doc_.Cars()[static_cast<std::size_t>(row)][column];
    }
    std::string_view Error(int row, int column) const override;
    bool RowHasError(int row) const override;
    bool Changed(int row, int column) const override { return doc_.IsChangedValue(row, column); }
    void DocumentChanged(const DocumentEvent& event) override;
    // A cell being typed in keeps its value before a change from elsewhere.
    void CommitPendingEdits() override { grdCars.KeepTyping(); }

    void MapErrors();
    void MarkError(std::size_t car, int column, std::size_t message);
    void ShowCount();
    // What a bulk edit works on: the number cells it changes, and what of the selection it leaves as it is.
    struct BulkCells {
        std::vector<platform::GridCell> cells;
        int textCells = 0;
        int notNumbers = 0; // Add and Multiply
    };
    BulkCells CellsFor(BulkOperation operation) const;
    std::string BulkPrompt(BulkOperation operation, const BulkCells& target) const;
    void BulkEdit(BulkOperation operation);
    // Each cell's formula worked out over its own value and its car as it is
    // now; false, with the first refusal told, when any is refused.
    bool WorkOutFormulas(std::vector<CellEdit>& edits, const std::string& caption);
    // The formula (typed as text) worked out over every cell of the edits.
    bool WorkOutFormula(const Formula& formula, const std::string& text, std::vector<CellEdit>& edits,
                        const std::string& caption);
    // The number of values it changed.
    std::size_t Commit(const std::vector<CellEdit>& edits, std::string caption);
    void ShowRows(bool rowsChanged);
    // The cars the filter keeps and those selected, into the focus the chart follows.
    void TellShownCars();
    void TellSelectedCars();
    // Closed, the table focuses on no cars.
    void LeaveFocus();
    void SelectCar(int row, int column);
    // The rows shown anew after a move, the selection kept on the cars it was on.
    void FollowMove(const Change& move, bool undone);

    Document& doc_;
    platform::Services& services_;
    std::shared_ptr<CarFocus> focus_;
    // Per car, one bit per column with an error; and each error cell (car * 32 + column)
    // with its message's place (in the error register or ownMessages_), in that order.
    std::vector<std::uint32_t> errorColumns_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> errorCells_;
    // Where the error register lists only some findings, or was filled from
    // other cars, the table checks every car itself and keeps the messages here.
    bool ownCheck_ = false;
    std::vector<std::string> ownMessages_;
};

} // namespace kestrix
