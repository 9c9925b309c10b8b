#include "support/arrays.h"

#include <climits>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "platform/console.h"
#include "support/messages.h"

namespace tabrix {

namespace {

// The element count of lo..hi, or -1 when the range is empty; a count that does not
// fit an int cannot be addressed and counts as exhausted memory.
int64_t rangeCount(int lo, int hi) {
  if (hi < lo) return -1;
  return static_cast<int64_t>(hi) - static_cast<int64_t>(lo) + 1;
}

void reportVector(const char* kind, int lo, int hi) {
  VexMessage messages;
  messages.print("msgutil", 1, kind, lo, hi);
}

template <typename T>
IndexedArray<T> allocate(const char* kind, int lo, int hi) {
  int64_t count = rangeCount(lo, hi);
  if (count < 0) return {};
  if (count <= INT_MAX) {
    try {
      return IndexedArray<T>(lo, hi);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
  }
  reportVector(kind, lo, hi);
  return {};
}

}  // namespace

FloatVector vector(int lo, int hi) { return allocate<float>("vector", lo, hi); }

ShortVector ivector(int lo, int hi) { return allocate<int16_t>("ivector", lo, hi); }

LongVector lvector(int lo, int hi) { return allocate<int32_t>("lvector", lo, hi); }

Matrix matrix(int rlo, int rhi, int clo, int chi) {
  Matrix m;
  int64_t rows = rangeCount(rlo, rhi);
  int64_t columns = rangeCount(clo, chi);
  if (rows < 0 || columns < 0) return m;

  bool tableMade = false;
  if (rows <= INT_MAX) {
    try {
      // Every row starts as none; rows are then made one by one.
      m.rows_.resize(static_cast<size_t>(rows));
      tableMade = true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
  }
  if (!tableMade) {
    VexMessage messages;
    messages.print("msgutil", 2, "matrix", rlo, rhi, clo, chi);
    return Matrix();
  }

  for (int64_t i = 0; i < rows; ++i) {
    bool rowMade = false;
    if (columns <= INT_MAX) {
      try {
        m.rows_[static_cast<size_t>(i)] = FloatVector(clo, chi);
        rowMade = true;
      } catch (const std::bad_alloc&) {
      } catch (const std::length_error&) {
      }
    }
    if (!rowMade) {
      VexMessage messages;
      messages.print("msgutil", 3, static_cast<int>(rlo + i), "matrix");
      // Release the rows made so far, last first, then the row table.
      while (!m.rows_.empty()) m.rows_.pop_back();
      return Matrix();
    }
  }
  m.rlo_ = rlo;
  m.rhi_ = rhi;
  m.clo_ = clo;
  m.chi_ = chi;
  return m;
}

}  // namespace tabrix
