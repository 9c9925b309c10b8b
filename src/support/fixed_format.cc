#include "support/fixed_format.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace tabrix {

namespace {

constexpr uint64_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                     100000, 1000000, 10000000, 100000000, 1000000000};

// Writes the decimal digits of n (at least one) backwards from end; returns the start.
char* digitsBackwards(char* end, unsigned __int128 n) {
  do {
    *--end = static_cast<char>('0' + static_cast<int>(n % 10));
    n /= 10;
  } while (n != 0);
  return end;
}

char* digitsBackwards(char* end, uint64_t n) {
  do {
    *--end = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  return end;
}

}  // namespace

int formatFixed(char* out, float value, int width, int decimals) {
  if (decimals < 0 || decimals > 9 || width < -MaxFixedWidth || width > MaxFixedWidth ||
      !std::isfinite(value)) {
    return -1;
  }
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 31) != 0;
  const int exponentField = static_cast<int>((bits >> 23) & 0xFF);
  const uint64_t fraction = bits & 0x7FFFFF;
  const uint64_t m = exponentField == 0 ? fraction : (fraction | (uint64_t{1} << 23));
  const int e = exponentField == 0 ? -149 : exponentField - 150;

  // The number right-aligned in a scratch area: integer digits, point, decimals.
  char scratch[64];
  char* const end = scratch + sizeof scratch;
  char* start = end;
  if (e >= 0) {
    // An integer (up to 2^128): its decimals are zeros.
    for (int i = 0; i < decimals; ++i) *--start = '0';
    if (decimals > 0) *--start = '.';
    start = digitsBackwards(start, static_cast<unsigned __int128>(m) << e);
  } else {
    // value * 10^decimals = m * 10^decimals / 2^k, rounded to nearest, ties to even.
    const int k = -e;
    const uint64_t n = m * kPowersOfTen[decimals];  // below 2^54
    uint64_t q = 0;
    if (k < 64) {
      q = n >> k;
      const uint64_t rest = n & ((uint64_t{1} << k) - 1);
      const uint64_t half = uint64_t{1} << (k - 1);
      if (rest > half || (rest == half && (q & 1) != 0)) ++q;
    }  // else n < 2^54 <= 2^(k-1): below a half, so 0
    const uint64_t scale = kPowersOfTen[decimals];
    uint64_t fractionPart = q % scale;
    for (int i = 0; i < decimals; ++i) {
      *--start = static_cast<char>('0' + fractionPart % 10);
      fractionPart /= 10;
    }
    if (decimals > 0) *--start = '.';
    start = digitsBackwards(start, q / scale);
  }
  if (negative) *--start = '-';  // also for a value that rounds to zero, as printf does

  const int length = static_cast<int>(end - start);
  const int field = width < 0 ? -width : width;
  const int pad = field > length ? field - length : 0;
  char* p = out;
  if (width > 0) {
    std::memset(p, ' ', static_cast<std::size_t>(pad));
    p += pad;
  }
  std::memcpy(p, start, static_cast<std::size_t>(length));
  p += length;
  if (width < 0) {
    std::memset(p, ' ', static_cast<std::size_t>(pad));
    p += pad;
  }
  *p = '\0';
  return static_cast<int>(p - out);
}

}  // namespace tabrix
