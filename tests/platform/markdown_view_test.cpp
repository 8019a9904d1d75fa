#include "platform/markdown_view.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace kestrix::platform;

namespace {

// Where the needle stands in the text from a place on, one place after another, ASCII letters of
// either case alike.
std::vector<std::size_t> PlacesOf(const std::string& text, const std::string& needle, std::size_t from) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    std::vector<std::size_t> places;
    for (std::size_t at = from; at + needle.size() <= text.size();) {
        bool same = true;
        for (std::size_t i = 0; i < needle.size() && same; ++i)
            same = lower(text[at + i]) == lower(needle[i]);
        at += same ? needle.size() : 1;
        if (same)
            places.push_back(at - needle.size());
    }
    return places;
}

} // namespace

// The finds from any place in any text visit each place of the needle after it once, in order, then go
// on from the start; the needle is typed in the field's 8-bit text, the document is UTF-8.
TEST(MarkdownView, FindNextVisitsEveryPlaceAfterTheReaderInTurnAndHeadingsAreTheHashLinesOutsideCode) {
    std::mt19937 random(11);
    const std::vector<std::string> pieces = {"a", "A", "b", " ", "\xC3\xA9", "\xC3\x89", "\n"};
    const std::vector<std::pair<std::string, std::string>> needles = {
        {"a", "a"}, {"Ab", "ab"}, {"aa", "aa"}, {"\xE9", "\xC3\xA9"}, {"b \xE9", "b \xC3\xA9"}};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int i = std::uniform_int_distribution(0, 40)(random); i > 0; --i)
            text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
        const auto& [typed, utf8] = needles[static_cast<std::size_t>(round) % needles.size()];
        MarkdownView view;
        view.SetMarkdown(text, "");
        const std::size_t top = std::uniform_int_distribution<std::size_t>(0, text.size())(random);
        view.UserScrolls(top);
        SCOPED_TRACE("\"" + text + "\" from " + std::to_string(top) + " for " + utf8);
        using Found = MarkdownView::Found;
        std::vector<std::pair<Found, std::size_t>> expected;
        for (const std::size_t place : PlacesOf(text, utf8, top))
            expected.emplace_back(Found::Yes, place);
        const std::vector<std::size_t> all = PlacesOf(text, utf8, 0);
        for (int lap = 0; lap < 2; ++lap)
            for (std::size_t i = 0; i < all.size(); ++i)
                expected.emplace_back(i == 0 ? Found::FromTheStart : Found::Yes, all[i]);
        if (all.empty()) {
            EXPECT_EQ(view.FindNext(typed), Found::No);
            EXPECT_EQ(view.SelLength(), 0u);
        }
        for (const auto& [found, place] : expected) {
            ASSERT_EQ(view.FindNext(typed), found);
            ASSERT_EQ(view.SelStart(), place);
            EXPECT_EQ(view.SelLength(), utf8.size());
        }
    }

    // Headings are the hash lines outside code until the view tells where it shows them.
    const std::string text =
        "# Kestrix  manual\r\n```\n# code\n```\n#9\tno\n####### no\n### Undo, redo (Ctrl+Z)\n";
    MarkdownView view;
    view.SetMarkdown(text, "");
    EXPECT_EQ(view.Headings(),
              (std::vector<Heading>{{"Kestrix  manual", 0}, {"Undo, redo (Ctrl+Z)", text.find("### U")}}));
    EXPECT_EQ(view.HeadingAt("undo-redo-ctrlz"), text.find("### U"));
    view.ViewShows("Kestrix manual\nUndo, redo (Ctrl+Z)",
                   {{"Kestrix manual", 0}, {"Undo, redo (Ctrl+Z)", 15}});
    EXPECT_EQ(view.HeadingAt("undo-redo-ctrlz"), 15u);
    EXPECT_EQ(view.HeadingAt("kestrix--manual"), std::nullopt);
}
