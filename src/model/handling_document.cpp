#include "model/handling_document.h"

#include "model/car_line.h"
#include "model/product.h"

#include <algorithm>
#include <array>
#include <functional>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrix {

namespace {

// The pieces rows are carved from: large enough for hundreds of cars, small
// enough that a few rows kept (the undo history's) hold little memory.
constexpr std::size_t kPieceBytes = std::size_t{1} << 16;
// A row larger than this (a line of very long values) gets a block of its own.
constexpr std::size_t kLargestCarved = kPieceBytes / 8;

} // namespace

// Counts the rows carved from it that are still held, plus, while its slab
// carves from it, a bound on the rows it may yet carve, so that it cannot go
// before the slab moves on; the slab then takes back what it did not carve.
struct CarRowSlab::Piece {
    std::atomic<std::uint32_t> live{kPieceBytes};
    std::uint32_t carved = 0;
    void Drop(std::uint32_t count) {
        if (live.fetch_sub(count, std::memory_order_acq_rel) == count) {
            this->~Piece();
            ::operator delete(this);
        }
    }
};

CarRowSlab::~CarRowSlab() {
    if (piece_)
        piece_->Drop(kPieceBytes - piece_->carved);
}

char* CarRowSlab::Carve(std::size_t size, std::uint32_t& offset) {
    constexpr std::size_t kAlign = 4;
    size = (size + kAlign - 1) & ~(kAlign - 1);
    if (!piece_ || used_ + size > kPieceBytes) {
        if (piece_)
            piece_->Drop(kPieceBytes - piece_->carved);
        piece_ = new (::operator new(kPieceBytes)) Piece;
        used_ = (sizeof(Piece) + kAlign - 1) & ~(kAlign - 1);
    }
    offset = static_cast<std::uint32_t>(used_);
    used_ += size;
    ++piece_->carved;
    return reinterpret_cast<char*>(piece_) + offset;
}

void CarRowSlab::Trim(std::uint32_t offset, std::size_t size) {
    constexpr std::size_t kAlign = 4;
    used_ = (offset + size + kAlign - 1) & ~(kAlign - 1);
    if (size == 0)
        --piece_->carved;
}

void CarRow::Release() noexcept {
    if (block_ && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        const std::uint32_t offset = block_->offset;
        block_->~Block();
        if (offset != 0)
            reinterpret_cast<CarRowSlab::Piece*>(reinterpret_cast<char*>(block_) - offset)->Drop(1);
        else
            ::operator delete(block_);
    }
    block_ = nullptr;
}

namespace {

// Values are a few bytes: compared in pieces of sizes known to the
// compiler, which it does inline, rather than through a call each.
bool SameBytes(const char* a, const char* b, std::size_t size) {
    for (; size >= 8; size -= 8, a += 8, b += 8)
        if (std::memcmp(a, b, 8) != 0)
            return false;
    for (const std::size_t piece : {4, 2, 1}) {
        if (size & piece) {
            if (std::memcmp(a, b, piece) != 0)
                return false;
            a += piece;
            b += piece;
        }
    }
    return true;
}

// Whether a value of at most sixteen bytes may be handled sixteen bytes at
// once: it lies in line with sixteen bytes of it from its start, and room
// is left after where it goes.
bool SixteenFit(std::string_view value, std::string_view line, std::size_t at, std::size_t room) {
    const auto from =
        reinterpret_cast<std::uintptr_t>(value.data()) - reinterpret_cast<std::uintptr_t>(line.data());
    return value.size() <= 16 && at + 16 <= room && line.size() >= 16 && from <= line.size() - 16;
}

#if defined(__SSE2__)
// Whether the first size bytes of a and b, at most sixteen, are the same: a
// value compared without a branch on its length.
bool SameFirst(const char* a, const char* b, std::size_t size) {
    const __m128i same = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)),
                                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)));
    return (~static_cast<unsigned>(_mm_movemask_epi8(same)) & ((1u << size) - 1)) == 0;
}

void CopySixteen(char* out, const char* in) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
}
#else
bool SameFirst(const char* a, const char* b, std::size_t size) {
    return SameBytes(a, b, size);
}

void CopySixteen(char* out, const char* in) {
    std::memcpy(out, in, 16);
}
#endif

std::size_t WidthFor(std::size_t total) {
    return total <= UINT8_MAX ? 1 : total <= UINT16_MAX ? 2 : 4;
}

// Moves the ends from column on by grown - shrunk, each end as wide as End.
template <class End> void ShiftEnds(char* ends, int column, std::size_t grown, std::size_t shrunk) {
    for (auto i = static_cast<std::size_t>(column); i < kStatCount; ++i) {
        End end;
        std::memcpy(&end, ends + i * sizeof end, sizeof end);
        end = static_cast<End>(end + grown - shrunk);
        std::memcpy(ends + i * sizeof end, &end, sizeof end);
    }
}

} // namespace

