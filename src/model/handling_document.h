#pragma once

#include "model/stat_catalogue.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

inline constexpr std::string_view kProgramTitle = "Kestrix 3";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr std::string_view kWebAddress = "https://kestrix.example.org/";
inline constexpr std::string_view kContactEmail = "kestrix@example.org";

// Car indices are 16-bit in the file's world: a document holds at most this many.
inline constexpr int kMaxCars = 32767;

// One car: its 32 values as the exact bytes read or typed. The values share
// one buffer, which keeps a file of thousands of cars small and quick to read.
class CarRow {
  public:
    CarRow() { ends_.fill(0); }
    std::string_view operator[](int column) const {
        const std::size_t i = static_cast<std::size_t>(column);
        const std::uint32_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(start, ends_[i] - start);
    }
    void Set(int column, std::string_view value);
    // Replaces every value: the given ones from column 0 on, the rest empty.
    void Assign(const std::string_view* values, int count);
    friend bool operator==(const CarRow&, const CarRow&) = default;

  private:
    std::string text_;
    std::array<std::uint32_t, kStatCount> ends_;
};
using CarTable = std::vector<CarRow>;

// The values of one car line, in column order; those a short line lacks are empty.
using CarValues = std::array<std::string_view, kStatCount>;

// Takes the car lines of a text as the reader accepts them, in file order.
class CarLines {
  public:
    virtual ~CarLines() = default;
    // count: how many values the line holds, at most kStatCount.
    virtual void Take(const CarValues& values, int count) = 0;
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
