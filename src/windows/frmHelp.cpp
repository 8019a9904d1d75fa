#include "windows/frmHelp.h"

#include "files/file_read.h"

#include <algorithm>
#include <string_view>

namespace kestrix {

using platform::MarkdownView;

std::vector<std::string> ManualPlaces(const std::string& programFolder) {
    std::vector<std::string> places;
    // KESTRIX_MANUAL_FROM_PROGRAM: the install rules' way from the program's folder to the manual's.
    for (std::string_view way : {std::string_view("manual"), std::string_view(KESTRIX_MANUAL_FROM_PROGRAM)}) {
        std::string folder = programFolder;
        for (; way.starts_with("../"); way.remove_prefix(3))
            folder = FolderOf(folder);
        const std::string place = InFolder(InFolder(folder, std::string(way)), "manual.md");
        if (std::find(places.begin(), places.end(), place) == places.end())
            places.push_back(place);
    }
    return places;
}

ManualFile FindManual(const std::string& programFolder, FileOperations& files) {
    ManualFile manual;
    for (const std::string& place : ManualPlaces(programFolder)) {
        FileRead read = ReadFileBytes(place, files);
        if (read.error.empty()) {
            manual.path = place;
            manual.text = std::move(read.bytes);
            return manual;
        }
        manual.failures.push_back(std::move(read.error));
    }
    return manual;
}

namespace {

// What the window shows instead of a manual it did not find.
std::string NotFoundText(const std::vector<std::string>& failures) {
    std::string text = "# The manual was not found\n\nThe editor looked for it here:\n\n";
    for (const std::string& failure : failures)
        text += "    " + failure + "\n";
    return text;
}

// "https:", "mailto:"; a drive letter is no scheme.
bool HasScheme(std::string_view target) {
    const std::size_t colon = target.find(':');
    return colon != std::string_view::npos && colon > 1 && colon < target.find('/');
}

} // namespace

frmHelp::frmHelp(platform::Services& services, ManualFile manual) : Window("frmHelp"), services_(services) {
    const bool found = !manual.path.empty();
    SetCaption(found ? "Kestrix Manual" : "Kestrix Manual (not found)");
    SetResizable(true);
    SetMinMaxBoxes(true);
    cmdBack.SetCaption("&Back");
    cmdBack.SetTip("Back to where you were before the last link (Alt+Left)");
    lblFind.SetCaption("&Find:");
    platform::NameAfter(txtFind, lblFind);
    cmdFindNext.SetCaption("Find &Next");
    cmdFindNext.SetTip("The next place the text is found (Enter in the field, F3)");
    rtbManual.SetSpokenName("Kestrix Manual");
    rtbManual.SetMarkdown(found ? std::move(manual.text) : NotFoundText(manual.failures),
                          found ? FolderOf(manual.path) : std::string());
    cmdBack.Click = [this] { cmdBack_Click(); };
    cmdFindNext.Click = [this] { cmdFindNext_Click(); };
    txtFind.Commit = [this] { cmdFindNext_Click(); };
    txtFind.Revert = [this] { txtFind_Revert(); };
    rtbManual.LinkClicked = [this](const std::string& target) { rtbManual_LinkClick(target); };
    FunctionKeys.emplace_back(3, &cmdFindNext);
    OwnKeys.emplace_back(platform::Shortcut::CtrlF, [this] { FindKey(); });
    OwnKeys.emplace_back(platform::Shortcut::AltLeft, [this] { cmdBack_Click(); });
    Focus.Join({&txtFind, &cmdFindNext, &cmdBack, &rtbManual});
    KeyboardOrder = {&txtFind, &cmdFindNext, &cmdBack, &rtbManual};
    ShowBackEnabled();
    rtbManual.SetFocus();
}

// A heading of the manual is shown at the top; anything else goes to the desktop: a web address as it
// is, a file as named from the manual's folder.
void frmHelp::rtbManual_LinkClick(const std::string& target) {
    if (!target.starts_with('#')) {
        services_.OpenWithDesktop(
            HasScheme(target) || IsAbsolute(target) ? target : InFolder(rtbManual.Folder(), target));
        return;
    }
    const std::optional<std::size_t> heading = rtbManual.HeadingAt(std::string_view(target).substr(1));
    if (!heading) {
        lblFound.SetCaption("The manual has no part \"" + target + "\".");
        return;
    }
    places_.push_back(rtbManual.Top());
    rtbManual.ScrollTo(*heading);
    ShowBackEnabled();
}

void frmHelp::cmdBack_Click() {
    if (places_.empty())
        return;
    rtbManual.ScrollTo(places_.back());
    places_.pop_back();
    ShowBackEnabled();
}

void frmHelp::cmdFindNext_Click() {
    if (txtFind.Text().empty()) {
        FindKey();
        return;
    }
    switch (rtbManual.FindNext(txtFind.Text())) {
    case MarkdownView::Found::Yes:
        lblFound.SetCaption("");
        break;
    case MarkdownView::Found::FromTheStart:
        lblFound.SetCaption("Found again from the start.");
        break;
    case MarkdownView::Found::No:
        lblFound.SetCaption("\"" + txtFind.Text() + "\" is not in the manual.");
        break;
    }
}

void frmHelp::FindKey() {
    txtFind.SetFocus();
    txtFind.Select(0, txtFind.Text().size());
}

void frmHelp::txtFind_Revert() {
    lblFound.SetCaption("");
    rtbManual.Select(rtbManual.SelStart(), 0);
    rtbManual.SetFocus();
}

} // namespace kestrix
