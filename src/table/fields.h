// Field helpers of the composer: texts cut or padded to a column, quoted print-file
// fields, and texts placed at a column of a line.
#pragma once

#include <string>
#include <string_view>

namespace tabrix {

// The text cut or blank-padded to exactly width characters (none for width <= 0).
std::string fitField(std::string_view text, int width);

// A quote, the text cut or blank-padded to width characters, and a quote.
std::string quoteField(std::string_view text, int width);

// Writes text over line from column (counted from 0), growing the line with blanks as
// needed; a negative column drops the characters that would fall before column 0.
void placeAt(std::string& line, int column, std::string_view text);

// Removes trailing blanks.
std::string rightTrimmed(std::string text);

}  // namespace tabrix
