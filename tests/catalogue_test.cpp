#include "model/handling_document.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(Catalogue, FlagsEncodeByGroupsOfFour) {
    FlagTicks ticks{};
    EXPECT_EQ(EncodeFlags(ticks), "0000");
    ticks[1] = ticks[3] = true;
    EXPECT_EQ(EncodeFlags(ticks), "A000");
    ticks.fill(true);
    EXPECT_EQ(EncodeFlags(ticks), "FFFF");

    const auto ticked = [](std::string_view stored) {
        std::vector<int> on;
        const FlagTicks decoded = DecodeFlags(stored);
        for (int i = 0; i < kFlagCount; ++i)
            if (decoded[static_cast<std::size_t>(i)])
                on.push_back(i);
        return on;
    };
    EXPECT_EQ(ticked("F000"), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(ticked("0001"), (std::vector<int>{12}));
    EXPECT_EQ(ticked("0008"), (std::vector<int>{15}));
    EXPECT_EQ(ticked("a000"), ticked("A000"));
    EXPECT_EQ(ticked("1"), (std::vector<int>{0}));
    EXPECT_EQ(ticked("48"), (std::vector<int>{2, 7}));
    EXPECT_EQ(ticked("1200F"), (std::vector<int>{0, 5}));
    EXPECT_EQ(ticked("F0GF"), (std::vector<int>{0, 1, 2, 3, 12, 13, 14, 15}));
    EXPECT_EQ(kFlagNames[12], "NEUTRALHANDLING");
}

TEST(Catalogue, ChoiceStoredForms) {
    EXPECT_EQ(LetterChoiceStored(kDriveChoices[2]), "4");
    EXPECT_EQ(LetterChoicePosition("R", "FR4"), 1);
    EXPECT_EQ(LetterChoicePosition("4", "FR4"), 2);
    EXPECT_EQ(LetterChoicePosition("F", "FR4"), 0);
    for (const char* other : {"r", "", "X", "Rear"})
        EXPECT_EQ(LetterChoicePosition(other, "FR4"), -1) << other;

    EXPECT_EQ(StoredWholeNumber("3", 4), 3);
    EXPECT_EQ(StoredWholeNumber(" 1 ", 2), 1);
    EXPECT_EQ(StoredWholeNumber("2.5", 4), 2); // halves go to the even number
    // Rounded first, then judged against the choices.
    EXPECT_EQ(StoredWholeNumber("3.4", 4), 3);
    EXPECT_EQ(StoredWholeNumber("-0.4", 4), 0);
    EXPECT_EQ(StoredWholeNumber("-0.5", 4), 0);
    EXPECT_EQ(StoredWholeNumber("1.4", 2), 1);
    EXPECT_EQ(StoredWholeNumber("+3.49", 4), 3);
    EXPECT_FALSE(StoredWholeNumber("1.5", 2)) << "rounds to 2, past the box's two states";
    for (const char* bad :
         {"", "4", "-1", "3.5", "-0.6", "x", "nan", "inf", "1x", "1e300", "-1e300", "+-0.4"})
        EXPECT_FALSE(StoredWholeNumber(bad, 4)) << bad;
}

TEST(Document, TitleRule) {
    EXPECT_EQ(TitleText("/games/data (old)/Handling*.cfg", false, true), "Kestrix 3");
    EXPECT_EQ(TitleText("/games/data (old)/Handling*.cfg", true, false),
              "Kestrix 3 (/games/data (old)/Handling*.cfg)");
    EXPECT_EQ(TitleText("a.cfg", true, true), "Kestrix 3 (a.cfg*)");
}
