#pragma once

#include "handling_file/handling_format.h"
#include "validation/error_check.h"

#include <initializer_list>
#include <sstream>
#include <string>

namespace kestrix::test {

// Cars from "NAME v1 v2 ..." lines.
inline CarTable Table(std::initializer_list<std::string_view> lines) {
    CarTable cars;
    for (const std::string_view line : lines)
        SplitCarLine(line, cars.emplace_back());
    return cars;
}

// Each row of an error list as "#N|CAR|explanation".
inline std::vector<std::string> ErrorLines(const std::vector<ErrorRecord>& rows) {
    std::vector<std::string> lines;
    for (const ErrorRecord& row : rows)
        lines.push_back(FirstCellText(row.ErrorNumber) + "|" + row.CarString + "|" + row.ExplanationString);
    return lines;
}

// A car line of plausible values. choices holds drive, engine, ABS, flags,
// front and rear lights, in that order, separated by blanks.
inline std::string CarLine(const std::string& name, const std::string& mass = "1500",
                           const std::string& choices = "R P 1 2001 1 1",
                           const std::string& velocity = "200") {
    std::istringstream parts(choices);
    std::string drive, engine, abs, flags, front, rear;
    parts >> drive >> engine >> abs >> flags >> front >> rear;
    return name + " " + mass + " 2 4 1.5 0 0 0 80 1 0.8 0.5 5 " + velocity + " 20 " + drive + " " + engine +
           " 8 0.5 " + abs + " 30 2 0.1 0.2 1 20000 0.2 -0.2 0.5 " + flags + " " + front + " " + rear;
}

// The generated file as a mod changes it: every step-th car weighs 1700, the
// car at row left out is gone, and a car of that name is added at the end.
// Every third car stores its Flags short, as real mods do.
inline std::string ModdedHandlingText(int cars, int step, int leftOut, const std::string& added) {
    std::string text = "; generated for the benchmarks\r\n;-# File Author : bench\r\n";
    for (int i = 0; i < cars; ++i) {
        if (i == leftOut)
            continue;
        const std::string velocity = i % 100 == 0 ? "400" : std::to_string(120 + i % 150);
        text +=
            CarLine("CAR_" + std::to_string(100000 + i), step > 0 && i % step == 0 ? "1700" : "1650",
                    std::string("R P 1 ") + (i % 3 == 0 ? "2" : "2001") + " " + std::to_string(i % 4) + " 1",
                    velocity) +
            "\r\n";
    }
    if (!added.empty())
        text += CarLine(added) + "\r\n";
    return text + "; the end\r\n";
}

// A handling file of the given number of cars; every hundredth car carries one
// value out of range so the error list has something to hold.
inline std::string GeneratedHandlingText(int cars) {
    return ModdedHandlingText(cars, 0, -1, "");
}

} // namespace kestrix::test
