#pragma once

// A read-only view of a Markdown document: its links, the headings they name,
// the reader's place in it and finding text in it.

#include "platform/control.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::platform {

// The anchor a link names a heading by, made of the heading's text as GitHub makes it: lower case,
// blanks as "-", every other character but letters, digits, "-" and "_" left out (bytes of letters
// beyond ASCII kept as they are).
std::string HeadingAnchor(std::string_view heading);

// A heading, and where it starts in the text as shown.
struct Heading {
    std::string text;
    std::size_t position = 0;
    friend bool operator==(const Heading&, const Heading&) = default;
};

// The headings of Markdown as written: a line of one to six "#", a blank and the heading, outside
// fenced code; each at the position of its line.
std::vector<Heading> MarkdownHeadings(std::string_view markdown);

class MarkdownView : public Control {
  public:
    using Control::Control;
    void Accept(ControlVisitor& visitor) override { visitor.Visit(*this); }

    // The document, as UTF-8, and the folder of the pictures it names. Until a view tells how it
    // shows the document, the text shown is the Markdown as written.
    void SetMarkdown(std::string markdown, std::string folder);
    const std::string& Markdown() const { return markdown_; }
    const std::string& Folder() const { return folder_; }
    // The view tells what the reader sees of the document: its text (UTF-8) and the headings in it.
    void ViewShows(std::string text, std::vector<Heading> headings);
    const std::string& ShownText() const { return shown_; }
    const std::vector<Heading>& Headings() const { return headings_; }
    // Where the heading an anchor names starts; none when no heading makes that anchor.
    std::optional<std::size_t> HeadingAt(std::string_view anchor) const;

    // The reader's place: the position in the shown text at the top of the view.
    std::size_t Top() const { return top_; }
    // Takes the reader there, the cursor with them; the text found is no longer selected.
    void ScrollTo(std::size_t position);
    void UserScrolls(std::size_t top) { top_ = std::min(top, shown_.size()); }

    // The text found, selected (bytes of the shown text); a length of 0: none, the cursor at the start.
    std::size_t SelStart() const { return selStart_; }
    std::size_t SelLength() const { return selLength_; }
    void Select(std::size_t start, std::size_t length);

    enum class Found { Yes, FromTheStart, No };
    // Finds text (8-bit, as a field holds it; ASCII letters of either case) after the text found last,
    // else after the top of the view, and goes on from the start past the end; selects what it finds.
    Found FindNext(std::string_view text);

    // A link the reader followed, as the document names it ("#anchor", "https://...").
    std::function<void(const std::string&)> LinkClicked;
    void UserClicksLink(const std::string& target) {
        if (LinkClicked)
            LinkClicked(target);
    }

  private:
    std::string markdown_;
    std::string folder_;
    std::string shown_;
    std::vector<Heading> headings_;
    std::size_t top_ = 0;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
};

} // namespace kestrix::platform
