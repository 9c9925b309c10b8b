// Numeric arrays addressed by a caller-chosen index range (lo..hi inclusive), such
// as years or lags, and matrices of rows rlo..rhi by columns clo..chi.
// The allocators report exhausted memory through the catalogue (msgutil 1, 2, 3) and
// give back an empty array, which the caller tests with valid().
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tabrix {

template <typename T>
class IndexedArray {
 public:
  IndexedArray() = default;
  // Elements lo..hi, zeroed; an empty range (hi < lo) gives an invalid array.
  IndexedArray(int lo, int hi) : lo_(lo), hi_(hi), data_(count(lo, hi)) {}

  bool valid() const { return !data_.empty(); }
  int lo() const { return lo_; }
  int hi() const { return hi_; }
  int size() const { return static_cast<int>(data_.size()); }
  bool contains(int i) const { return valid() && i >= lo_ && i <= hi_; }

  T& operator[](int i) { return data_[static_cast<size_t>(i - lo_)]; }
  const T& operator[](int i) const { return data_[static_cast<size_t>(i - lo_)]; }
  // The element at index lo as a plain pointer, for code that walks the block.
  T* data() { return data_.data(); }
  const T* data() const { return data_.data(); }

 private:
  int lo_ = 0;
  int hi_ = -1;
  std::vector<T> data_;

  static size_t count(int lo, int hi) {
    return hi < lo ? 0 : static_cast<size_t>(static_cast<int64_t>(hi) - lo + 1);
  }
};

using FloatVector = IndexedArray<float>;
using ShortVector = IndexedArray<int16_t>;
using LongVector = IndexedArray<int32_t>;

// A float matrix whose rows are separate blocks.
class Matrix {
 public:
  Matrix() = default;
  bool valid() const { return !rows_.empty(); }
  int rlo() const { return rlo_; }
  int rhi() const { return rhi_; }
  int clo() const { return clo_; }
  int chi() const { return chi_; }
  FloatVector& operator[](int r) { return rows_[static_cast<size_t>(r - rlo_)]; }
  const FloatVector& operator[](int r) const { return rows_[static_cast<size_t>(r - rlo_)]; }

 private:
  friend Matrix matrix(int rlo, int rhi, int clo, int chi);
  int rlo_ = 0, rhi_ = -1, clo_ = 0, chi_ = -1;
  std::vector<FloatVector> rows_;
};

// Allocate lo..hi; on exhausted memory print msgutil 1 with "vector", "ivector" or
// "lvector" and return an invalid array. An empty range (hi < lo) is invalid too.
FloatVector vector(int lo, int hi);
ShortVector ivector(int lo, int hi);
LongVector lvector(int lo, int hi);
// Allocate rows rlo..rhi of columns clo..chi; msgutil 2 when the row table fails,
// msgutil 3 when a row fails (the rows made so far are released).
Matrix matrix(int rlo, int rhi, int clo, int chi);

}  // namespace tabrix
