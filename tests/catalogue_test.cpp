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
