#include "handling_file/handling_format.h"
#include "model/car_change.h"
#include "model/formula.h"
#include "model/number.h"
#include "sample_cars.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrix;

namespace {

CarRow RowOf(const std::string& line) {
    CarRow row;
    SplitCarLine(line, row);
    return row;
}

std::optional<std::string> Value(std::string_view text, std::string_view x, int column = 1,
                                 const CarRow* car = nullptr) {
    return EvaluateFormula(text, {x, column, car}).value;
}

std::string Problem(std::string_view text, std::string_view x = "1500", const CarRow* car = nullptr) {
    return EvaluateFormula(text, {x, 1, car}).problem;
}

// A number as people type it: up to 15 significant digits, a point anywhere, or a power of ten.
std::string TypedNumber(std::mt19937& random) {
    std::string digits = std::to_string(random() % 1'000'000'000'000'000ULL);
    if (random() % 3 == 0)
        return digits + "e" + std::to_string(static_cast<int>(random() % 40) - 20);
    const std::size_t point = random() % (digits.size() + 1);
    if (point < digits.size())
        digits.insert(point, point == 0 ? "0." : ".");
    return digits;
}

} // namespace

TEST(Formula, ALiteralGivesItselfAndRelativeFormsAgreeWithTheBulkEditsAndWithTheFormWrittenOut) {
    std::mt19937 random(27);
    for (int i = 0; i < 5000; ++i) {
        const std::string literal = TypedNumber(random);
        const double expected = *PlainNumber(literal);
        const std::string x = i % 2 ? "240.0" : "heavy"; // a literal never reads x
        for (const std::string& text : {"=" + literal, "= ( " + literal + " )", "=(+" + literal + ")"}) {
            const std::optional<std::string> value = Value(text, x);
            ASSERT_TRUE(value) << text << ": " << Problem(text, x);
            ASSERT_EQ(PlainNumber(*value), expected) << text << " gave " << *value;
        }
        ASSERT_EQ(PlainNumber(Value("=(-" + literal + ")", x).value_or("")), -expected)
            << "=(-50) is the number -50";
    }

    // "=*1.2", "=+10%", "=-50" change x as the bulk edits change a cell, and as the
    // same formula written out with x does.
    random.seed(31);
    for (int i = 0; i < 5000; ++i) {
        const std::string x = (random() % 2 ? "-" : "") + TypedNumber(random);
        const std::string k = TypedNumber(random);
        const double amount = *PlainNumber(k);
        const auto bulk = [&x](BulkOperation operation, double operand) {
            return BulkValue(x, operation, operand).value;
        };
        const struct {
            std::string relative, written;
            std::optional<std::string> expected;
        } forms[] = {
            {"=*" + k, "=x*" + k, bulk(BulkOperation::Multiply, amount)},
            {"=+" + k, "=x+" + k, bulk(BulkOperation::Add, amount)},
            {"=-" + k, "= x - " + k, bulk(BulkOperation::Add, -amount)},
            {"=+" + k + "%", "=x+" + k + "%", bulk(BulkOperation::Multiply, 1 + amount / 100)},
            {"=-" + k + "%", "=X-" + k + " %", bulk(BulkOperation::Multiply, 1 - amount / 100)},
            {"=*" + k + "%", "=x*(" + k + "/100)", bulk(BulkOperation::Multiply, amount / 100)},
        };
        for (const auto& form : forms) {
            ASSERT_EQ(Value(form.relative, x), form.expected) << form.relative << " over " << x;
            ASSERT_EQ(Value(form.written, x), form.expected) << form.written << " over " << x;
        }
        if (amount != 0) {
            ASSERT_EQ(Value("=/" + k, x), Value("=x/" + k, x)) << k;
        }
    }
}

TEST(Formula, FunctionsAndTheCarsOtherStatsGiveValuesAndARefusalSaysWhereAndWhy) {
    const CarRow car = RowOf(test::CarLine("RAVEN", "1500", "R P 0 0000 1 1"));
    EXPECT_EQ(Value("=max(x,0.5)", "0.70", 9), "0.70") << "the value's own style stays";
    EXPECT_EQ(Value("=clamp(x, lo, hi)", "0.05", 14), "0.10");
    EXPECT_EQ(Value("=min(x, 2, -1, 7)", "5"), "-1");
    EXPECT_EQ(Value("=round(x, 1)", "2.345"), "2.300") << "rounded, written with x's decimals";
    EXPECT_EQ(Value("=round(x / 7)", "100"), "14");
    EXPECT_EQ(Value("=round(x, -2)", "1549"), "1500");
    EXPECT_EQ(Value("=abs(x) * -2 + 3", "-4"), "-5");
    EXPECT_EQ(Value("=(2 + 3) * 4 - 10 / 4", "1"), "17.5");
    EXPECT_EQ(Value("=8 / 4 * 2", "1"), "4") << "* and / group from the left";
    EXPECT_EQ(Value("=clamp(x, 5, 5)", "7"), "5") << "a range of one value";
    EXPECT_EQ(Value("=0.8 * TractionBias", "0", 18, &car), Value("=0.8*#11", "0", 18, &car));
    EXPECT_EQ(Value("=MAXVELOCITY + maxv", "0", 13, &car), Value("=2*#13", "0", 13, &car))
        << "names as the car table's filter takes them";
    EXPECT_EQ(Value("=ABS(-3)", "0"), "3") << "a function wins over the stat ABS";
    EXPECT_EQ(Value("=x", "1e3"), "1000");
    EXPECT_EQ(Value("=/3", "1"), "0.333333333333333") << "a plain decimal, never 3.3e-1";

    // Nothing comes back from a formula that is refused; the problem says where and why.
    const CarRow heavy = RowOf(test::CarLine("RAVEN", "16OO"));
    for (const std::string& refused : std::vector<std::string>{
             "=", "=*", "=max(x, )", "=*1,2", "=x%2", "=2x", "=(x", "=x)", "=x2 + 1", "=d + 1", "=#40",
             "=abs", "=*1e400", "=0." + std::string(400, '0') + "1", "=x * 1e308 * 10", "1500", "=#1 + 1"}) {
        const FormulaResult result = EvaluateFormula(refused, {"1500", 1, &heavy});
        EXPECT_TRUE(!result.value && !result.problem.empty()) << refused;
    }
    // Where the text is built of more than the place, it is checked whole.
    const std::pair<std::string, std::string> problems[] = {
        {"=abs",
         "at character 5, \"abs\" is a function: its values follow in \"(\" and \")\"; the stat is #19"},
        {"=clamp(x, 1)", "at character 2, clamp takes 3 values, not 2"},
        {"=clamp(x, 5, 2)", "at character 2, clamp's lowest value 5 is above its highest 2"},
        {"=round(x, 0.5)", "at character 2, round's digits are a whole number from -15 to 15, not 0.5"},
        {"=#1 + 1", "#1 Mass is \"16OO\", which is no number"},
    };
    for (const auto& [text, problem] : problems)
        EXPECT_EQ(Problem(text, "1500", &heavy), problem) << text;
    EXPECT_EQ(Problem("=*2", "heavy"), "x is \"heavy\", which is no number");
    EXPECT_EQ(Problem("=lo", "1", nullptr), "") << "a number stat has limits";
    EXPECT_EQ(EvaluateFormula("=hi", {"F", 15, &heavy}).problem, "hi: this value has no limits");
    EXPECT_EQ(EvaluateFormula("=#1", {"1", 2, nullptr}).problem,
              "#1: there is no car whose stats it could read here");
}

// Refused before it could run out of stack.
TEST(Formula, TheReaderTakesAHundredLevelsAndAThousandCharactersAndNoMore) {
    for (const std::string open : {"(", "abs(", "-(", "min(x, "}) {
        for (const std::size_t levels : {std::size_t{100}, std::size_t{101}}) {
            std::string text = "=";
            for (std::size_t i = 0; i < levels; ++i)
                text += open;
            text += "1" + std::string(levels, ')');
            const FormulaResult result = EvaluateFormula(text, {"1500", 1, nullptr});
            if (levels == 100) {
                EXPECT_TRUE(result.value) << open << ": " << result.problem;
                continue;
            }
            const std::size_t at = 1 + 100 * open.size() + open.find('(') + 1;
            EXPECT_EQ(result.problem,
                      "at character " + std::to_string(at) + ", a formula nests at most 100 levels of \"(\"")
                << open;
        }
    }
    std::string sum = "=1";
    while (sum.size() < 1000)
        sum += "+1";
    EXPECT_EQ(Value(sum, "1"), "500");
}