void CarRow::Set(int column, std::string_view value) {
    if (SetInPlace(column, value))
        return;
    std::array<std::string_view, kStatCount> values;
    for (int i = 0; i < kStatCount; ++i)
        values[static_cast<std::size_t>(i)] = i == column ? value : (*this)[i];
    const std::size_t total = block_ ? End(kStatCount - 1) : 0;
    // Room to grow in place: a car changed once is often changed again (a bulk change, an undo).
    Build(values.data(), kStatCount, total / 2 + 16);
}

// Only a block no other row shares may change, and only into the block that
// Build would make of the new values, so that equal values stay equal bytes.
bool CarRow::SetInPlace(int column, std::string_view value) {
    if (!block_ || block_->refs.load(std::memory_order_acquire) != 1)
        return false;
    const std::less<const char*> before;
    char* text = block_->Bytes() + kStatCount * block_->width;
    if (!before(value.data(), block_->Bytes()) && before(value.data(), text + block_->capacity))
        return false; // a value of this very row: the rebuild copies it first
    const std::size_t total = End(kStatCount - 1);
    const std::size_t start = column == 0 ? 0 : End(column - 1);
    const std::size_t oldEnd = End(column);
    const std::size_t newTotal = total - (oldEnd - start) + value.size();
    if (newTotal > block_->capacity || WidthFor(newTotal) != block_->width)
        return false;
    std::memmove(text + start + value.size(), text + oldEnd, total - oldEnd);
    if (!value.empty())
        std::memcpy(text + start, value.data(), value.size());
    const std::size_t grown = start + value.size();
    switch (block_->width) {
    case 1:
        ShiftEnds<std::uint8_t>(block_->Bytes(), column, grown, oldEnd);
        break;
    case 2:
        ShiftEnds<std::uint16_t>(block_->Bytes(), column, grown, oldEnd);
        break;
    default:
        ShiftEnds<std::uint32_t>(block_->Bytes(), column, grown, oldEnd);
    }
    return true;
}

void CarRow::Assign(const std::string_view* values, int count) {
    Build(values, count, 0);
}

bool CarRow::Holds(const std::string_view* values, int count) const {
    if (!block_) {
        for (int i = 0; i < count; ++i)
            if (!values[i].empty())
                return false;
        return true;
    }
    const char* const ends = block_->Bytes();
    const char* const text = Text();
    // Each end read as wide as the block's, with the width known to the compiler.
    const auto same = [&]<class End>(End) {
        std::size_t start = 0;
        for (int i = 0; i < kStatCount; ++i) {
            End end;
            std::memcpy(&end, ends + static_cast<std::size_t>(i) * sizeof end, sizeof end);
            const std::string_view value = i < count ? values[i] : std::string_view();
            if (end - start != value.size() || !SameBytes(text + start, value.data(), value.size()))
                return false;
            start = end;
        }
        return true;
    };
    return block_->width == 1   ? same(std::uint8_t{})
           : block_->width == 2 ? same(std::uint16_t{})
                                : same(std::uint32_t{});
}

int CarRow::AssignLine(std::string_view line, CarRowSlab& slab, CarValues* values) {
    if (line.size() > UINT8_MAX) { // the ends may need more than a byte each
        CarValues split;
        CarValues& out = values ? *values : split;
        const int count = SplitCarLine(line, out);
        Build(out.data(), std::min(count, kStatCount), 0, &slab, line);
        return count;
    }
    // Room for every byte of the line, of which the values take less: the
    // block is built in it as the line is walked, and the rest given back.
    const std::size_t room = sizeof(Block) + kStatCount + line.size();
    std::uint32_t offset = 0;
    auto* block = new (slab.Carve(room, offset)) Block;
    block->width = 1;
    block->offset = offset;
    char* const ends = block->Bytes();
    char* const text = ends + kStatCount;
    int count = 0;
    std::size_t length = 0;
    ForEachValue(line, [&](const char* from, const char* to) {
        if (count < kStatCount) {
            const std::string_view value(from, static_cast<std::size_t>(to - from));
            if (SixteenFit(value, line, length, line.size()))
                CopySixteen(text + length, from);
            else
                CopyFew(text + length, from, value.size());
            length += value.size();
            ends[count] = static_cast<char>(length);
            if (values)
                (*values)[static_cast<std::size_t>(count)] = value;
        }
        ++count;
        return true;
    });
    for (int column = std::min(count, kStatCount); column < kStatCount; ++column) {
        ends[column] = static_cast<char>(length);
        if (values)
            (*values)[static_cast<std::size_t>(column)] = {};
    }
    Release();
    if (length == 0) { // a row without values has no block
        block->~Block();
        slab.Trim(offset, 0);
        return count;
    }
    block->capacity = static_cast<std::uint32_t>(length);
    slab.Trim(offset, sizeof(Block) + kStatCount + length);
    block_ = block;
    return count;
}

