#include "handling_file/handling_format.h"
#include "sample_cars.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <tuple>

using namespace kestrix;
using test::Table;

namespace {

ParsedHandlingFile Parse(std::string_view text) {
    ParseResult result = ParseHandlingText(text);
    EXPECT_EQ(result.error, "");
    return std::move(result.file);
}

} // namespace

TEST(Format, ReadsTheFourKindsOfLineWithEveryLineEndAndRefusesFilesPastTheLimits) {
    // A line is a car unless it starts with ";"; ";-#" starts the editor's
    // lines, and ";-# File Author : " the author's.
    const ParsedHandlingFile file = Parse(";before\r\n"
                                          ";-# File Created By Somebody\r\n"
                                          ";-# File Author : first\r\n"
                                          "  CAR_A\t\t1  2\t\r\n"
                                          ";\r"
                                          "\n"
                                          "   \r\n"
                                          ";-# File Author : \r\n"
                                          ";-# File Author :no space\r\n"
                                          "; -# spaced\r\n"
                                          " ; CAR_B 3");
    ASSERT_EQ(file.Cars.size(), 3u); // CR LF is one line end; the blank line is a car
    EXPECT_EQ(std::tuple(file.Cars[0][0], file.Cars[0][2], file.Cars[1][0], file.Cars[2][0], file.Cars[2][2]),
              std::tuple("CAR_A", "2", "", ";", "3"));
    EXPECT_EQ(std::tie(file.BeforeComments, file.AfterComments), std::tuple(";before\r", ";\r; -# spaced\r"));
    EXPECT_EQ(file.Author, "") << "the last author line wins, even an empty one";

    HandlingDocument doc;
    ApplyToDocument(Parse(";-# File Author : new one \r\nA\r\n"), doc);
    EXPECT_EQ(doc.Author, "new one ");
    ApplyToDocument(Parse("A\r\n;after\r\n"), doc);
    EXPECT_EQ(doc.Author, "") << "a file without an author line has no author";

    // CR LF and LF CR are one line end each; two ends in a row hold an empty car.
    const std::pair<const char*, std::size_t> ends[] = {
        {"A\r\n\r\n", 2}, {"A\n\r\n\rB", 3}, {"A\r\n\r\nB", 3}, {"A\n\nB", 3}, {"A\r\rB", 3}};
    for (const auto& [text, cars] : ends)
        EXPECT_EQ(Parse(text).Cars.size(), cars) << text;

    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(Parse("A\r\n" + bom + ";x").Cars[1][0], bom + ";x") << "a mark only at the very start";
    EXPECT_EQ(Parse(bom.substr(0, 2) + ";x").Cars[0][0], bom.substr(0, 2) + ";x");

    std::string many;
    for (int i = 0; i < kMaxCars; ++i)
        many += "C\n";
    EXPECT_EQ(ParseHandlingText(many).error, "");
    const ParseResult tooMany = ParseHandlingText(many + "C\n");
    EXPECT_EQ(tooMany.error, "the file has more than 32767 car lines");
    EXPECT_TRUE(tooMany.file.Cars.empty()) << "a refused file hands over no cars";

    doc = HandlingDocument{};
    EXPECT_EQ(ReadBackDifference(std::string(kMaxFileBytes + 1, ';'), doc), TooLargeReason());
    doc.Cars = Table({"A", "B"});
    EXPECT_EQ(ReadBackDifference("A\r\nC\r\n", doc),
              "line 2 would not read back as the car 'B' as it is saved");
    EXPECT_EQ(ReadBackDifference("A\r\n", doc), "only 1 of the 2 cars would read back");
    EXPECT_NE(ReadBackDifference("A\r\nB\r\n;-# File Author : Z\r\n", doc), "") << "another author";
    doc.BeforeComments = "; fine\r\rBRACKEN 1 2\r"; // named as the comments window counts its lines
    EXPECT_EQ(ReadBackDifference(WriteHandlingText(doc), doc),
              "Before stats line 3 would read back as a car: a comment line starts with \";\"");
}

