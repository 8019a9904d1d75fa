#pragma once

#include "document/document.h"
#include "platform/window.h"

#include <vector>

namespace kestrix {

// Every value that differs from the file as last saved, and the cars added
// and deleted since, beside the main window; kept current with the document.
class frmChanges : public platform::Window, private DocumentObserver {
  public:
    explicit frmChanges(Document& doc);
    ~frmChanges() override;

    platform::Label lblCount{"lblCount"};
    platform::ColumnList lvChanges;
    platform::Button cmdRevert{"cmdRevert"};
    platform::Button cmdClose{"cmdClose"};

    // The list as the document is now.
    void Fill();

    void lvChanges_DblClick();
    void cmdRevert_Click();
    void cmdClose_Click();

    // The most rows the list holds; the count above it says how many more there are.
    static constexpr int kMostRows = 32767;

  private:
    void DocumentChanged(const DocumentEvent& event) override;

    // What a row of the list stands for: a value (row and column), an added car
    // (column -1) or a deleted car (row -1, the saved row in column).
    struct Entry {
        int row = -1;
        int column = -1;
    };
    Document& doc_;
    std::vector<Entry> entries_;
};

} // namespace kestrix
