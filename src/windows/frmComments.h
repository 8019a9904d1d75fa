#pragma once

#include "document/document.h"
#include "platform/window.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// The document keeps comment lines ended by CR; a multi-line field shows CR LF
// as a line break. Only these exact pairs are converted: a lone LF, or a CR
// without its LF, stays as it is.
std::string CommentsShown(std::string_view stored);

// The lines of a comments field (counted from 1) that a save and a new reading
// would turn into cars instead of comments.
std::vector<int> LinesReadAsCars(std::string_view shown);
// The lines that begin with ";-#", the mark of the editor's own header lines.
std::vector<int> EditorMarkLines(std::string_view shown);
std::vector<int> EmptyLines(std::string_view shown);
// The comment block a field keeps in the document, as a save writes it and
// a reading gives it back: empty lines left out, and a blank after the ";"
// of a line that begins with ";-#", so that it stays a comment.
std::string CommentsKept(std::string_view shown);

// The comments before and after the car lines and the author, edited beside
// the main window. Confirming writes them into the document open at that moment.
// A field the user has not typed in follows the document (an undo, another
// file read); one with typing keeps it until it is confirmed or dropped.
class frmComments : public platform::Window, private DocumentObserver {
  public:
    explicit frmComments(Document& doc);
    ~frmComments() override;

    // Fills the three fields from the document, dropping whatever was typed.
    void Fill();

    // Labels 3, 0, 1, 2: author, before, the place of the cars, after.
    std::array<platform::Label, 4> lblComments;
    platform::TextField txtAuthor{"txtAuthor"};
    platform::TextField txtBefore{"txtBefore", platform::TextField::Lines::Multi};
    platform::TextField txtAfter{"txtAfter", platform::TextField::Lines::Multi};
    // Names the lines that are not kept as typed, and what was not taken; empty when all is well.
    platform::Label lblCarLines{"lblCarLines"};
    platform::Button cmdOK{"cmdOK"};
    platform::Button cmdClose{"cmdClose"};

    void cmdOK_Click();
    void cmdClose_Click();
    void txtComments_Change();
    void txtComments_Refused(platform::TextField::Refusal refusal);

  private:
    void DocumentChanged(const DocumentEvent& event) override;
    void ShowTexts(bool keepTyping);

    Document& doc_;
    // The fields typed in since they were filled, by DocumentText.
    std::array<bool, 3> typed_{};
    bool filling_ = false;
};

} // namespace kestrix
