// Feeds arbitrary bytes after "=" to the formula reader, then works out what
// it read over a few values. Beside the sanitizers (and the stack it must not
// exhaust) it holds the reader to its promises: a refusal says at which
// character, within the text; what it reads is at most 1000 characters; a
// result is a number the program can read back; and the message quoting a
// refused formula stays short.
#include "model/formula.h"
#include "model/number.h"
#include "require.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

using namespace kestrix;

namespace {

// A car whose stats are numbers, but for one that is no number.
CarRow FuzzCar() {
    CarRow car;
    car.Set(0, "FUZZ");
    for (int column = 1; column < kStatCount; ++column)
        car.Set(column, std::to_string(column * 37 % 101) + ".5");
    car.Set(5, "heavy");
    return car;
}

// The character a refusal names, when it begins "at character N, ".
bool NamesACharacterWithin(std::string_view problem, std::size_t size) {
    constexpr std::string_view kAt = "at character ";
    if (!problem.starts_with(kAt))
        return false;
    std::size_t at = 0;
    const char* first = problem.data() + kAt.size();
    const auto [end, error] = std::from_chars(first, problem.data() + problem.size(), at);
    return error == std::errc() && at >= 1 && at <= size + 1 && std::string_view(end).starts_with(", ");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = "=" + std::string(reinterpret_cast<const char*>(data), size);
    std::string problem;
    const std::optional<Formula> formula = Formula::Read(text, problem);
    if (!formula) {
        Require(NamesACharacterWithin(problem, text.size()), "a refusal named no character of the formula");
        constexpr std::size_t kMostQuoted = 80 + 3;
        Require(FormulaRefusal(text, problem).size() <= kMostQuoted + problem.size() + 64,
                "the message quoted a long formula whole");
        return 0;
    }
    Require(text.size() <= 1000, "a formula of more than 1000 characters was read");
    static const CarRow car = FuzzCar();
    for (const std::string_view x : {"1500", "0.25", "-3e2", "heavy"}) {
        for (const CarRow* named : {&car, static_cast<const CarRow*>(nullptr)}) {
            const FormulaResult result = formula->Evaluate({x, 1, named});
            if (result.value)
                Require(PlainNumber(*result.value).has_value(), "a result reads back as no number");
            else
                Require(!result.problem.empty(), "no result and no reason");
        }
    }
    return 0;
}
