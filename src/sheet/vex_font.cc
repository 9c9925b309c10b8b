#include "sheet/vex_font.h"

#include <array>
#include <cstdlib>
#include <string>

#include "support/text.h"

namespace tabrix {

namespace {

constexpr int32_t rgb(int red, int green, int blue) { return red + 256 * green + 65536 * blue; }

// Tested in this order; match 0 needs the whole name, n > 0 its first n letters.
constexpr std::array<ColourEntry, 23> kColours = {{
    {"None", 0, 536870911},
    {"Aqua", 0, rgb(0, 255, 255)},
    {"Black", 0, rgb(0, 0, 0)},
    {"Blue", 0, rgb(0, 0, 255)},
    {"Cream", 0, rgb(255, 251, 240)},
    {"Dark Gray", 4, rgb(128, 128, 128)},
    {"Fuchsia", 0, rgb(255, 0, 255)},
    {"Gray", 0, rgb(128, 128, 128)},
    {"Green", 0, rgb(0, 128, 0)},
    {"Lime green", 4, rgb(0, 255, 0)},
    {"Light Gray", 4, rgb(192, 192, 192)},
    {"Maroon", 0, rgb(128, 0, 0)},
    {"Medium Gray", 4, rgb(160, 160, 164)},
    {"Mint green", 4, rgb(192, 220, 192)},
    {"Navy blue", 4, rgb(0, 0, 128)},
    {"Olive green", 5, rgb(128, 128, 0)},
    {"Purple", 0, rgb(128, 0, 128)},
    {"Red", 0, rgb(255, 0, 0)},
    {"Silver", 0, rgb(192, 192, 192)},
    {"Sky blue", 3, rgb(166, 202, 240)},
    {"Teal", 0, rgb(0, 128, 128)},
    {"White", 0, rgb(255, 255, 255)},
    {"Yellow", 0, rgb(255, 255, 0)},
}};

// The typefaces a font line may name. The first four are listed again in their
// alphabetical place.
constexpr std::array<const char*, 237> kFontNames = {
    "Courier New", "Arial", "Times New Roman", "Times", "Agency FB", "Agency FB Bold",
    "Algerian", "Arial", "Arial Black", "Arial Black Italic", "Arial Bold",
    "Arial Bold Italic", "Arial Italic", "Arial Narrow", "Arial Narrow Bold",
    "Arial Narrow Bold Italic", "Arial Narrow Italic", "Arial Rounded MT Bold",
    "Arial Unicode MS", "Baskerville Old Face", "Batang", "Bauhaus 93", "Bell MT",
    "Bell MT Bold", "Bell MT Italic", "Berlin Sans FB", "Berlin Sans FB Bold",
    "Berlin Sans FB Demi Bold", "Bernard MT Condensed", "Blackadder ITC", "Bodoni MT",
    "Bodoni MT Black", "Bodoni MT Black Italic", "Bodoni MT Bold",
    "Bodoni MT Bold Italic", "Bodoni MT Condensed", "Bodoni MT Condensed Bold",
    "Bodoni MT Condensed Bold Italic", "Bodoni MT Condensed Italic", "Bodoni MT Italic",
    "Bodoni MT Poster Compressed", "Book Antiqua", "Book Antiqua Bold",
    "Book Antiqua Bold Italic", "Book Antiqua Italic", "Bookman Old Style",
    "Bookman Old Style Bold", "Bookman Old Style Bold Italic",
    "Bookman Old Style Italic", "Bradley Hand ITC", "Britannic Bold", "Broadway",
    "Brush Script MT Italic", "Californian FB", "Californian FB Bold",
    "Californian FB Italic", "Calisto MT", "Calisto MT Bold", "Calisto MT Bold Italic",
    "Calisto MT Italic", "Castellar", "Centaur", "Century", "Century Gothic",
    "Century Gothic Bold", "Century Gothic Bold Italic", "Century Gothic Italic",
    "Century Schoolbook", "Century Schoolbook Bold", "Century Schoolbook Bold Italic",
    "Century Schoolbook Italic", "Chiller", "Colonna MT", "Comic Sans MS",
    "Comic Sans MS Bold", "Cooper Black", "Copperplate Gothic Bold",
    "Copperplate Gothic Light", "courier", "Courier New", "Courier New Bold",
    "courierbold", "Courier New Bold Italic", "courierbolditalic", "Courier New Italic",
    "courieritalic", "Curlz MT", "Edwardian Script ITC", "Elephant", "Elephant Italic",
    "Engravers MT", "Eras Bold ITC", "Eras Demi ITC", "Eras Light ITC",
    "Eras Medium ITC", "Felix Titling", "Footlight MT Light", "Forte",
    "Franklin Gothic Book", "Franklin Gothic Book Italic", "Franklin Gothic Demi",
    "Franklin Gothic Demi Cond", "Franklin Gothic Demi Italic", "Franklin Gothic Heavy",
    "Franklin Gothic Heavy Italic", "Franklin Gothic Medium",
    "Franklin Gothic Medium Cond", "Franklin Gothic Medium Italic", "Freestyle Script",
    "French Script MT", "Garamond", "Garamond Bold", "Garamond Italic", "Gigi",
    "Gill Sans MT", "Gill Sans MT Bold", "Gill Sans MT Bold Italic",
    "Gill Sans MT Condensed", "Gill Sans MT Ext Condensed Bold", "Gill Sans MT Italic",
    "Gill Sans Ultra Bold", "Gill Sans Ultra Bold Condensed",
    "Gloucester MT Extra Condensed", "Goudy Old Style", "Goudy Old Style Bold",
    "Goudy Old Style Italic", "Goudy Stout", "Haettenschweiler", "Harlow Solid Italic",
    "Harrington", "High Tower Text", "High Tower Text Italic", "Impact",
    "Imprint MT Shadow", "Informal Roman", "Jokerman", "Juice ITC", "Kristen ITC",
    "Kunstler Script", "Lucida Bright", "Lucida Bright Demibold",
    "Lucida Bright Demibold Italic", "Lucida Bright Italic", "Lucida Calligraphy Italic",
    "Lucida Fax Demibold", "Lucida Fax Demibold Italic", "Lucida Fax Italic",
    "Lucida Fax Regular", "Lucida Handwriting Italic", "Lucida Sans Demibold Italic",
    "Lucida Sans Demibold Roman", "Lucida Sans Italic", "Lucida Sans Regular",
    "Lucida Sans Typewriter Bold", "Lucida Sans Typewriter Bold Oblique",
    "Lucida Sans Typewriter Oblique", "Lucida Sans Typewriter Regular", "Magneto Bold",
    "Maiandra GD", "Map Symbols", "Matura MT Script Capitals", "Mistral",
    "Modern No. 20", "Monotype Corsiva", "MS Mincho", "MS Outlook", "MT Extra",
    "Niagara Engraved", "Niagara Solid", "OCR A Extended", "Old English Text MT", "Onyx",
    "Palace Script MT", "Palatino Linotype", "Palatino Linotype Bold",
    "Palatino Linotype Bold Italic", "Palatino Linotype Italic", "Papyrus", "Parchment",
    "Perpetua", "Perpetua Bold", "Perpetua Bold Italic", "Perpetua Italic",
    "Perpetua Titling MT Bold", "Perpetua Titling MT Light", "Playbill", "PMingLiU",
    "Poor Richard", "Pristina", "Rage Italic", "Ravie", "Rockwell", "Rockwell Bold",
    "Rockwell Bold Italic", "Rockwell Condensed", "Rockwell Condensed Bold",
    "Rockwell Extra Bold", "Rockwell Italic", "Script MT Bold", "Showcard Gothic",
    "SimSun", "Snap ITC", "Stencil", "Symbol", "Tahoma", "Tahoma Bold",
    "Tempus Sans ITC", "Times", "Times New Roman", "Times New Roman Bold", "timesbold",
    "Times New Roman Bold Italic", "timesbolditalic", "Times New Roman Italic",
    "timesitalic", "Trebuchet MS", "Trebuchet MS Bold", "Trebuchet MS Bold Italic",
    "Trebuchet MS Italic", "Tw Cen MT", "Tw Cen MT Bold", "Tw Cen MT Bold Italic",
    "Tw Cen MT Condensed", "Tw Cen MT Condensed Bold", "Tw Cen MT Condensed Extra Bold",
    "Tw Cen MT Italic", "Verdana", "Verdana Bold", "Verdana Bold Italic",
    "Verdana Italic", "Viner Hand ITC", "Vivaldi Italic", "Vladimir Script",
    "Wide Latin", "Wingdings", "Wingdings 2", "Wingdings 3",
};

// The colour entry a name selects, or nullptr.
const ColourEntry* findColour(std::string_view name) {
  for (const ColourEntry& entry : kColours) {
    std::string_view full(entry.name);
    if (entry.match == 0) {
      if (equalsIgnoringCase(name, full)) return &entry;
    } else if (startsIgnoringCase(name, full.substr(0, static_cast<std::size_t>(entry.match)))) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace

// --- VexFont ---------------------------------------------------------------------

int VexFont::setName(std::string_view text) {
  name.assign(text);
  return 0;
}

int VexFont::setPoint(int n) {
  if (n < 1) return -1;
  point = n;
  return 0;
}

int VexFont::setPitch(int n) {
  if (n < 1) return -1;
  pitch = n;
  return 0;
}

int VexFont::setItalic(bool flag) {
  italic = flag;
  return 0;
}

int VexFont::setBold(bool flag) {
  bold = flag;
  return 0;
}

int VexFont::setUnderline(std::string_view text) {
  if (text == "underline" || text == "UnderlineSingle" || text == "-") {
    underline = '-';
  } else if (text == "UnderlineDouble" || text == "=") {
    underline = '=';
  } else if (text == "UnderlineSingleAccounting" || text == "_") {
    underline = '_';
  } else if (text == "UnderlineDoubleAccounting" || text == "~") {
    underline = '~';
  } else if (text == "UnderlineNone" || text.empty()) {
    underline = 0;
  } else {
    return -1;
  }
  return 0;
}

int VexFont::alignHorizontal(std::string_view text) {
  char first = text.empty() ? 0 : asciiLower(text[0]);
  if (first != 'l' && first != 'c' && first != 'r' && first != 'j') return -1;
  horizontal = first;
  return 0;
}

int VexFont::alignVertical(std::string_view text) {
  char first = text.empty() ? 0 : asciiLower(text[0]);
  if (first == 't') {
    vertical = 't';
  } else if (first == 'v') {
    vertical = (text.size() > 1 && asciiLower(text[1]) == 'j') ? 'j' : 'c';
  } else if (first == 'b') {
    vertical = 'b';
  } else {
    return -1;
  }
  return 0;
}

int VexFont::setColour(std::string_view text) {
  const ColourEntry* entry = findColour(text.empty() ? std::string_view("Black") : text);
  if (entry == nullptr) return -1;
  colour = std::to_string(entry->value);
  return 0;
}

// --- Tables ----------------------------------------------------------------------

std::span<const ColourEntry> colourTable() { return kColours; }

std::span<const char* const> fontNames() { return kFontNames; }

bool isColourName(std::string_view word) { return !word.empty() && findColour(word) != nullptr; }

bool isFontName(std::string_view word) {
  for (const char* name : kFontNames)
    if (equalsIgnoringCase(word, name)) return true;
  return false;
}

}  // namespace tabrix
