// formatFixed: the text snprintf("%*.*f", width, decimals, (double)value) gives for a
// 32-bit float, written without calling it. Table cells are formatted by the hundred
// thousand; this is the composer's fast path.
//
// The float is m * 2^e exactly (m below 2^24), so value * 10^decimals is an integer
// ratio whose rounding to the nearest integer (ties to even, as the C library rounds
// an exact binary value) needs only 64-bit arithmetic for every float below 2^24 and a
// 128-bit integer for the larger ones, which have no fraction.
#pragma once

#include <cstddef>

namespace tabrix {

// The widest field the fast path writes; wider ones are left to snprintf.
constexpr int MaxFixedWidth = 120;
// Room formatFixed needs: the widest field, or the longest number it writes
// (a sign, 39 integer digits, the point and 9 decimals), and a terminator.
constexpr std::size_t FixedTextCapacity = MaxFixedWidth + 1;

// Writes the text into out (at least FixedTextCapacity characters, NUL-terminated) and
// returns its length; or returns -1, writing nothing, when the fast path does not
// cover the request (decimals outside 0 .. 9, a width outside -MaxFixedWidth ..
// MaxFixedWidth, an infinity or a NaN): the caller then uses snprintf. A negative
// width left-aligns, as in printf.
int formatFixed(char* out, float value, int width, int decimals);

}  // namespace tabrix
