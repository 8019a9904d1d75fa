// The documents as a reader follows them: every file, picture and heading a link names exists,
// under the anchors GitHub makes of headings, which the help window follows by the same rule.
#include "platform/markdown_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Document {
    std::vector<std::string> anchors;
    std::vector<std::string> links;
};

Document Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::string prose;
    std::string text;
    Document document;
    bool inFence = false;
    while (std::getline(in, line)) {
        text += line + '\n';
        if (line.starts_with("```"))
            inFence = !inFence;
        else if (!inFence)
            prose += line + '\n';
    }
    for (const kestrix::platform::Heading& heading : kestrix::platform::MarkdownHeadings(text))
        document.anchors.push_back(kestrix::platform::HeadingAnchor(heading.text));
    // A code span, which may run over a line end, holds no link.
    prose = std::regex_replace(prose, std::regex("`[^`]*`"), "");
    static const std::regex link(R"(\]\(([^()\s]+)\))");
    for (std::sregex_iterator it(prose.begin(), prose.end(), link), end; it != end; ++it) {
        const std::string target = (*it)[1];
        if (target.find("://") == std::string::npos && !target.starts_with("mailto:")) {
            document.links.push_back(target);
        }
    }
    return document;
}

// README.md and every document of docs/, by their full paths.
std::map<fs::path, Document> ProjectDocuments() {
    const fs::path source = fs::canonical(KESTRIX_SOURCE_DIR);
    std::map<fs::path, Document> documents;
    documents.emplace(source / "README.md", Read(source / "README.md"));
    for (const auto& entry : fs::directory_iterator(source / "docs")) {
        if (entry.path().extension() == ".md") {
            documents.emplace(entry.path(), Read(entry.path()));
        }
    }
    return documents;
}

// Two headings of one document would share an anchor, and a link could reach only the first. The manual
// is installed alone with its pictures, so it links to nothing else.
TEST(Documents, EveryLinkNamesAFileAndAHeadingThatExistsOnceAndTheManualOnlyItselfAndItsPictures) {
    EXPECT_EQ(kestrix::platform::HeadingAnchor("The stat chart (32767 cars, `kestrix_chart_bench`, Release)"),
              "the-stat-chart-32767-cars-kestrix_chart_bench-release");
    const std::map<fs::path, Document> documents = ProjectDocuments();
    const fs::path manual = fs::canonical(KESTRIX_SOURCE_DIR) / "docs" / "manual.md";
    ASSERT_GT(documents.at(manual).links.size(), 40u);
    for (const auto& [file, document] : documents) {
        SCOPED_TRACE(file.string());
        std::set<std::string> seen;
        for (const std::string& anchor : document.anchors)
            EXPECT_TRUE(seen.insert(anchor).second) << "two headings #" << anchor;
        for (const std::string& link : document.links) {
            const std::size_t hash = link.find('#');
            const fs::path path = link.substr(0, hash);
            EXPECT_TRUE(file != manual || path.empty() ||
                        (!path.has_parent_path() && path.extension() == ".png"))
                << link;
            const fs::path target = path.empty() ? file : fs::weakly_canonical(file.parent_path() / path);
            ASSERT_TRUE(fs::is_regular_file(target)) << link << " names no file";
            if (hash != std::string::npos) {
                ASSERT_TRUE(documents.contains(target)) << link << " names no document";
                EXPECT_TRUE(std::ranges::count(documents.at(target).anchors, link.substr(hash + 1)))
                    << link << " names no heading";
            }
        }
    }
}

} // namespace
