#include "model/car_line.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrix {

namespace {

// One bit per byte of sixteen, set at the filled ones (neither blank nor tab).
std::uint64_t FilledBits16(const char* at) {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i blanks =
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
    return ~static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(blanks))) & 0xFFFF;
#else
    // A word of eight at a time: the high bit of each blank byte, gathered into the low eight bits.
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    const auto zeroBytes = [](std::uint64_t v) { return ~(((v & kLow7) + kLow7) | v) & kHigh; };
    std::uint64_t bits = 0;
    for (int half = 0; half < 2; ++half) {
        std::uint64_t word = 0;
        for (int i = 0; i < 8; ++i)
            word |= std::uint64_t{static_cast<unsigned char>(at[8 * half + i])} << (8 * i);
        const std::uint64_t blanks =
            zeroBytes(word ^ 0x2020202020202020ULL) | zeroBytes(word ^ 0x0909090909090909ULL);
        bits |= (((blanks >> 7) * 0x0102040810204080ULL) >> 56) << (8 * half);
    }
    return ~bits & 0xFFFF;
#endif
}

} // namespace

std::uint64_t FilledBits(std::string_view line, std::size_t base) {
    const std::size_t size = std::min<std::size_t>(64, line.size() - base);
    const char* const at = line.data() + base;
    std::uint64_t bits = 0;
    std::size_t block = 0;
    for (; block + 16 <= size; block += 16)
        bits |= FilledBits16(at + block) << block;
    if (const std::size_t left = size - block; left > 0) {
        if (base + block + left >= 16) {
            // The last sixteen bytes of the line, of which the first are known already.
            bits |= FilledBits16(at + block + left - 16) >> (16 - left) << block;
        } else {
            char tail[16];
            std::memset(tail, ' ', sizeof tail);
            std::memcpy(tail, at + block, left);
            bits |= FilledBits16(tail) << block;
        }
    }
    return bits;
}

int SplitCarLine(std::string_view line, CarValues& values) {
    int count = 0;
    ForEachValue(line, [&](const char* from, const char* to) {
        if (count < kStatCount)
            values[static_cast<std::size_t>(count)] =
                std::string_view(from, static_cast<std::size_t>(to - from));
        ++count;
        return true;
    });
    for (int column = std::min(count, kStatCount); column < kStatCount; ++column)
        values[static_cast<std::size_t>(column)] = {};
    return count;
}

} // namespace kestrix
