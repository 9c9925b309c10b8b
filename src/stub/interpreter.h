// The command interpreter: reads a stub or add file line by line through the reader,
// tells each line's kind from its first character, carries out backslash commands
// (see stub/commands.h) and hands table lines, text lines, date header lines and page
// control lines to the line handler. Add files run through the same interpreter,
// recursively, sharing the RunState and the TableLine.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tabrix {

struct RunState;
class TableLine;
class Chopper;

// What one interpreter call shares with the commands and line handlers it runs.
struct StubContext {
  RunState& run;        // the run-wide state (reader, output name, flags)
  TableLine& table;     // the one table state
  Chopper& reader;      // the stub reader (run.reader)
  std::FILE*& file;     // the stub or add file being interpreted
  long linePosition;    // byte offset of the current line in that file (for sorting)
};

// The interpreter's result at the end of its input.
constexpr int16_t InterpretEnd = 'e';

// Reads the file to its end and returns 'e' after closing it (standard input, the
// keyboard, is never closed) and clearing the reference; returns -1 as soon as a
// command or a composer operation asks the run to stop, leaving the file open.
[[nodiscard]] int16_t interpret(RunState& run, std::FILE*& file, TableLine& table);

// The line handler for table lines (first character a letter, digit, '-', '(' or '@'),
// text lines (';'), date header lines ('&') and page control lines ('*'), called with
// the first character already read. Returns 0, or -1 when the run must stop.
int16_t tableLineHook(StubContext& context, int first);

// Composes the current line (\center's text line) through the value-row composer.
int16_t composeLineHook(TableLine& table);

// --- Reading a command's text argument (characters echoed while debugEcho is on) ---

// Capacity of the token buffer that holds a text argument.
constexpr std::size_t TextArgumentCapacity = 1500;

// The rest of line: every character after the command word up to the line feed (not
// included), the blank before the text included; cut at `limit` characters, though
// the line is always read to its end.
std::string readRestOfLine(StubContext& context, std::size_t limit = TextArgumentCapacity);
// The rest of line without everything up to and including its first blank (the whole
// rest of line when it holds no blank).
std::string readTextAfterFirstBlank(StubContext& context);
// The rest of line without its leading blanks and tabs.
std::string readTextWithoutLeadingBlanks(StubContext& context);

// Reads one character for the interpreter itself, echoing it while debugEcho is on.
int readEchoedChar(StubContext& context);

}  // namespace tabrix
