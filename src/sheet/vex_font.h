// VexFont: how one kind of table text looks (typeface, sizes, bold, italic, underline
// style, alignments, colour) and the colour and font-name tables.
// The table state keeps one VexFont per font role; the worksheet writer and the
// printer-control words read them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tabrix {

class VexFont {
 public:
  // An empty font: every field at its "none given" value.
  VexFont() = default;
  VexFont(const VexFont& other) = default;
  VexFont& operator=(const VexFont& other) = default;
  // Copies every field of other.
  void copyFrom(const VexFont& other) { *this = other; }
  // Resets to an empty font (the word "clear" of a font line).
  void clear() { *this = VexFont(); }

  // name := text, exactly as written. Returns 0.
  int setName(std::string_view text);
  // point := n; -1 (nothing changes) when n < 1, else 0.
  int setPoint(int n);
  // pitch := n; -1 (nothing changes) when n < 1, else 0.
  int setPitch(int n);
  // italic := flag. Returns 0.
  int setItalic(bool flag);
  // bold := flag. Returns 0.
  int setBold(bool flag);
  // Underline by name, case counts: "underline", "UnderlineSingle", "-" -> '-';
  // "UnderlineDouble", "=" -> '='; "UnderlineSingleAccounting", "_" -> '_';
  // "UnderlineDoubleAccounting", "~" -> '~'; "UnderlineNone" or "" -> 0.
  // Anything else: -1, underline unchanged.
  int setUnderline(std::string_view text);
  // By the first letter, any case: l, c, r, j. Anything else: -1, unchanged.
  int alignHorizontal(std::string_view text);
  // Any case: t... -> 't', vj... -> 'j', other v... -> 'c', b... -> 'b'.
  // Anything else: -1, unchanged.
  int alignVertical(std::string_view text);
  // Colour by name from the colour table (any case; "" is Black); stores the decimal
  // 0x00BBGGRR value as text. An unlisted name: -1, colour unchanged.
  int setColour(std::string_view text);

  // The size a cell format uses: the larger of point and pitch.
  int size() const { return point > pitch ? point : pitch; }

  std::string name;     // typeface name; empty = none given
  int32_t point = 0;    // point size; 0 = none given
  int32_t pitch = 0;    // pitch, or the size given by "size"; 0 = none given
  bool italic = false;  // italic
  bool bold = false;    // bold
  char underline = 0;   // 0 none, '-' single, '=' double, '_' single acc., '~' double acc.
  char horizontal = 0;  // 0 none, 'l' left, 'c' centre, 'r' right, 'j' justify
  char vertical = 0;    // 0 none, 't' top, 'c' centre, 'b' bottom, 'j' justify
  std::string colour;   // decimal text of a 0x00BBGGRR value; empty = none given
};

// One entry of the colour table.
struct ColourEntry {
  const char* name;  // as listed ("Dark Gray")
  int match;         // letters that must match; 0 = the whole name
  int32_t value;     // red + 256 * green + 65536 * blue; None = 536870911
};

// The colour table in matching order (23 entries).
std::span<const ColourEntry> colourTable();
// The font-name list in its order (237 entries; four names occur twice).
std::span<const char* const> fontNames();

// True exactly when setColour would accept the word ("" is no colour name).
bool isColourName(std::string_view word);
// True when the word equals an entry of the font-name list, ignoring case.
bool isFontName(std::string_view word);

}  // namespace tabrix
