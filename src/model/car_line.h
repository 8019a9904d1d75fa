#pragma once

#include "model/handling_document.h"

#include <bit>
#include <cstdint>
#include <string_view>

namespace kestrix {

// The filled bytes (neither blank nor tab) among the 64 of line from base on,
// one bit each (fewer at its end, the bits past it clear), sixteen at a time:
// a line is split in blocks, so the cost does not grow with how its values
// alternate with blanks.
std::uint64_t FilledBits(std::string_view line, std::size_t base);

// Splits a car line at blanks and tabs; returns how many values the line
// holds, which may be more than values takes.
int SplitCarLine(std::string_view line, CarValues& values);

// Calls take(from, to) for each value of a car line, in order, while it
// returns true; whether every call did.
template <class Take> bool ForEachValue(std::string_view line, Take&& take) {
    const char* start = nullptr; // of a value that runs on past the block before
    for (std::size_t base = 0; base < line.size(); base += 64) {
        const char* const block = line.data() + base;
        const std::uint64_t filled = FilledBits(line, base);
        const std::uint64_t before = filled << 1 | (start ? 1 : 0);
        // A value starts at a filled byte after a blank and ends at a blank
        // after a filled byte; in a block they come in pairs, in order.
        std::uint64_t starts = filled & ~before;
        std::uint64_t ends = ~filled & before;
        if (start) {
            if (ends == 0)
                continue;
            if (!take(start, block + std::countr_zero(ends)))
                return false;
            ends &= ends - 1;
            start = nullptr;
        }
        for (; starts != 0; starts &= starts - 1) {
            const char* const from = block + std::countr_zero(starts);
            if (ends == 0) {
                start = from;
                break;
            }
            if (!take(from, block + std::countr_zero(ends)))
                return false;
            ends &= ends - 1;
        }
    }
    return !start || take(start, line.data() + line.size());
}

} // namespace kestrix
