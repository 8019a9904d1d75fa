#pragma once

#include "compare/file_compare.h"
#include "document/cars_in.h"
#include "document/document.h"
#include "platform/services.h"
#include "platform/window.h"

#include <string>
#include <vector>

namespace kestrix {

// The differences between the open document and another file, beside the main
// window, grouped by car: the other file's values can be taken into the
// document, a value, a car or all at once. The other file is never written.
class frmCompareFiles : public platform::Window, private DocumentObserver {
  public:
    frmCompareFiles(Document& doc, platform::Services& services, ParsedHandlingFile other,
                    std::string otherPath);
    ~frmCompareFiles() override;

    void Form_Load();

    platform::Label lblFiles{"lblFiles"};
    platform::ColumnList lvDifferences;
    platform::CheckBox chkDifferent{"chkDifferent"};
    platform::Label lblSummary{"lblSummary"};
    platform::Button cmdTakeValue{"cmdTakeValue"};
    platform::Button cmdTakeCar{"cmdTakeCar"};
    platform::Button cmdTakeAll{"cmdTakeAll"};
    platform::Button cmdClose{"cmdClose"};

    // What a row of the list is about: a car's heading (no column), one of its
    // values, or a block of the file (neither car).
    struct Line {
        int docRow = -1;   // -1: the car is only in the other file
        int otherRow = -1; // -1: the car is only in the open document
        int column = -1;   // -1: the car's heading
        // A value that differs, a car in one file only, or a block: what a take follows on to.
        bool differs = false;
        bool SamePlace(const Line& other) const {
            return docRow == other.docRow && otherRow == other.otherRow && column == other.column;
        }
    };
    const std::vector<Line>& Lines() const { return lines_; }

    // The main window tells after each change of the document.

    // Handlers.
    void chkDifferent_Click();
    void lvDifferences_DblClick();
    void cmdTakeValue_Click();
    void cmdTakeCar_Click();
    void cmdTakeAll_Click();
    void cmdClose_Click();

  private:
    void Compare();
    void Fill();
    void AddCar(std::vector<std::string>& cells, int docRow, int otherRow, std::string_view status,
                const std::vector<int>& differing, bool onlyDifferent);
    void AddBlocks(std::vector<std::string>& cells);
    // The other file's car over the car of this doc row: the values that
    // differ, of one stat or, with only -1, of every stat.
    CarIn TakenCar(int docRow, int otherRow, int only) const;
    // Take Value and Take Car: the selected value, or the whole car of the selected line.
    void TakeSelected(bool wholeCar);
    void Take(std::vector<CarIn> cars);
    // After a take: the first of the differences that followed the taken line and are still there.
    void SelectNextDifference(const std::vector<Line>& following);
    const Line* SelectedLine() const;

    void DocumentChanged(const DocumentEvent& event) override;
    Document& doc_;
    platform::Services& services_;
    ParsedHandlingFile other_;
    std::string otherPath_;
    FileDifference difference_;
    std::vector<Line> lines_;
    bool taking_ = false;
};

} // namespace kestrix
