#include "handling_file/handling_format.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;

namespace {

ParsedHandlingFile Parse(std::string_view text) {
    ParseResult result = ParseHandlingText(text);
    EXPECT_EQ(result.error, "");
    return std::move(result.file);
}

CarRow Split(std::string_view line) {
    CarRow row;
    SplitCarLine(line, row);
    return row;
}

} // namespace

TEST(Format, ClassifiesLinesByTheirStartAndSplitsCarsAtBlanksAndTabs) {
    for (const auto& [line, kind] :
         std::initializer_list<std::pair<const char*, LineKind>>{{"", LineKind::Car},
                                                                 {" ; word", LineKind::Car},
                                                                 {";-# File Author : me", LineKind::Author},
                                                                 {";-# File Author :me", LineKind::Editor},
                                                                 {";-# anything", LineKind::Editor},
                                                                 {";", LineKind::Comment},
                                                                 {"; -# spaced", LineKind::Comment}})
        EXPECT_EQ(ClassifyLine(line), kind) << line;

    const CarRow row = Split("  CAR\t\t1200  0.50\t .5 ");
    EXPECT_EQ(std::vector<std::string_view>({row[0], row[1], row[2], row[3], row[4], row[31]}),
              std::vector<std::string_view>({"CAR", "1200", "0.50", ".5", "", ""}));
    EXPECT_EQ(Split(" ; word")[1], "word");
    CarRow reused = Split("A B C D");
    EXPECT_EQ(SplitCarLine("X", reused), 1);
    EXPECT_EQ(reused[1], "") << "a short line leaves no stale values";
    EXPECT_EQ(SplitCarLine(std::string(40, 'v').replace(1, 38, 38, ' '), reused), 2);
}

TEST(Format, ReadsTheFourKindsOfLine) {
    const ParsedHandlingFile file = Parse(";before\r\n"
                                          ";-# File Created By Somebody\r\n"
                                          ";-# File Author : first\r\n"
                                          "CAR_A 1 2\r\n"
                                          ";\r"
                                          "\n"
                                          "   \r\n"
                                          ";-# File Author : \r\n"
                                          "CAR_B 3");
    ASSERT_EQ(file.Cars.size(), 3u); // CR LF is one line end; the blank line is a car
    EXPECT_EQ(file.Cars[0][2], "2");
    EXPECT_EQ(file.Cars[1][0], "");
    EXPECT_EQ(file.Cars[2][1], "3");
    EXPECT_EQ(file.BeforeComments, ";before\r");
    EXPECT_EQ(file.AfterComments, ";\r");
    EXPECT_EQ(file.Author, "") << "the last author line wins, even an empty one";

    HandlingDocument doc;
    ApplyToDocument(Parse(";-# File Author : new one \r\nA\r\n"), doc);
    EXPECT_EQ(doc.Author, "new one ");
    ApplyToDocument(Parse("A\r\n;after\r\n"), doc);
    EXPECT_EQ(doc.Author, "") << "a file without an author line has no author";
}

TEST(Format, LineEndsOfEveryKindAndAByteOrderMark) {
    // CR LF and LF CR are one line end each; two ends in a row hold an empty car.
    for (const auto& [text, cars] :
         std::initializer_list<std::pair<const char*, std::size_t>>{{"A\nB\rC\r\nD", 4},
                                                                    {"A\r\n\r\n", 2},
                                                                    {"A\r\n", 1},
                                                                    {"", 0},
                                                                    {"; only a comment\r\n", 0},
                                                                    {"A\n\rB\n\r", 2},
                                                                    {"A\n\r\n\rB", 3},
                                                                    {"A\r\n\r\nB", 3},
                                                                    {"A\n\nB", 3},
                                                                    {"A\r\rB", 3}})
        EXPECT_EQ(Parse(text).Cars.size(), cars) << text;

    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(Parse(bom + "; first\r\nA 1\r\n").BeforeComments, "; first\r");
    EXPECT_TRUE(Parse(bom).Cars.empty());
    EXPECT_EQ(Parse("A\r\n" + bom + ";x").Cars[1][0], bom + ";x") << "a mark only at the very start";
    EXPECT_EQ(Parse(bom.substr(0, 2) + ";x").Cars[0][0], bom.substr(0, 2) + ";x");
}

TEST(Format, RefusesLinesAndFilesTooLargeForTheTable) {
    std::string wide = ";c\r\nA\r\n";
    for (int i = 0; i < 34; ++i)
        wide += "v ";
    const ParseResult tooWide = ParseHandlingText(wide);
    EXPECT_EQ(tooWide.error, "line 3 has 34 values; a car line holds at most 32");
    EXPECT_TRUE(tooWide.file.Cars.empty());

    std::string many;
    for (int i = 0; i < kMaxCars; ++i)
        many += "C\n";
    EXPECT_EQ(ParseHandlingText(many).error, "");
    EXPECT_EQ(ParseHandlingText(many + "C\n").error, "the file has more than 32767 car lines");
}

