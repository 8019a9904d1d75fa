#include "model/formula.h"

#include "model/number.h"
#include "model/stat_names.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrix {

namespace {

using Op = Formula::Op;
using Step = Formula::Step;

struct Function {
    std::string_view name;
    Op op;
    int fewest;
    int most; // 0: no limit
};
constexpr Function kFunctions[] = {
    {"min", Op::Min, 1, 0},     {"max", Op::Max, 1, 0}, {"clamp", Op::Clamp, 3, 3},
    {"round", Op::Round, 1, 2}, {"abs", Op::Abs, 1, 1},
};

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const Function* FunctionNamed(std::string_view name) {
    const std::string folded = Folded(name);
    for (const Function& function : kFunctions)
        if (function.name == folded)
            return &function;
    return nullptr;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// More than anyone types; they keep the reader's recursion shallow whatever is pasted.
constexpr std::size_t kMostCharacters = 1000;
constexpr int kMostLevels = 100;

// Recursive descent over the text, writing the steps in the order they are worked out.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool Read(std::vector<Step>& steps) {
        if (text_.size() > kMostCharacters) {
            pos_ = kMostCharacters;
            return Fail("a formula is at most " + std::to_string(kMostCharacters) + " characters long");
        }
        pos_ = 1; // after "="
        SkipBlanks();
        if (AtEnd())
            return Fail("there is nothing after \"=\"");
        const char first = text_[pos_];
        if (first == '*' || first == '/' || first == '+' || first == '-') {
            // Relative to the value replaced: "=*1.2" is x * (1.2).
            const std::size_t at = pos_++;
            steps_.push_back({Op::X, 0, -1, at});
            bool share = false;
            if (!Expression(share))
                return false;
            AddOperator(first, share, at);
        } else {
            bool share = false;
            if (!Expression(share))
                return false;
        }
        SkipBlanks();
        if (!AtEnd())
            return Unexpected();
        steps = std::move(steps_);
        return true;
    }
    const std::string& Problem() const { return problem_; }