bool CarRow::HoldsLine(std::string_view line) const {
    if (!block_)
        return ForEachValue(line, [](const char*, const char*) { return false; });
    const char* const ends = block_->Bytes();
    const char* const text = Text();
    const std::size_t total = End(kStatCount - 1);
    // Each end read as wide as the block's, with the width known to the compiler.
    const auto same = [&]<class End>(End) {
        std::size_t column = 0;
        std::size_t start = 0; // of the next value in text
        return ForEachValue(line,
                            [&](const char* from, const char* to) {
                                if (column == kStatCount)
                                    return false;
                                End end;
                                std::memcpy(&end, ends + column++ * sizeof end, sizeof end);
                                const std::string_view value(from, static_cast<std::size_t>(to - from));
                                if (end - start != value.size() ||
                                    !(SixteenFit(value, line, start, total)
                                          ? SameFirst(text + start, from, value.size())
                                          : SameBytes(text + start, from, value.size())))
                                    return false;
                                start = end;
                                return true;
                            }) &&
               start == total;
    };
    return block_->width == 1   ? same(std::uint8_t{})
           : block_->width == 2 ? same(std::uint16_t{})
                                : same(std::uint32_t{});
}

std::string_view CarRow::Joined(std::array<std::uint32_t, kStatCount>& ends) const {
    if (!block_) {
        ends.fill(0);
        return {};
    }
    const char* const at = block_->Bytes();
    // Each end read as wide as the block's, with the width known to the compiler.
    const auto read = [&]<class End>(End) {
        for (std::size_t i = 0; i < kStatCount; ++i) {
            End end;
            std::memcpy(&end, at + i * sizeof end, sizeof end);
            ends[i] = end;
        }
    };
    if (block_->width == 1)
        read(std::uint8_t{});
    else if (block_->width == 2)
        read(std::uint16_t{});
    else
        read(std::uint32_t{});
    return std::string_view(Text(), ends[kStatCount - 1]);
}

void CarRow::Build(const std::string_view* values, int count, std::size_t spare, CarRowSlab* slab,
                   std::string_view line) {
    std::size_t total = 0;
    for (int i = 0; i < count; ++i)
        total += values[i].size();
    if (total == 0) {
        Release();
        return;
    }
    const std::size_t width = WidthFor(total);
    // The values may lie in this row's own block: it goes only once they are copied.
    const std::size_t size = sizeof(Block) + kStatCount * width + total + spare;
    std::uint32_t offset = 0;
    auto* block =
        new (slab && size <= kLargestCarved ? slab->Carve(size, offset) : ::operator new(size)) Block;
    block->width = static_cast<std::uint8_t>(width);
    block->offset = offset;
    block->capacity = static_cast<std::uint32_t>(total + spare);
    char* const ends = block->Bytes();
    char* const text = ends + kStatCount * width;
    // Each end written as wide as the block's, with the width known to the compiler.
    const auto fill = [&]<class End>(End) {
        std::size_t length = 0;
        for (int i = 0; i < kStatCount; ++i) {
            if (i < count) {
                const std::string_view value = values[i];
                if (SixteenFit(value, line, length, total))
                    CopySixteen(text + length, value.data());
                else
                    CopyFew(text + length, value.data(), value.size());
                length += value.size();
            }
            const auto end = static_cast<End>(length);
            std::memcpy(ends + static_cast<std::size_t>(i) * sizeof end, &end, sizeof end);
        }
    };
    if (width == 1)
        fill(std::uint8_t{});
    else if (width == 2)
        fill(std::uint16_t{});
    else
        fill(std::uint32_t{});
    Release();
    block_ = block;
}

bool operator==(const CarRow& a, const CarRow& b) {
    if (a.block_ == b.block_)
        return true;
    if (!a.block_ || !b.block_ || a.block_->width != b.block_->width)
        return false;
    // The block is a function of the values alone, so equal values mean equal bytes.
    const std::size_t size = kStatCount * a.block_->width + a.End(kStatCount - 1);
    return a.End(kStatCount - 1) == b.End(kStatCount - 1) &&
           std::memcmp(a.block_->Bytes(), b.block_->Bytes(), size) == 0;
}

void CarLines::TakeRow(const CarRow& row) {
    CarValues values;
    int count = 0;
    for (int column = 0; column < kStatCount; ++column) {
        values[static_cast<std::size_t>(column)] = row[column];
        if (!row[column].empty())
            count = column + 1;
    }
    Take(values, count);
}

std::string TitleText(std::string_view filePath, bool loaded, bool modified) {
    std::string title(kProgramTitle);
    if (!loaded)
        return title;
    title.append(" (").append(filePath).append(modified ? "*)" : ")");
    return title;
}

} // namespace kestrix
