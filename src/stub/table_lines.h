// The line handler: every stub line that is not a command. Table lines (an expression
// and a title) are evaluated once per alternative and composed into one row each; text
// lines (';'), the date header line ('&') and page control lines ('*') are written or
// acted on. Each handler is called with the line's first character already read and
// returns 0, or -1 when the composer asks the run to stop.
#pragma once

#include <cstdint>
#include <cstdio>

namespace tabrix {

struct StubContext;

// Capacity of an expression text, its appended CR LF and terminator included.
constexpr int ExpressionCapacity = 600;

int16_t textLine(StubContext& context);
int16_t dateHeaderLine(StubContext& context);
int16_t pageControlLine(StubContext& context);
// first: the line's first character (a letter, digit, '-', '(' or '@').
int16_t tableLine(StubContext& context, int first);

// The sorted-line handler: the stub file stands at a stored line's start; the line is
// evaluated and composed without the name-font switch.
int16_t sortedLine(StubContext& context);

// Starts the table: writes the first page header unless the table has begun.
int16_t startTable(StubContext& context);

}  // namespace tabrix