TEST(Format, ReadWriteReadKeepsTheDocumentUpToAGapAndTheReadBackCheckTakesKnownLinesWhereTheyStand) {
    const std::string alphabet = "AZaz09.-+;#\x01\xe9\x7f\xef\xbb\xbf\xff";
    std::mt19937 random(1);
    const auto word = [&](std::size_t maxLength) {
        std::string text;
        for (std::size_t length = 1 + random() % maxLength; length > 0; --length)
            text += alphabet[random() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 800; ++round) {
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
        SCOPED_TRACE("round " + std::to_string(round) + ":\n" + written);
        EXPECT_EQ(written.find(kAuthorPrefix) != std::string::npos, !doc.Author.empty())
            << "an author line only for an author";
        ASSERT_EQ(ReadBackDifference(written, doc), "") << "the save's check takes what reads back";
        HandlingDocument odd = doc;
        (random() % 2 ? odd.AfterComments : odd.BeforeComments) += "X" + word(5) + "\r";
        EXPECT_NE(ReadBackDifference(WriteHandlingText(odd), odd), "") << "a comment that reads as a car";
        HandlingDocument back;
        ApplyToDocument(Parse(written), back);
        ASSERT_EQ(std::tie(back.Author, back.BeforeComments, back.AfterComments),
                  std::tie(doc.Author, doc.BeforeComments, doc.AfterComments));
        ASSERT_EQ(back.Cars.size(), doc.Cars.size());
        std::pair<int, int> firstChanged{-1, -1};
        for (int row = 0; row < static_cast<int>(back.Cars.size()); ++row) {
            const CarRow &now = back.Cars[static_cast<std::size_t>(row)],
                         &was = doc.Cars[static_cast<std::size_t>(row)];
            int changed = -1;
            for (int column = kStatCount - 1; column >= 0; --column)
                if (now[column] != was[column])
                    changed = column;
            ASSERT_EQ(FirstValueGapColumn(was), changed) << "row " << row;
            if (changed >= 0 && firstChanged.first < 0)
                firstChanged = {row, changed};
        }
        const std::optional<ValueGap> gap = FirstValueGap(doc.Cars);
        EXPECT_EQ(gap ? std::pair(gap->row, gap->column) : std::pair(-1, -1), firstChanged);
        if (!gap) {
            ASSERT_EQ(WriteHandlingText(back), written);
        }
    }

    // The check takes a line known to read as a car without reading it again,
    // so it must say of every text what it says without the known lines: a line
    // of other bytes, even of the same length, or one that stands elsewhere, is read.
    random.seed(5);
    const std::string bytes = "AB12 \t;\r\n";
    for (int round = 0; round < 600; ++round) {
        std::string text;
        for (int line = random() % 6; line >= 0; --line) {
            text += random() % 5 == 0 ? ";c" : "";
            for (int value = random() % 5; value >= 0; --value)
                text += std::string(1 + random() % 3, "XYZ19"[random() % 5]) + (random() % 3 ? " " : "\t\t");
            text += "\r\n";
        }
        HandlingDocument doc;
        KnownLines known;
        HandlingTextReader reader;
        reader.KnowLines(known, true);
        reader.Read(text);
        ApplyToDocument(reader.Finish().file, doc);
        ASSERT_EQ(known.size(), doc.Cars.size());
        std::string saved = text;
        for (int change = random() % 3; change > 0 && !saved.empty(); --change) {
            const std::size_t at = random() % saved.size();
            const std::size_t line = saved.rfind('\n', at) + 1; // 0 past the first line
            const std::size_t next = std::min(saved.find('\n', at) + 1, saved.size());
            switch (random() % 4) {
            case 0:
                saved[at] = bytes[random() % bytes.size()];
                break;
            case 1:
                saved.insert(at, saved.substr(at, random() % 8));
                break;
            case 2: // a line gone, or moved to the end
                saved += saved.substr(line, next - line) + std::string(random() % 2, '\n');
                saved.erase(line, next - line);
                break;
            default: // a line twice
                saved.insert(line, saved.substr(line, next - line));
            }
        }
        SCOPED_TRACE("round " + std::to_string(round) + ":\n" + text + "saved as:\n" + saved);
        EXPECT_EQ(ReadBackDifference(saved, doc, &known), ReadBackDifference(saved, doc));
        EXPECT_EQ(ReadBackDifference(text, doc, &known), "");
    }
}

// The reader walks the line without splitting it first: it must say and build
// what the split and the row's own comparison say and build.
TEST(CarRows, ALineHoldsARowExactlyWhenItsSplitValuesAreTheRowsAndCopiesKeepTheirValuesAtEveryWidth) {
    std::mt19937 random(11);
    const auto line = [&] {
        std::string text(random() % 3, ' ');
        for (int value = static_cast<int>(random() % 36); value > 0; --value) {
            const std::size_t length = random() % 8 == 0 ? 12 + random() % 30 : 1 + random() % 4;
            text += std::string(length, "ab1."[random() % 4]);
            text += random() % 4 ? "\t" : " ";
            text += std::string(random() % 3, ' ');
        }
        if (random() % 2 && !text.empty())
            text.pop_back();
        return text;
    };
    int held = 0;
    CarRowSlab slab;
    for (int round = 0; round < 4000; ++round) {
        const std::string was = line();
        std::string now = was;
        if (random() % 3 && !now.empty()) {
            const std::size_t at = random() % now.size();
            switch (random() % 4) {
            case 0:
                now[at] = "ab1. \t"[random() % 6];
                break;
            case 1:
                now.erase(at, 1 + random() % 3);
                break;
            case 2:
                now.insert(at, random() % 2 ? " " : "x");
                break;
            default:
                now += random() % 2 ? " z" : "\t";
            }
        }
        CarValues values;
        CarRow row;
        SplitCarLine(was, row);
        const int count = SplitCarLine(now, values);
        const bool expected = count <= kStatCount && row.Holds(values.data(), count);
        ASSERT_EQ(row.HoldsLine(now), expected) << "row of \"" << was << "\", line \"" << now << "\"";
        CarRow carved; // as the reader builds it
        ASSERT_EQ(carved.AssignLine(now, slab), count);
        CarRow split;
        SplitCarLine(now, split);
        ASSERT_TRUE(carved == split && (count > kStatCount || (carved == row) == expected))
            << "the same values, the same row";
        held += expected;
    }
    EXPECT_GT(held, 1000) << "lines that hold their rows are tried";

    // Rows share their values until one changes: every copy must keep reading
    // what it held, and equality must follow the values, whatever their widths.
    // Rows built as a reader builds them, carved from a slab out of values that
    // lie in one line, must read the same and outlive the slab.
    random.seed(7);
    const auto value = [&] { // value ends are kept one, two or four bytes wide
        const std::size_t lengths[] = {0, 1, 5, 40, 300, 2100, 255, 256, 65535, 65536};
        const std::size_t pick = random() % 64;
        return std::string(lengths[pick < 4 ? 6 + pick : pick % 6], static_cast<char>('a' + random() % 3));
    };
    std::vector<std::pair<CarRow, std::array<std::string, kStatCount>>> rows(1);
    auto carving = std::make_unique<CarRowSlab>();
    for (int round = 0; round < 2000; ++round) {
        auto& [row, expected] = rows[random() % rows.size()];
        const int column = static_cast<int>(random() % kStatCount), from = column * 7 % kStatCount;
        if (random() % 4 == 0) {
            rows.push_back(rows[random() % rows.size()]);
        } else if (random() % 3 == 0) {
            std::array<std::string_view, kStatCount> given;
            for (int i = 0; i < kStatCount; ++i)
                given[i] = expected[i] = i <= column ? value() : "";
            row.Assign(given.data(), column + 1);
        } else if (random() % 3 == 0) { // as a reader builds it, from a line, carved from a slab
            std::string line = random() % 2 ? " " : "";
            int filled = 0;
            for (int i = 0; i <= column; ++i)
                if (const std::string text = value(); !text.empty())
                    line += text + (random() % 2 ? "\t" : "  "), expected[filled++] = text;
            std::fill(expected.begin() + filled, expected.end(), "");
            if (random() % 8 == 0)
                carving = std::make_unique<CarRowSlab>(); // the rows carved before stay
            ASSERT_EQ(row.AssignLine(line, *carving), filled);
        } else if (random() % 2) { // a value of the row itself, which the change must copy first
            row.Set(column, row[from]), expected[column] = expected[from];
        } else {
            row.Set(column, expected[column] = value());
        }
        for (const auto& [other, otherExpected] : rows) {
            for (int i = 0; i < kStatCount; ++i)
                ASSERT_EQ(other[i], otherExpected[i]) << round;
            ASSERT_EQ(other == rows.front().first, otherExpected == rows.front().second) << round;
        }
        if (rows.size() > 12)
            rows.erase(rows.begin() + static_cast<long>(random() % rows.size()));
    }
}
