#include "model/stat_catalogue.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(Catalogue, FlagsReadBackFromEveryTickPatternAndOddStoredFormsDecodeByDigit) {
    for (unsigned bits = 0; bits < 1u << kFlagCount; ++bits) {
        FlagTicks ticks{};
        for (int i = 0; i < kFlagCount; ++i)
            ticks[static_cast<std::size_t>(i)] = (bits >> i) & 1u;
        const std::string stored = EncodeFlags(ticks);
        ASSERT_EQ(stored.size(), 4u) << bits;
        ASSERT_EQ(DecodeFlags(stored), ticks) << stored;
    }
    FlagTicks ticks{};
    ticks[1] = ticks[3] = true;
    EXPECT_EQ(EncodeFlags(ticks), "A000") << "four flags a digit, the first flag the lowest bit";
    const auto same = [](std::string_view stored, std::string_view as) {
        return DecodeFlags(stored) == DecodeFlags(as);
    };
    EXPECT_TRUE(same("a000", "A000"));
    EXPECT_TRUE(same("1", "1000")) << "a short value fills from the left";
    EXPECT_TRUE(same("1200F", "1200")) << "digits past the fourth are ignored";
    EXPECT_TRUE(same("F0GF", "F00F")) << "a digit that is none ticks nothing";
}

// Every entry of a choice list or box reads back from what it stores; other
// stored forms show no entry, or the one they round to.
TEST(Catalogue, EveryChoiceReadsBackFromItsStoredFormAndOddFormsShowNoneOrTheirRounding) {
    for (int column = 0; column < kStatCount; ++column) {
        const StatDescription& stat = DescriptionOf(column);
        if (stat.control != StatControlKind::ChoiceList && stat.control != StatControlKind::CheckBox)
            continue;
        for (int entry = 0; entry < EntryCount(stat); ++entry)
            EXPECT_EQ(EntryOf(stat, StoredEntry(stat, entry)), entry) << stat.def.StatName;
        EXPECT_EQ(EntryOf(stat, std::to_string(EntryCount(stat))), -1) << stat.def.StatName;
    }
    EXPECT_EQ(StoredEntry(DescriptionOf(DriveType), 2), "4");
    for (const char* odd : {"r", "", "Rear", "RR"})
        EXPECT_EQ(EntryOf(DescriptionOf(DriveType), odd), -1) << odd;
    EXPECT_EQ(EntryOf(DescriptionOf(FrontLights), "3.4"), 3);
    EXPECT_EQ(EntryOf(DescriptionOf(Abs), "1.5"), -1) << "rounds to 2, past the box's two states";
}
