#pragma once

#include <string>

namespace kestrix::bench {

// A plausible handling file of the given number of cars; every hundredth car
// carries one value out of range so the error list has something to hold.
inline std::string GeneratedHandlingText(int cars) {
    std::string text = "; generated for the benchmarks\r\n;-# File Author : bench\r\n";
    for (int i = 0; i < cars; ++i) {
        const std::string velocity = i % 100 == 0 ? "400" : std::to_string(120 + i % 150);
        text += "CAR_" + std::to_string(100000 + i) +
                "   1650.000  2.400  5.100  1.500  0.000  0.150 -0.250  75.0";
        text += "  1.050  0.820  0.510  5  " + velocity + "  28.500 R P  9.400  0.530 1  32.0  1.800  0.120";
        text += "  0.250  1.100  24000  0.280 -0.170  0.500 2001 " + std::to_string(i % 4) + " 1\r\n";
    }
    return text + "; the end\r\n";
}

} // namespace kestrix::bench
