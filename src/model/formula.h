#pragma once

// Formulas: a text that begins with "=" computes the value it is typed over.
// "=*1.2", "=+10%", "=-50" and "=/2" change the value it replaces (x); any
// other formula is an expression over x, the stat's limits (lo, hi) and the
// car's other stats (#13, MaxVelocity): arithmetic, parentheses, "%" as a
// percent sign, min, max, clamp, round and abs. Blanks are free after "=".

#include "model/handling_document.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

bool IsFormula(std::string_view text);

// What a formula reads besides its own text.
struct FormulaInput {
    std::string_view x;          // the value the result replaces, as stored
    int column = -1;             // the stat the result is written to: lo and hi are its limits
    const CarRow* car = nullptr; // the car whose other stats the formula names; none: naming one is refused
};

// The value to write, in the style of x, or why there is none.
struct FormulaResult {
    std::optional<std::string> value;
    std::string problem;
};

// A formula read once, to be worked out over many values.
class Formula {
  public:
    // The text, which begins with "=", as a formula; nothing when it cannot be
    // read, and problem then says where (the character, counted from 1) and why.
    // A text of more than 1000 characters, or with "(" nested more than 100
    // deep, is refused so.
    static std::optional<Formula> Read(std::string_view text, std::string& problem);

    // The number the formula gives, or nothing with the reason: a value it
    // reads that is no number, a division by zero, a result beyond a double.
    std::optional<double> Number(const FormulaInput& input, std::string& problem) const;
    // That number written as a computed value over x (ComputedDecimal).
    FormulaResult Evaluate(const FormulaInput& input) const;

    enum class Op : unsigned char {
        Number,
        X,
        Low,
        High,
        Stat,
        Negate,
        Add,
        Subtract,
        Multiply,
        Divide,
        Percent,
        AddShare,
        SubtractShare,
        Min,
        Max,
        Clamp,
        Round,
        Abs
    };
    struct Step {
        Op op = Op::Number;
        double number = 0;  // Number: the value; Min, Max, Round: how many values it takes
        int column = -1;    // Stat: the stat read
        std::size_t at = 0; // where it stands in the text, for the problem it meets
    };

  private:
    std::vector<Step> steps_; // in the order worked out, over a stack of values
    std::size_t depth_ = 0;   // the most values on the stack at once
};

// Reads and works out a formula at once, for a single value.
FormulaResult EvaluateFormula(std::string_view text, const FormulaInput& input);

// What the user is told of a formula refused, where it was typed; a long
// formula is quoted by its start.
std::string FormulaRefusal(std::string_view text, std::string_view problem);

} // namespace kestrix
