#include "model/packed_cars.h"

#include <algorithm>
#include <cstring>

namespace kestrix {

namespace {

// A length below this takes one byte; a longer one the marker and four bytes.
constexpr unsigned char kLongLength = 0xFF;

std::size_t PackedSize(std::string_view value) {
    return (value.size() < kLongLength ? 1 : 5) + value.size();
}

// Values are a few bytes: copied in pieces of a size known here, rather than
// through a call per value.
inline char* CopyShort(char* out, const char* in, std::size_t size) {
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

inline char* PackValue(char* out, std::string_view value) {
    if (value.size() < kLongLength) {
        *out++ = static_cast<char>(value.size());
    } else {
        *out++ = static_cast<char>(kLongLength);
        for (int shift = 0; shift < 32; shift += 8)
            *out++ = static_cast<char>((value.size() >> shift) & 0xFF);
    }
    return CopyShort(out, value.data(), value.size());
}

// The value at at, moving at past it.
std::string_view TakeValue(std::string_view bytes, std::size_t& at) {
    std::size_t length = static_cast<unsigned char>(bytes[at++]);
    if (length == kLongLength) {
        length = 0;
        for (int shift = 0; shift < 32; shift += 8)
            length |= std::size_t{static_cast<unsigned char>(bytes[at++])} << shift;
    }
    const std::string_view value = bytes.substr(at, length);
    at += length;
    return value;
}

} // namespace

void PackedCars::Take(const CarValues& values, int count) {
    // The columns a short line lacks pack as empty values.
    std::size_t length = static_cast<std::size_t>(kStatCount - count);
    for (int column = 0; column < count; ++column)
        length += PackedSize(values[static_cast<std::size_t>(column)]);
    // Packed aside first, where the same few bytes serve every car.
    scratch_.resize(length);
    char* out = scratch_.data();
    for (int column = 0; column < count; ++column)
        out = PackValue(out, values[static_cast<std::size_t>(column)]);
    std::memset(out, 0, static_cast<std::size_t>(kStatCount - count));
    const std::size_t car = cars_.size();
    if (base_ && car < base_->size() && base_->Packed(car) == scratch_) {
        cars_.push_back({kInBase, length});
    } else {
        cars_.push_back({bytes_.size(), length});
        bytes_ += scratch_;
    }
}

void PackedCars::ExpectBytes(std::size_t size) {
    // A car usually packs into fewer bytes than its line, whose values stand
    // apart: room that no car takes up is touched at most up to the end of
    // the large page the last car ends in. A file read against a base keeps
    // only its changed cars and grows as they come.
    if (!base_)
        bytes_.reserve(size + kStatCount);
    cars_.reserve(std::min<std::size_t>(kMaxCars, size / 32 + 1));
}

std::string_view PackedCars::Packed(std::size_t car) const {
    const Car& packed = cars_[car];
    if (packed.start == kInBase)
        return base_->Packed(car);
    return std::string_view(bytes_).substr(packed.start, packed.length);
}

std::string_view PackedCars::Name(std::size_t car) const {
    std::size_t at = 0;
    return TakeValue(Packed(car), at);
}

bool PackedCars::SameNamesAs(const PackedCars& other) const {
    if (size() != other.size())
        return false;
    for (std::size_t car = 0; car < size(); ++car) {
        if (Name(car) != other.Name(car))
            return false;
    }
    return true;
}

CarValues PackedCars::Values(std::size_t car) const {
    const std::string_view packed = Packed(car);
    CarValues values;
    std::size_t at = 0;
    for (std::string_view& value : values)
        value = TakeValue(packed, at);
    return values;
}

CarRow PackedCars::Row(std::size_t car) const {
    const CarValues values = Values(car);
    CarRow row;
    row.Assign(values.data(), kStatCount);
    return row;
}

CarTable PackedCars::Table() const {
    CarTable table(size());
    for (std::size_t car = 0; car < size(); ++car)
        table[car] = Row(car);
    return table;
}

} // namespace kestrix
