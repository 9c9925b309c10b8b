// The run driver: the program's entry point and owner of the run. It reads the command
// line, shows the banner, conducts the response dialogue (alternatives, their banks,
// the show mode, the stub and the output file), opens the banks, runs the stub through
// the interpreter, finishes the table and its contents and closes everything in order.
#pragma once

#include <cstdio>
#include <iostream>
#include <string>

namespace tabrix {

struct RunState;
class TableLine;
class LineEditor;

// The exit status of a run that stopped because a file it needs could not be opened
// (the response file, a bank, the stub, the output file) or because an output could
// not be written whole.
constexpr int RunFailed = 2;

// Performs the whole run for the command line; returns the process exit status: 0, 1
// where the run ends at once (a missing add-file argument, Escape at a key prompt, ...)
// or RunFailed. A word beginning with "--" is handled first (commandLineOption).
int runMain(int argc, char** argv, std::ostream& out = std::cout, std::ostream& err = std::cerr);

// The words of the command line that begin with "--": "--help" writes the usage and
// "--version" the version to out, status 0 (the first of them counts); any other such
// word writes a message and the usage to err, status 1. -1 when there is none: the run
// goes on. Single-dash and slash switches are left to the run.
int commandLineOption(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// The run after the dialogue: the run heading with the alternatives' titles, groups.bin
// read when the current directory holds one, the stub through the interpreter, the end
// of the table and its contents, a worksheet target finished, and the table file
// closed (outputFailed set when an output could not be written whole). state holds the
// open banks (bankCount), the group store, the stub file and the output name; table the
// settings the dialogue gave (altCount, altStart, values, showMode) and the open table
// file.
void makeTable(RunState& state, TableLine& table);

// Clears the console and writes the banner.
void showBanner();

// Reads one answer of the dialogue: a line of the response file (at most bound
// characters; the rest of a longer line is the next answer) or of the keyboard when
// source is nullptr. Trailing blanks, tabs and line ends are removed from every
// position but the first, then leading blanks and tabs unless the line is all blanks.
// At the end of input the answer keeps its previous content. Returns false at the end.
// editor draws typed answers at a terminal.
bool readAnswer(std::FILE* source, std::string& answer, int bound, LineEditor& editor);

// Removes a pair of double quotes around an answer longer than 2 characters.
void stripQuotes(std::string& answer);

}  // namespace tabrix
