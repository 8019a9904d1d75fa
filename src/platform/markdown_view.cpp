#include "platform/markdown_view.h"

#include <algorithm>

namespace kestrix::platform {

namespace {

bool IsAsciiLetterOrDigit(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Latin-1 text as UTF-8.
std::string Utf8Of(std::string_view latin1) {
    std::string utf8;
    for (const unsigned char c : latin1) {
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

// Where needle (lower case) starts in text at from or after it, ASCII letters of either case alike.
std::size_t FindFolded(std::string_view text, std::string_view needle, std::size_t from) {
    const auto found =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                    needle.begin(), needle.end(), [](char a, char b) { return LowerAscii(a) == b; });
    return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
}

} // namespace

std::string HeadingAnchor(std::string_view heading) {
    std::string anchor;
    for (const unsigned char c : heading) {
        if (c == ' ')
            anchor += '-';
        else if (IsAsciiLetterOrDigit(c) || c == '-' || c == '_' || c >= 0x80)
            anchor += LowerAscii(static_cast<char>(c));
    }
    return anchor;
}

std::vector<Heading> MarkdownHeadings(std::string_view markdown) {
    std::vector<Heading> headings;
    bool inFence = false;
    for (std::size_t start = 0; start < markdown.size();) {
        const std::size_t end = std::min(markdown.find('\n', start), markdown.size());
        std::string_view line = markdown.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::size_t hashes = line.find_first_not_of('#');
        if (line.starts_with("```")) {
            inFence = !inFence;
        } else if (!inFence && hashes >= 1 && hashes <= 6 && hashes < line.size() && line[hashes] == ' ') {
            std::string_view text = line.substr(hashes);
            text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
            text.remove_suffix(text.size() - (text.find_last_not_of(' ') + 1));
            if (!text.empty())
                headings.push_back({std::string(text), start});
        }
        start = end + 1;
    }
    return headings;
}

void MarkdownView::SetMarkdown(std::string markdown, std::string folder) {
    markdown_ = std::move(markdown);
    folder_ = std::move(folder);
    shown_ = markdown_;
    headings_ = MarkdownHeadings(markdown_);
    top_ = selStart_ = selLength_ = 0;
    Notify(Aspect::Text);
}

void MarkdownView::ViewShows(std::string text, std::vector<Heading> headings) {
    shown_ = std::move(text);
    headings_ = std::move(headings);
    top_ = std::min(top_, shown_.size());
    selStart_ = selLength_ = 0;
}

std::optional<std::size_t> MarkdownView::HeadingAt(std::string_view anchor) const {
    for (const Heading& heading : headings_)
        if (HeadingAnchor(heading.text) == anchor)
            return heading.position;
    return std::nullopt;
}

void MarkdownView::ScrollTo(std::size_t position) {
    top_ = std::min(position, shown_.size());
    selStart_ = top_;
    selLength_ = 0;
    Notify(Aspect::Selection);
    Notify(Aspect::Value);
}

void MarkdownView::Select(std::size_t start, std::size_t length) {
    selStart_ = std::min(start, shown_.size());
    selLength_ = std::min(length, shown_.size() - selStart_);
    Notify(Aspect::Selection);
}

MarkdownView::Found MarkdownView::FindNext(std::string_view text) {
    std::string needle = Utf8Of(text);
    std::transform(needle.begin(), needle.end(), needle.begin(), LowerAscii);
    if (needle.empty())
        return Found::No;
    const std::size_t from = selLength_ > 0 ? selStart_ + selLength_ : top_;
    Found found = Found::Yes;
    std::size_t at = FindFolded(shown_, needle, from);
    if (at == std::string_view::npos) {
        found = Found::FromTheStart;
        at = FindFolded(shown_, needle, 0);
    }
    if (at == std::string_view::npos)
        return Found::No;
    Select(at, needle.size());
    return found;
}

} // namespace kestrix::platform
