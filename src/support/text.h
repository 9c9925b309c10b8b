// Small text, number and console helpers used across the subsystems.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabrix {

// c lower-cased when it is an ASCII capital, else c.
char asciiLower(char c);
// a equals b, ignoring the case of ASCII letters.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// text begins with prefix, ignoring the case of ASCII letters.
bool startsIgnoringCase(std::string_view text, std::string_view prefix);

// Removes trailing blanks in place.
void rtrim(std::string& text);
// The same for a NUL-terminated buffer.
void rtrim(char* text);

// Copies src with its terminator to dst; returns the position after the terminator.
char* copyEnd(char* dst, const char* src);

// Matches a name against a pattern of '*' (any run) and '^' (any one character).
// Returns 1 (match), 0 (no match) or -1 (invalid pattern).
int wildcardMatch(std::string_view name, std::string_view pattern);

// The number at the end of text (1 when text does not end in a digit); dst gets the
// text before the digits.
int splitTrailingNumber(std::string_view text, std::string& dst);

// For name + row + "." + column (or name + column): returns the column (0 when there
// are no trailing digits), sets row when a '.' precedes them (-1 when no digits before
// the dot), dst gets the name before all of them.
int splitRowColumn(std::string_view text, std::string& dst, int& row);

// Fills the next inner gap of missing values after `from` along a straight line;
// returns the position from which the next call continues (see text.cc).
int fillGap(float* values, int from, int count);

int16_t minimum(int16_t a, int16_t b);

// Prints "\nTap a key to continue.  ESC to exit." and waits for a key from the key
// source; Escape ends the program with status 1.
void pausePrompt();

// Waits for one key from the key source (an extended key is taken whole); Escape ends
// the program with status 1. With keys from a file or a pipe the end of input is Escape.
void waitForKey();

// Prints "Out of memory" with the place and ends the program with status 1.
[[noreturn]] void outOfMemory(std::string_view place);

}  // namespace tabrix
