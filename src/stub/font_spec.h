// parseFontSpec: the parser of the font lines written after the font commands of a stub
// (\font, \fonthead, ...). It reads through the stub reader and fills a VexFont.
#pragma once

#include "sheet/vex_font.h"

namespace tabrix {

class Chopper;

// Reads a font line (the rest of a font command's line) through the reader into font:
// numbers (pitch), = ~ - _ (underline), bold / italic [no|false|0...], underline
// forms, left center right justify, top vcenter bottom vjustify, colour names, font
// names, pitch / point / size [n] and the joined forms pitch12 point10 size8, and
// "clear". Unknown words are ignored. Returns 0 when the line was read to its end
// without error; -1 after an element the setters refuse, a joined size below 1, or a
// non-word element (which prints "Error:  Unrecognized element \"%s\" in font
// routine.\n"); the rest of the line is then left unread. Elements before an error
// stay applied.
int parseFontSpec(Chopper& reader, VexFont& font);

}  // namespace tabrix
