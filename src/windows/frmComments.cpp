#include "windows/frmComments.h"

#include "handling_file/handling_format.h"

namespace kestrix {

namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t start = 0;
    for (std::size_t found = text.find(from); found != std::string_view::npos;
         found = text.find(from, start)) {
        out.append(text.substr(start, found - start)).append(to);
        start = found + from.size();
    }
    out.append(text.substr(start));
    return out;
}

// Long lists of lines are cut short: the first few tell the user where to look.
constexpr std::size_t kLinesNamed = 8;

std::string LineList(const std::vector<int>& lines) {
    std::string list;
    for (std::size_t i = 0; i < lines.size() && i < kLinesNamed; ++i)
        list += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    if (lines.size() > kLinesNamed)
        list += ", ...";
    return list;
}

std::string BlockPart(std::string_view block, const std::vector<int>& lines) {
    return std::string(block) + (lines.size() == 1 ? " line " : " lines ") + LineList(lines);
}

std::string CarLinesNote(const std::vector<int>& before, const std::vector<int>& after) {
    std::string parts;
    if (!before.empty())
        parts = BlockPart("Before stats", before);
    if (!after.empty())
        parts += (parts.empty() ? "" : " and ") + BlockPart("After stats", after);
    if (parts.empty())
        return {};
    const bool one = before.size() + after.size() == 1;
    return parts + (one ? " will read back as a car" : " will read back as cars") +
           ": a comment line starts with \";\".";
}

} // namespace

std::string CommentsShown(std::string_view stored) {
    return ReplaceAll(stored, "\r", "\r\n");
}

std::string CommentsStored(std::string_view shown) {
    return ReplaceAll(shown, "\r\n", "\r");
}

std::vector<int> LinesReadAsCars(std::string_view shown) {
    std::vector<int> lines;
    int number = 1;
    while (!shown.empty()) {
        const std::size_t end = std::min(shown.find("\r\n"), shown.size());
        // Written as the save writes it and read as a file is read: a lone CR
        // or LF inside the line ends a line there too.
        std::string written;
        AppendCommentLines(written, shown.substr(0, end));
        const ParseResult read = ParseHandlingText(written);
        if (!read.file.Cars.empty() || !read.error.empty())
            lines.push_back(number);
        shown.remove_prefix(std::min(end + 2, shown.size()));
        ++number;
    }
    return lines;
}

frmComments::frmComments(Document& doc)
    : Window("frmComments"), lblComments{platform::Label("lblComments0"), platform::Label("lblComments1"),
                                         platform::Label("lblComments2"), platform::Label("lblComments3")},
      doc_(doc) {
    SetCaption("Comments");
    lblComments[0].SetCaption("Before stats :");
    lblComments[1].SetCaption("[ STATS GO IN HERE ]");
    lblComments[2].SetCaption("After stats :");
    lblComments[3].SetCaption("Author :");
    cmdOK.SetCaption("&OK");
    cmdClose.SetCaption("&Cancel");
    CancelButton = &cmdClose;
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    txtBefore.Change = [this] { txtComments_Change(); };
    txtAfter.Change = [this] { txtComments_Change(); };
    // The author is one line of the file: a line end in it would start a car line.
    txtAuthor.SetRefusedCharacters("\r\n");
    Focus.Join({&cmdOK, &cmdClose, &txtBefore, &txtAfter, &txtAuthor});
    KeyboardOrder = {&cmdOK, &cmdClose, &txtBefore, &txtAfter, &txtAuthor};
    cmdOK.SetFocus();
}

void frmComments::Fill() {
    txtBefore.SetText(CommentsShown(doc_.Data().BeforeComments));
    txtAfter.SetText(CommentsShown(doc_.Data().AfterComments));
    txtAuthor.SetText(doc_.Data().Author);
}

void frmComments::txtComments_Change() {
    lblCarLines.SetCaption(CarLinesNote(LinesReadAsCars(txtBefore.Text()), LinesReadAsCars(txtAfter.Text())));
}

void frmComments::cmdOK_Click() {
    doc_.CommitPendingEdits();
    doc_.Commit(TextsChange(doc_.Data(),
                            {{DocumentText::BeforeComments, CommentsStored(txtBefore.Text())},
                             {DocumentText::AfterComments, CommentsStored(txtAfter.Text())},
                             {DocumentText::Author, txtAuthor.Text()}},
                            "Edit Comments"));
    Unload();
}

void frmComments::cmdClose_Click() {
    Unload();
}

} // namespace kestrix
