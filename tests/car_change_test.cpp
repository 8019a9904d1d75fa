#include "model/car_change.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

using namespace kestrix;

namespace {

CarRow Car(std::string_view name, std::string_view mass) {
    CarRow car;
    const std::string_view values[] = {name, mass};
    car.Assign(values, 2);
    return car;
}

} // namespace

TEST(CarChangeTest, KnowsTheValuesBeforeAndAfterAndLeavesOutWhatStaysTheSame) {
    HandlingDocument doc;
    // A car just past the end still in memory, so that a row one too far reads as a car.
    doc.Cars = {Car("ONE", "1500"), Car("TWO", "1200"), Car("GONE", "1")};
    doc.Cars.pop_back();
    const CarChange change = ChangeOf(
        doc.Cars, {{0, 1, "1600"}, {1, 1, "1200"}, {1, 1, "1300"}, {0, 1, "1700"}, {2, 1, "9"}, {5, 1, "9"}});
    EXPECT_EQ(change.cells, (std::vector<CellChange>{{0, 1, "1500", "1700"}, {1, 1, "1200", "1300"}}))
        << "the later of two edits of a cell counts; a row that does not exist is left out";
    EXPECT_TRUE(ChangeOf(doc.Cars, {{0, 1, "1500"}}).Empty());
}

TEST(CarChangeTest, BulkValuesArePlainDecimalsWithoutTheArithmeticsNoise) {
    const auto value = [](std::string_view text, BulkOperation operation, double operand) {
        return BulkValue(text, operation, operand).value;
    };
    EXPECT_EQ(value("1500", BulkOperation::Multiply, 1.1), "1650");
    EXPECT_EQ(value("0.1", BulkOperation::Add, 0.2), "0.3");
    EXPECT_EQ(value("2.50", BulkOperation::Add, -0.5), "2");
    EXPECT_EQ(value("-3", BulkOperation::Multiply, 0), "0") << "no minus zero";
    EXPECT_EQ(value("1e3", BulkOperation::Add, 1), "1001");
    EXPECT_EQ(value("+5", BulkOperation::Add, 1), "6") << "a leading plus is a number";
    EXPECT_EQ(value("abc", BulkOperation::Set, 12.25), "12.25") << "set writes over anything";
    EXPECT_EQ(value("abc", BulkOperation::Set, 1e23), "1e23") << "the shortest digits, not the binary value";
    EXPECT_EQ(value("1", BulkOperation::Multiply, 1e20), "100000000000000000000");
    EXPECT_EQ(value("1", BulkOperation::Multiply, 1e-7), "1e-7");
    EXPECT_EQ(value("1", BulkOperation::Multiply, 0.000001), "0.000001");
    for (const std::string_view text : {"abc", "", "12kg", "++5", "+-5"})
        EXPECT_EQ(BulkValue(text, BulkOperation::Add, 2).skip, BulkSkip::NotANumber) << text;
    EXPECT_EQ(BulkValue("1e308", BulkOperation::Multiply, 10).skip, BulkSkip::TooLarge)
        << "no infinite result";
}

TEST(CarChangeTest, PlainDecimalsReadBackAsTheSameNumber) {
    std::mt19937_64 random(18);
    for (int i = 0; i < 20000; ++i) {
        double number = 0;
        const std::uint64_t bits = random();
        std::memcpy(&number, &bits, sizeof number);
        if (!std::isfinite(number))
            continue;
        const std::string text = PlainDecimal(number);
        EXPECT_EQ(PlainNumber(text), number == 0 ? 0 : number) << text;
        EXPECT_EQ(text.find('+'), std::string::npos) << text;
    }
}

TEST(CarChangeTest, RelativeInputsChangeTheValueLastCommitted) {
    EXPECT_EQ(RelativeValue("=*1.2", "1500"), "1800");
    EXPECT_EQ(RelativeValue("=+10%", "0.5"), "0.55");
    EXPECT_EQ(RelativeValue("=-10%", "200"), "180");
    EXPECT_EQ(RelativeValue("=-50", "30"), "-20");
    EXPECT_EQ(RelativeValue("=/3", "1"), "0.333333333333333") << "a plain decimal, never 3.3e-1";
    EXPECT_EQ(RelativeValue("=*50%", "1e3"), "500");
    for (const char* typo : {"=", "=*", "=x2", "=*1,2", "=*2x", "=/0", "=/0%", "=+%", "1500", "=*1e400"})
        EXPECT_EQ(RelativeValue(typo, "1500"), std::nullopt) << typo;
    EXPECT_EQ(RelativeValue("=*2", "heavy"), std::nullopt) << "the committed value is no number";
    EXPECT_TRUE(IsRelativeInput("=*x"));
    EXPECT_FALSE(IsRelativeInput("-5"));
}