  private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void SkipBlanks() {
        while (!AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t'))
            ++pos_;
    }
    bool Fail(std::string why) {
        problem_ = "at character " + std::to_string(std::min(pos_, text_.size()) + 1) + ", " + std::move(why);
        return false;
    }
    bool Unexpected() {
        const char c = Peek();
        if (c == ',')
            return Fail("\",\" only separates a function's values; a decimal point is \".\"");
        if (c == ')')
            return Fail("\")\" closes no \"(\"");
        return Fail(Quoted(std::string(1, c)) +
                    " is out of place: an operator (+ - * /) is missing before it");
    }

    // Steps over a "(" that opens a level, or refuses one level too many.
    bool Open() {
        if (levels_ == kMostLevels)
            return Fail("a formula nests at most " + std::to_string(kMostLevels) + " levels of \"(\"");
        ++levels_;
        ++pos_;
        return true;
    }
    void Close() {
        --levels_;
        ++pos_;
    }

    void AddOperator(char op, bool share, std::size_t at) {
        switch (op) {
        case '+':
            steps_.push_back({share ? Op::AddShare : Op::Add, 0, -1, at});
            break;
        case '-':
            steps_.push_back({share ? Op::SubtractShare : Op::Subtract, 0, -1, at});
            break;
        case '*':
            steps_.push_back({Op::Multiply, 0, -1, at});
            break;
        default:
            steps_.push_back({Op::Divide, 0, -1, at});
            break;
        }
    }

    // Terms joined by + and -. share: the expression is one percentage
    // alone ("10%"), which + and - take as a share of what they change.
    bool Expression(bool& share) {
        if (!Term(share))
            return false;
        for (;;) {
            SkipBlanks();
            const char op = Peek();
            if (op != '+' && op != '-')
                return true;
            const std::size_t at = pos_++;
            bool percent = false;
            if (!Term(percent))
                return false;
            AddOperator(op, percent, at);
            share = false;
        }
    }

    bool Term(bool& share) {
        if (!Factor(share))
            return false;
        for (;;) {
            SkipBlanks();
            const char op = Peek();
            if (op != '*' && op != '/')
                return true;
            const std::size_t at = pos_++;
            bool percent = false;
            if (!Factor(percent))
                return false;
            AddOperator(op, false, at);
            share = false;
        }
    }

    // A signed value, with "%" after it for a percentage.
    bool Factor(bool& share) {
        SkipBlanks();
        share = false;
        if (Peek() == '-' || Peek() == '+') {
            const bool negative = Peek() == '-';
            const std::size_t at = pos_++;
            if (!Factor(share))
                return false;
            if (negative)
                steps_.push_back({Op::Negate, 0, -1, at});
            return true;
        }
        if (!Primary())
            return false;
        SkipBlanks();
        if (Peek() == '%') {
            steps_.push_back({Op::Percent, 0, -1, pos_++});
            share = true;
            SkipBlanks();
            if (IsDigit(Peek()) || IsLetter(Peek()) || Peek() == '(' || Peek() == '.')
                return Fail("\"%\" is a percent sign only; there is no remainder");
        }
        return true;
    }

    bool Primary() {
        SkipBlanks();
        if (AtEnd())
            return Fail("a value is missing at the end");
        const char c = Peek();
        const std::size_t at = pos_;
        if (c == '(') {
            if (!Open())
                return false;
            bool share = false;
            if (!Expression(share))
                return false;
            SkipBlanks();
            if (Peek() != ')')
                return AtEnd() ? Fail("a \")\" is missing at the end") : Unexpected();
            Close();
            return true;
        }
        if (c == '#')
            return Stat(at);
        if (IsLetter(c))
            return Name(at);
        if (const std::optional<NumberRead> number = ReadNumberAt(text_, pos_)) {
            if (!number->inRange)
                return Fail(number->value == 0 ? "the number is too small for a value to hold"
                                               : "the number is beyond the largest a value can hold");
            steps_.push_back({Op::Number, number->value, -1, at});
            pos_ = number->end;
            return true;
        }
        if (c == ')' || c == ',')
            return Fail("a value is missing before " + Quoted(std::string(1, c)));
        return Fail(Quoted(std::string(1, c)) + " is no number, stat, function or \"(\"");
    }

    bool Stat(std::size_t at) {
        std::size_t end = pos_ + 1;
        while (end < text_.size() && IsDigit(text_[end]))
            ++end;
        const NamedColumn named = StatNamed(text_.substr(pos_, end - pos_));
        if (named.column < 0)
            return Fail(named.problem);
        steps_.push_back({Op::Stat, 0, named.column, at});
        pos_ = end;
        return true;
    }

    bool Name(std::size_t at) {
        std::size_t end = pos_;
        while (end < text_.size() && (IsLetter(text_[end]) || IsDigit(text_[end])))
            ++end;
        const std::string_view name = text_.substr(pos_, end - pos_);
        if (const Function* function = FunctionNamed(name)) {
            pos_ = end;
            return Call(*function, name, at);
        }
        const std::string folded = Folded(name);
        static constexpr std::array<std::pair<std::string_view, Op>, 3> kValues{
            {{"x", Op::X}, {"lo", Op::Low}, {"hi", Op::High}}};
        for (const auto& [word, op] : kValues)
            if (folded == word) {
                steps_.push_back({op, 0, -1, at});
                pos_ = end;
                return true;
            }
        const NamedColumn named = StatNamed(name);
        if (named.column < 0)
            return Fail(named.problem);
        steps_.push_back({Op::Stat, 0, named.column, at});
        pos_ = end;
        return true;
    }

    bool Call(const Function& function, std::string_view name, std::size_t at) {
        SkipBlanks();
        if (Peek() != '(') {
            const NamedColumn stat = StatNamed(name);
            return Fail(Quoted(name) + " is a function: its values follow in \"(\" and \")\"" +
                        (stat.column >= 0 ? "; the stat is #" + std::to_string(stat.column) : ""));
        }
        if (!Open())
            return false;
        int count = 0;
        for (;;) {
            bool share = false;
            if (!Expression(share))
                return false;
            ++count;
            SkipBlanks();
            if (Peek() == ',') {
                ++pos_;
                continue;
            }
            if (Peek() == ')') {
                Close();
                break;
            }
            return AtEnd() ? Fail("a \")\" is missing at the end") : Unexpected();
        }
        if (count < function.fewest || (function.most > 0 && count > function.most)) {
            pos_ = at;
            const std::string takes =
                function.fewest == function.most
                    ? std::to_string(function.fewest)
                    : std::to_string(function.fewest) + " or " + std::to_string(function.most);
            return Fail(std::string(function.name) + " takes " + takes +
                        (function.most == 1 ? " value" : " values") + ", not " + std::to_string(count));
        }
        steps_.push_back({function.op, static_cast<double>(count), -1, at});
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int levels_ = 0; // "(" open where the reader stands
    std::vector<Step> steps_;
    std::string problem_;
};

// How the stack grows and shrinks with each step.
int StackChange(const Step& step) {
    switch (step.op) {
    case Op::Number:
    case Op::X:
    case Op::Low:
    case Op::High:
    case Op::Stat:
        return 1;
    case Op::Negate:
    case Op::Percent:
    case Op::Abs:
        return 0;
    case Op::Min:
    case Op::Max:
    case Op::Round:
    case Op::Clamp:
        return 1 - static_cast<int>(step.number);
    default:
        return -1;
    }
}

std::string NoNumber(std::string_view what, std::string_view value) {
    return what.empty() ? "" : std::string(what) + " is " + Quoted(value) + ", which is no number";
}

} // namespace

bool IsFormula(std::string_view text) {
    return text.starts_with('=');
}

std::optional<Formula> Formula::Read(std::string_view text, std::string& problem) {
    if (!IsFormula(text)) {
        problem = "a formula begins with \"=\"";
        return std::nullopt;
    }
    Reader reader(text);
    Formula formula;
    if (!reader.Read(formula.steps_)) {
        problem = reader.Problem();
        return std::nullopt;
    }
    int depth = 0;
    for (const Step& step : formula.steps_) {
        depth += StackChange(step);
        formula.depth_ = std::max(formula.depth_, static_cast<std::size_t>(depth));
    }
    return formula;
}

namespace {

// The stack of values a formula is worked out on; on the stack itself for the usual few.
class Values {
  public:
    explicit Values(std::size_t depth) {
        if (depth > fixed_.size())
            more_.resize(depth);
        data_ = depth > fixed_.size() ? more_.data() : fixed_.data();
    }
    void Push(double value) { data_[size_++] = value; }
    double Pop() { return data_[--size_]; }
    double& Top() { return data_[size_ - 1]; }
    // The last count values, which a function takes.
    double* Last(std::size_t count) { return data_ + size_ - count; }
    void Drop(std::size_t count) { size_ -= count; }

