#pragma once

#include "model/handling_document.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix {

// Cars packed one after another in one block: no row and no allocation per
// car, so that a file read only to be compared (given to --diff or --merge)
// costs a fraction of a CarTable.
// Each car packs every column, a value as its length and its bytes, so two
// cars pack alike exactly when their values are the same.
class PackedCars final : public CarLines {
  public:
    // A car packed as base's car at the same place is kept as base's: a file
    // read against the one it was made from keeps only what changed.
    explicit PackedCars(const PackedCars* base = nullptr) : base_(base) {}

    void Take(const CarValues& values, int count) override;
    void ExpectBytes(std::size_t size) override;

    std::size_t size() const { return cars_.size(); }
    // Whether the car is kept as base's: the same values at the same place.
    bool AsInBase(std::size_t car) const { return cars_[car].start == kInBase; }
    // Whether every car stands under the name of other's car at the same place.
    bool SameNamesAs(const PackedCars& other) const;
    std::string_view Name(std::size_t car) const;
    std::string_view Packed(std::size_t car) const;
    CarValues Values(std::size_t car) const;
    CarRow Row(std::size_t car) const;
    CarTable Table() const;

  private:
    struct Car {
        std::size_t start = 0; // in bytes_; none of its own when kInBase
        std::size_t length = 0;
    };
    static constexpr std::size_t kInBase = SIZE_MAX;

    const PackedCars* base_;
    std::string bytes_;
    std::vector<Car> cars_;
    std::string scratch_;
};

} // namespace kestrix
