// The table file of @interp(file, x): a text file of pairs "X Y", a point and its
// value, separated by blanks, tabs or line ends; the points strictly ascending; 4 to
// 100 pairs. A series is looked up in it with cubic interpolation.
//
// The file is outside input: its reader never reads past the bytes it is given, holds
// at most MaxInterpFileBytes of a file and at most MaxInterpPairs pairs, and refuses
// anything that is not such a table with a one-line reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix {

// The most pairs a table holds, and the fewest a cubic look-up needs.
constexpr int MaxInterpPairs = 100;
constexpr int MinInterpPairs = 4;
// The largest table file read (100 pairs need far less).
constexpr std::size_t MaxInterpFileBytes = 64 * 1024;

// The points X (ascending) and their values Y.
struct InterpTable {
  std::vector<float> points;
  std::vector<float> values;
};

// Why a table was refused.
enum class InterpTableStatus : int8_t {
  Ok = 0,
  CannotOpen,     // the file cannot be opened (or read)
  TooLarge,       // more than MaxInterpFileBytes
  NotANumber,     // a word that is not a finite number (`problem` holds it)
  OddCount,       // a point without its value at the end
  TooManyPairs,   // more than MaxInterpPairs
  TooFewPairs,    // fewer than MinInterpPairs
  NotAscending,   // a point not above the one before it
};

// The one-line reason for a status, as @interp prints it after the file name
// ("" for Ok). `problem` is the offending word, for NotANumber.
std::string describe(InterpTableStatus status, std::string_view problem);

// Reads a table from the bytes of a file. On a refusal the table is left empty and
// `problem` holds the offending word (cut and made printable) where there is one.
[[nodiscard]] InterpTableStatus parseInterpTable(std::string_view bytes, InterpTable& table,
                                                 std::string& problem);

// Reads a table from a file (the path as given; callers map stub names with toPath).
[[nodiscard]] InterpTableStatus readInterpTable(const std::string& path, InterpTable& table,
                                                std::string& problem);

// The value at v: the first value when v is at or below the first point, the last when
// it is above the last point; otherwise the cubic Lagrange interpolation through four
// neighbouring points (the two below and two from the first point at or above v,
// moved inwards at the ends), in double precision. The table must hold at least
// MinInterpPairs pairs.
double interpolate(const InterpTable& table, double v);

}  // namespace tabrix