  private:
    std::array<double, 32> fixed_;
    std::vector<double> more_;
    double* data_;
    std::size_t size_ = 0;
};

std::optional<double> Limit(const FormulaInput& input, bool high, std::string& problem) {
    if (input.column < 0 || input.column >= kStatCount || StatCatalogue::Instance()[input.column].IsText) {
        problem = std::string(high ? "hi" : "lo") + ": this value has no limits";
        return std::nullopt;
    }
    const StatDef& def = StatCatalogue::Instance()[input.column];
    return high ? static_cast<double>(def.Maximum) : def.Minimum;
}

std::optional<double> StatValue(const FormulaInput& input, int column, std::string& problem) {
    if (!input.car) {
        problem = "#" + std::to_string(column) + ": there is no car whose stats it could read here";
        return std::nullopt;
    }
    const std::string_view value = (*input.car)[column];
    const std::optional<double> number = PlainNumber(value);
    if (!number)
        problem = NoNumber("#" + std::to_string(column) + " " +
                               std::string(StatCatalogue::Instance()[column].StatName),
                           value);
    return number;
}

} // namespace

std::optional<double> Formula::Number(const FormulaInput& input, std::string& problem) const {
    Values values(depth_);
    std::optional<double> x;
    for (const Step& step : steps_) {
        switch (step.op) {
        case Op::Number:
            values.Push(step.number);
            break;
        case Op::X:
            if (!x && !(x = PlainNumber(input.x))) {
                problem = NoNumber("x", input.x);
                return std::nullopt;
            }
            values.Push(*x);
            break;
        case Op::Low:
        case Op::High: {
            const std::optional<double> limit = Limit(input, step.op == Op::High, problem);
            if (!limit)
                return std::nullopt;
            values.Push(*limit);
            break;
        }
        case Op::Stat: {
            const std::optional<double> value = StatValue(input, step.column, problem);
            if (!value)
                return std::nullopt;
            values.Push(*value);
            break;
        }
        case Op::Negate:
            values.Top() = -values.Top();
            break;
        case Op::Percent:
            values.Top() /= 100;
            break;
        case Op::Abs:
            values.Top() = std::fabs(values.Top());
            break;
        case Op::Add: {
            const double b = values.Pop();
            values.Top() += b;
            break;
        }
        case Op::Subtract: {
            const double b = values.Pop();
            values.Top() -= b;
            break;
        }
        case Op::AddShare: {
            const double share = values.Pop();
            values.Top() *= 1 + share;
            break;
        }
        case Op::SubtractShare: {
            const double share = values.Pop();
            values.Top() *= 1 - share;
            break;
        }
        case Op::Multiply: {
            const double b = values.Pop();
            values.Top() *= b;
            break;
        }
        case Op::Divide: {
            const double b = values.Pop();
            if (b == 0) {
                problem = "at character " + std::to_string(step.at + 1) + ", a division by zero";
                return std::nullopt;
            }
            values.Top() /= b;
            break;
        }
        case Op::Min:
        case Op::Max: {
            const std::size_t count = static_cast<std::size_t>(step.number);
            const double* first = values.Last(count);
            const double result = step.op == Op::Min ? *std::min_element(first, first + count)
                                                     : *std::max_element(first, first + count);
            values.Drop(count);
            values.Push(result);
            break;
        }
        case Op::Clamp: {
            const double* args = values.Last(3);
            if (args[1] > args[2]) {
                problem = "at character " + std::to_string(step.at + 1) + ", clamp's lowest value " +
                          PlainDecimal(args[1]) + " is above its highest " + PlainDecimal(args[2]);
                return std::nullopt;
            }
            const double result = std::clamp(args[0], args[1], args[2]);
            values.Drop(3);
            values.Push(result);
            break;
        }
        case Op::Round: {
            constexpr double kMostDigits = 15;
            const double digits = step.number == 2 ? values.Pop() : 0;
            if (digits != std::trunc(digits) || std::fabs(digits) > kMostDigits) {
                problem = "at character " + std::to_string(step.at + 1) +
                          ", round's digits are a whole number from -15 to 15, not " + PlainDecimal(digits);
                return std::nullopt;
            }
            const double scale = std::pow(10.0, digits);
            double& value = values.Top();
            const double scaled = std::round(value * scale) / scale;
            if (std::isfinite(scaled))
                value = scaled;
            break;
        }
        }
    }
    const double result = values.Pop();
    if (!std::isfinite(result)) {
        problem = "the result is beyond the largest number a value can hold";
        return std::nullopt;
    }
    return result;
}

FormulaResult Formula::Evaluate(const FormulaInput& input) const {
    FormulaResult result;
    if (const std::optional<double> number = Number(input, result.problem))
        result.value = ComputedDecimal(*number, input.x);
    return result;
}

FormulaResult EvaluateFormula(std::string_view text, const FormulaInput& input) {
    FormulaResult result;
    if (const std::optional<Formula> formula = Formula::Read(text, result.problem))
        return formula->Evaluate(input);
    return result;
}

std::string FormulaRefusal(std::string_view text, std::string_view problem) {
    // Its start is enough to know it by; a pasted page would not fit the message.
    constexpr std::size_t kMostShown = 80;
    const std::string shown =
        text.size() > kMostShown ? std::string(text.substr(0, kMostShown)) + "..." : std::string(text);
    return "The formula " + Quoted(shown) + " was not used: " + std::string(problem) +
           ".\rNothing was changed.";
}

} // namespace kestrix
