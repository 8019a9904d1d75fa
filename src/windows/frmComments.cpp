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

// One sentence about the lines of both fields that share a fate.
std::string LinesNote(const std::vector<int>& before, const std::vector<int>& after, std::string_view one,
                      std::string_view many) {
    std::string parts;
    if (!before.empty())
        parts = BlockPart("Before stats", before);
    if (!after.empty())
        parts += (parts.empty() ? "" : " and ") + BlockPart("After stats", after);
    if (parts.empty())
        return {};
    return parts + std::string(before.size() + after.size() == 1 ? one : many);
}

// The lines of a comments field, each without its line end.
template <typename Take> void ForEachShownLine(std::string_view shown, Take&& take) {
    for (int number = 1; !shown.empty(); ++number) {
        const std::size_t end = std::min(shown.find("\r\n"), shown.size());
        take(number, shown.substr(0, end));
        shown.remove_prefix(std::min(end + 2, shown.size()));
    }
}

} // namespace

std::vector<int> EditorMarkLines(std::string_view shown) {
    std::vector<int> lines;
    ForEachShownLine(shown, [&lines](int number, std::string_view line) {
        if (line.starts_with(kEditorPrefix))
            lines.push_back(number);
    });
    return lines;
}

std::vector<int> EmptyLines(std::string_view shown) {
    std::vector<int> lines;
    ForEachShownLine(shown, [&lines](int number, std::string_view line) {
        if (line.empty())
            lines.push_back(number);
    });
    return lines;
}

std::string CommentsKept(std::string_view shown) {
    std::string kept;
    ForEachShownLine(shown, [&kept](int, std::string_view line) {
        if (line.empty())
            return;
        if (line.starts_with(kEditorPrefix))
            kept.append("; ").append(line.substr(1));
        else
            kept.append(line);
        kept.push_back('\r');
    });
    return kept;
}

namespace {

// The field of each text of the document, and how the field shows it.
struct CommentField {
    platform::TextField frmComments::*field;
    DocumentText text;
};

constexpr CommentField kFields[] = {
    {&frmComments::txtBefore, DocumentText::BeforeComments},
    {&frmComments::txtAfter, DocumentText::AfterComments},
    {&frmComments::txtAuthor, DocumentText::Author},
};

std::string Shown(const HandlingDocument& doc, DocumentText text) {
    return text == DocumentText::Author ? doc.Author : CommentsShown(TextIn(doc, text));
}

std::string Kept(const std::string& shown, DocumentText text) {
    return text == DocumentText::Author ? shown : CommentsKept(shown);
}

std::string CommentsNote(std::string_view before, std::string_view after) {
    std::string note = LinesNote(LinesReadAsCars(before), LinesReadAsCars(after), " will read back as a car",
                                 " will read back as cars");
    if (!note.empty())
        note += ": a comment line starts with \";\".";
    const std::string marks =
        LinesNote(EditorMarkLines(before), EditorMarkLines(after), " begins with the editor's own \";-#\"",
                  " begin with the editor's own \";-#\"");
    if (!marks.empty())
        note += (note.empty() ? "" : " ") + marks + ": kept as \"; -#\".";
    const std::string empty = LinesNote(EmptyLines(before), EmptyLines(after), " is empty", " are empty");
    if (!empty.empty())
        note += (note.empty() ? "" : " ") + empty + ": left out, as a file has no empty comment line.";
    return note;
}

} // namespace

std::string CommentsShown(std::string_view stored) {
    return ReplaceAll(stored, "\r", "\r\n");
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
    NameAfter(txtBefore, lblComments[0]);
    NameAfter(txtAfter, lblComments[2]);
    NameAfter(txtAuthor, lblComments[3]);
    cmdOK.SetCaption("&OK");
    cmdClose.SetCaption("&Cancel");
    CancelButton = &cmdClose;
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdClose.Click = [this] { cmdClose_Click(); };
    for (const CommentField& shown : kFields)
        (this->*shown.field).Change = [this, text = shown.text] {
            if (!filling_)
                typed_[static_cast<std::size_t>(text)] = true;
            if (text != DocumentText::Author) // the note is about the comment lines
                txtComments_Change();
        };
    // The author is one line of the file: a line end in it would start a car line.
    txtAuthor.SetRefusedCharacters("\r\n");
    for (platform::TextField* field : {&txtBefore, &txtAfter, &txtAuthor})
        field->Refused = [this](platform::TextField::Refusal refusal) { txtComments_Refused(refusal); };
    Focus.Join({&cmdOK, &cmdClose, &txtBefore, &txtAfter, &txtAuthor});
    KeyboardOrder = {&cmdOK, &cmdClose, &txtBefore, &txtAfter, &txtAuthor};
    cmdOK.SetFocus();
    doc_.Observe(*this);
}

frmComments::~frmComments() {
    doc_.Forget(*this);
}

void frmComments::Fill() {
    ShowTexts(false);
}

void frmComments::ShowTexts(bool keepTyping) {
    filling_ = true;
    for (const CommentField& shown : kFields) {
        bool& typed = typed_[static_cast<std::size_t>(shown.text)];
        if (!keepTyping || !typed)
            (this->*shown.field).SetText(Shown(doc_.Data(), shown.text));
        typed = typed && keepTyping;
    }
    filling_ = false;
}

void frmComments::DocumentChanged(const DocumentEvent& event) {
    if (event.kind == DocumentEvent::Kind::Read || (event.change && !event.change->texts.empty()))
        ShowTexts(true);
}

void frmComments::txtComments_Change() {
    lblCarLines.SetCaption(CommentsNote(txtBefore.Text(), txtAfter.Text()));
}

void frmComments::txtComments_Refused(platform::TextField::Refusal refusal) {
    lblCarLines.SetCaption(refusal == platform::TextField::Refusal::Separator
                               ? "Not taken: the author is one line of the file."
                               : "Not taken: the file holds 8-bit characters only.");
}

void frmComments::cmdOK_Click() {
    doc_.CommitPendingEdits();
    std::vector<std::pair<DocumentText, std::string>> texts;
    for (const CommentField& shown : kFields)
        texts.emplace_back(shown.text, Kept((this->*shown.field).Text(), shown.text));
    Change change = TextsChange(doc_.Data(), texts, "Edit Comments");
    // OK marks the file changed even when nothing was edited: a step like any other, which undo takes back.
    if (change.Empty())
        change.texts.push_back({DocumentText::Author, doc_.Data().Author, doc_.Data().Author});
    doc_.Commit(std::move(change));
    Unload();
}

void frmComments::cmdClose_Click() {
    Unload();
}

} // namespace kestrix
