// Add files: stub fragments run from a stub through the same interpreter, sharing the
// table state and every setting. "\add file [arguments]" runs one add file with up
// to 10 arguments for its marks %1 .. %9; "\fadd addfile argfile" runs the add file
// once for every line of an argument file, with that line's arguments; the add file
// named "keyboard" reads its lines from the keyboard line editor.
//
// Each running add file sees only its own arguments: the command saves the reader's
// argument table, gives it the add file's, and restores the caller's afterwards.
// When the add file ends, reading goes on in the caller with the line after the
// command. An add file that stops with -1 ends only itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "reader/chopper.h"

namespace tabrix {

struct StubContext;

// The most arguments an add file takes; more are ignored with a message.
constexpr int MaxAddArguments = 10;
// The most add files running inside one another. An add file that would be the next
// one is refused, and every add file running is ended (an add file that runs itself
// would otherwise nest without end), after which the stub goes on.
constexpr int MaxAddFileDepth = 50;
// Characters of an argument-file line read at most; the rest of a longer line is
// dropped with a message.
constexpr std::size_t MaxArgumentLineLength = 599;

// \add (prefix 2). The result goes to run.status: the interpreter's result on the add
// file ('e' at its end, -1 when it stopped), or -1 after a bad file name or an add
// file that cannot be opened. Returns 0, or -1 while a refused nesting ends the add
// files running.
int16_t addCommand(StubContext& context);

// \fadd (prefix 3). The result goes to run.status like \add's: the result of the last
// run of the add file, or -1 after a bad name or a file that cannot be opened.
int16_t faddCommand(StubContext& context);

// Reads argument tokens up to the end of the line into table: each token's text (a
// word, a number, a punctuation character, a quoted text without its quotes) is the
// next argument. Returns the count of arguments read, at most MaxAddArguments; sets
// `ignored` to the count of further tokens on the line.
int readAddArguments(Chopper& reader, ArgumentTable& table, int& ignored);

}  // namespace tabrix