TEST(Format, TheReadBackCheckNamesTheLimitAndTheLine) {
    HandlingDocument doc;
    EXPECT_EQ(ReadBackDifference(std::string(kMaxFileBytes + 1, ';'), doc), TooLargeReason());
    doc.Cars.resize(2);
    doc.Cars[0].Set(0, "A");
    doc.Cars[1].Set(0, "B");
    EXPECT_EQ(ReadBackDifference("A\r\nC\r\n", doc),
              "line 2 would not read back as the car 'B' as it is saved");
    EXPECT_EQ(ReadBackDifference("A\r\n", doc), "only 1 of the 2 cars would read back");
    EXPECT_EQ(ReadBackDifference("A\r\nB\r\n;-# File Author : Z\r\n", doc),
              "the author line would read back as another author");
}

// Every line ends in CR LF; every value is followed by one space, an empty one too.
TEST(Format, WritesHeaderCommentsAndCarLines) {
    HandlingDocument doc;
    doc.BeforeComments = ";one\r\r;two\r";
    doc.AfterComments = ";end\r";
    doc.Cars.resize(2);
    doc.Cars[0].Set(0, "CAR");
    doc.Cars[0].Set(1, "0.50");
    const std::string text = WriteHandlingText(doc);
    EXPECT_TRUE(text.ends_with(";-# email: kestrix@example.org\r\n;one\r\n;two\r\nCAR 0.50 " +
                               std::string(30, ' ') + "\r\n" + std::string(32, ' ') + "\r\n;end\r\n"))
        << "no author line without an author";
    doc.Author = "Ann";
    EXPECT_NE(WriteHandlingText(doc).find("\r\n;-# File Author : Ann\r\n;one\r\n"), std::string::npos);
}

// A document of comments, an author and cars without blanks in their values
// comes back as it was written, except that a car with a gap comes back
// changed from its gap on.
TEST(Format, ReadWriteReadKeepsTheDocumentUpToTheFirstGapOfACar) {
    const std::string alphabet = "AZaz09.-+;#\x01\xe9\x7f\xef\xbb\xbf\xff";
    for (const unsigned seed :
         {1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u, 55u, 89u, 144u, 233u, 377u, 610u, 987u, 1597u}) {
        std::mt19937 random(seed);
        const auto word = [&](std::size_t maxLength) {
            std::string text;
            for (std::size_t length = 1 + random() % maxLength; length > 0; --length)
                text += alphabet[random() % alphabet.size()];
            return text;
        };
        for (int round = 0; round < 50; ++round) {
            HandlingDocument doc;
            if (random() % 2)
                doc.Author = word(10);
            for (int i = random() % 4; i > 0; --i)
                doc.BeforeComments += ";c" + word(12) + "\r";
            for (int car = random() % 8; car > 0; --car) {
                CarRow& row = doc.Cars.emplace_back();
                const unsigned emptyChance = random() % 4; // in quarters; 0 fills a prefix without holes
                const int filled = static_cast<int>(random() % (kStatCount + 1));
                for (int column = 0; column < filled; ++column)
                    if (emptyChance == 0 || random() % 4 >= emptyChance)
                        row.Set(column, word(6));
            }
            for (int i = doc.Cars.empty() ? 0 : random() % 4; i > 0; --i)
                doc.AfterComments += ";c" + word(12) + "\r";

            const std::string written = WriteHandlingText(doc);
            ASSERT_EQ(ReadBackDifference(written, doc), "") << "the save's check takes what reads back";
            HandlingDocument odd = doc;
            (random() % 2 ? odd.AfterComments : odd.BeforeComments) += "X" + word(5) + "\r";
            EXPECT_NE(ReadBackDifference(WriteHandlingText(odd), odd), "") << "a comment that reads as a car";
            HandlingDocument back;
            ApplyToDocument(Parse(written), back);
            ASSERT_EQ(back.Author, doc.Author) << written;
            ASSERT_EQ(back.BeforeComments, doc.BeforeComments);
            ASSERT_EQ(back.AfterComments, doc.AfterComments);
            ASSERT_EQ(back.Cars.size(), doc.Cars.size());
            std::optional<ValueGap> firstChanged;
            for (std::size_t row = 0; row < back.Cars.size(); ++row) {
                int changed = -1;
                for (int column = kStatCount - 1; column >= 0; --column)
                    if (back.Cars[row][column] != doc.Cars[row][column])
                        changed = column;
                ASSERT_EQ(FirstValueGapColumn(doc.Cars[row]), changed) << "seed " << seed << " row " << row;
                if (changed >= 0 && !firstChanged)
                    firstChanged = ValueGap{static_cast<int>(row), changed};
            }
            const std::optional<ValueGap> gap = FirstValueGap(doc.Cars);
            ASSERT_EQ(gap.has_value(), firstChanged.has_value()) << "seed " << seed;
            if (gap) {
                EXPECT_EQ(gap->row, firstChanged->row);
                EXPECT_EQ(gap->column, firstChanged->column);
            } else {
                ASSERT_EQ(WriteHandlingText(back), written);
            }
        }
    }
}
