#include "model/handling_document.h"

#include "model/product.h"

#include <array>
#include <functional>
#include <new>

namespace kestrix {

void CarRow::Release() noexcept {
    if (block_ && block_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block_->~Block();
        ::operator delete(block_);
    }
    block_ = nullptr;
}

namespace {

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

void CarRow::Build(const std::string_view* values, int count, std::size_t spare) {
    std::size_t total = 0;
    for (int i = 0; i < count; ++i)
        total += values[i].size();
    if (total == 0) {
        Release();
        return;
    }
    const std::size_t width = WidthFor(total);
    // The values may lie in this row's own block: it goes only once they are copied.
    auto* block = new (::operator new(sizeof(Block) + kStatCount * width + total + spare)) Block;
    block->width = static_cast<std::uint8_t>(width);
    block->capacity = static_cast<std::uint32_t>(total + spare);
    char* const ends = block->Bytes();
    char* const text = ends + kStatCount * width;
    // Each end written as wide as the block's, with the width known to the compiler.
    const auto fill = [&]<class End>(End) {
        std::size_t length = 0;
        for (int i = 0; i < kStatCount; ++i) {
            if (i < count) {
                CopyFew(text + length, values[i].data(), values[i].size());
                length += values[i].size();
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
