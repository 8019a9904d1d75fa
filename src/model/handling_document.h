#pragma once

#include "model/stat_catalogue.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrix {

// Car indices are 16-bit in the file's world: a document holds at most this many.
inline constexpr int kMaxCars = 32767;

// The values of one car line, in column order; those a short line lacks are empty.
using CarValues = std::array<std::string_view, kStatCount>;

// Room for the rows of cars read together, as a file's are: their blocks are
// carved one after another out of pieces of memory that hold hundreds of
// cars, instead of one allocation each. A file's rows come and go together
// (read, shared by the document, dropped when another file is read), so a
// piece goes when the last row carved from it does; carving costs no more
// than a step along the piece, and the rows lie packed, so a large file
// touches fewer pages.
class CarRowSlab {
  public:
    CarRowSlab() = default;
    CarRowSlab(const CarRowSlab&) = delete;
    CarRowSlab& operator=(const CarRowSlab&) = delete;
    ~CarRowSlab();

  private:
    friend class CarRow;
    struct Piece;
    // Room for size bytes, aligned for a row's block; where it lies in its piece.
    char* Carve(std::size_t size, std::uint32_t& offset);
    // Keeps only size bytes of the room last carved, at offset; none: gives it back.
    void Trim(std::uint32_t offset, std::size_t size);

    Piece* piece_ = nullptr; // held until the next piece is begun
    std::size_t used_ = 0;
};

// One car: its 32 values as the exact bytes read or typed, in one block of
// their own behind a single pointer, which keeps a file of thousands of cars
// small and quick to read. A block never changes once built: a copy of a row
// shares it (the cars as saved, the undo history), and a change builds a new one.
class CarRow {
  public:
    CarRow() = default;
    CarRow(const CarRow& other) noexcept : block_(other.block_) {
        if (block_)
            block_->refs.fetch_add(1, std::memory_order_relaxed);
    }
    CarRow(CarRow&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    CarRow& operator=(CarRow other) noexcept {
        std::swap(block_, other.block_);
        return *this;
    }
    ~CarRow() { Release(); }

    std::string_view operator[](int column) const {
        if (!block_)
            return {};
        const std::size_t start = column == 0 ? 0 : End(column - 1);
        return std::string_view(Text() + start, End(column) - start);
    }
    void Set(int column, std::string_view value);
    // Replaces every value: the given ones from column 0 on, the rest empty.
    void Assign(const std::string_view* values, int count);
    friend bool operator==(const CarRow& a, const CarRow& b);
    // Whether both are one block, shared: the same values, known without comparing them.
    bool Shares(const CarRow& other) const { return block_ == other.block_ && block_; }
    // Whether the row holds exactly these values, the given ones from column 0 on, the rest empty.
    bool Holds(const std::string_view* values, int count) const;
    // Replaces every value by those of a car line (as SplitCarLine finds them),
    // built in slab as the line is walked, without listing them first; values,
    // when given, receives them as they lie in the line. Returns how many
    // values the line holds, which may be more than the row takes.
    int AssignLine(std::string_view line, CarRowSlab& slab, CarValues* values = nullptr);
    // Whether the car line holds exactly the row's values, found as the line
    // is walked, without splitting it first.
    bool HoldsLine(std::string_view line) const;
    // The values one after another, as the row keeps them; ends: where each ends in them.
    std::string_view Joined(std::array<std::uint32_t, kStatCount>& ends) const;

  private:
    // Followed by the value ends, each as wide (1, 2 or 4 bytes) as the
    // values' total length needs, then the values one after another.
    struct Block {
        std::atomic<std::uint32_t> refs{1};
        std::uint32_t capacity = 0; // bytes the values may take in place
        std::uint32_t width : 8 = 0;
        std::uint32_t offset : 24 = 0; // from the start of its slab's piece; 0: a block of its own
        char* Bytes() { return reinterpret_cast<char*>(this + 1); }
        const char* Bytes() const { return reinterpret_cast<const char*>(this + 1); }
    };

    std::size_t End(int column) const {
        const char* at = block_->Bytes() + static_cast<std::size_t>(column) * block_->width;
        switch (block_->width) {
        case 1:
            return static_cast<unsigned char>(*at);
        case 2: {
            std::uint16_t end;
            std::memcpy(&end, at, sizeof end);
            return end;
        }
        default: {
            std::uint32_t end;
            std::memcpy(&end, at, sizeof end);
            return end;
        }
        }
    }
    const char* Text() const { return block_->Bytes() + kStatCount * block_->width; }
    // slab, when given, holds the new block; line, when given, is a text
    // that holds every value: the bytes after a value may be read with it.
    void Build(const std::string_view* values, int count, std::size_t spare, CarRowSlab* slab = nullptr,
               std::string_view line = {});
    bool SetInPlace(int column, std::string_view value);
    void Release() noexcept;

    Block* block_ = nullptr; // none when every value is empty
};
using CarTable = std::vector<CarRow>;

// Copies a few bytes, as values and the blanks between them are, in pieces
// of sizes known to the compiler rather than through a call each; gives the
// end of what was written.
inline char* CopyFew(char* out, const char* in, std::size_t size) {
    for (; size >= 8; size -= 8, in += 8, out += 8)
        std::memcpy(out, in, 8);
    for (const std::size_t piece : {4, 2, 1}) {
        if (size & piece) {
            std::memcpy(out, in, piece);
            in += piece;
            out += piece;
        }
    }
    return out;
}

// Takes the car lines of a text as the reader accepts them, in file order.
class CarLines {
  public:
    virtual ~CarLines() = default;
    // count: how many values the line holds, at most kStatCount.
    virtual void Take(const CarValues& values, int count) = 0;
    // A line known to read as row, which was not split again: by default its values.
    virtual void TakeRow(const CarRow& row);
    // The size of the text the lines come from, when it is known beforehand.
    virtual void ExpectBytes(std::size_t /*size*/) {}
};

struct HandlingDocument {
    CarTable Cars;
    // Comment lines, each followed by a single CR.
    std::string BeforeComments;
    std::string AfterComments;
    std::string Author;
    std::string FilePath; // empty: no file open
    bool Modified = false;
};

// The window title: "Kestrix 3", "Kestrix 3 (path)" or "Kestrix 3 (path*)".
std::string TitleText(std::string_view filePath, bool loaded, bool modified);

} // namespace kestrix
