#include "model/handling_document.h"

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

TEST(Catalogue, ChoiceStoredForms) {
    EXPECT_EQ(LetterChoiceStored(kDriveChoices[2]), "4");
    for (const auto& [stored, position] : std::initializer_list<std::pair<const char*, int>>{
             {"F", 0}, {"R", 1}, {"4", 2}, {"r", -1}, {"", -1}, {"Rear", -1}})
        EXPECT_EQ(LetterChoicePosition(stored, "FR4"), position) << stored;

    // Rounded first, halves to the even number, then judged against the choices.
    for (const auto& [stored, number] : std::initializer_list<std::pair<const char*, int>>{
             {"3", 3}, {" 1 ", 1}, {"2.5", 2}, {"3.4", 3}, {"-0.5", 0}, {"+3.49", 3}})
        EXPECT_EQ(StoredWholeNumber(stored, 4), number) << stored;
    EXPECT_FALSE(StoredWholeNumber("1.5", 2)) << "rounds to 2, past the box's two states";
    for (const char* bad : {"", "4", "-1", "3.5", "-0.6", "x", "nan", "inf", "1x", "1e300", "+-0.4"})
        EXPECT_FALSE(StoredWholeNumber(bad, 4)) << bad;
}
