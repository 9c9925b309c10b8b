// The stub's backslash commands: the table of all 96 commands in matching order, the
// matching of a command word against it, the numeric setting line, and the handlers of
// the layout, number-format, mode, text, miscellaneous, output-target, block, group
// and VAM commands.
// A command whose handler is not in place yet (its handler is nullptr) is matched like
// all others, so its word never falls through to a later name, and says so in one line.
//
// A handler is called with the command word read; it reads its own arguments through
// the reader and returns 0, or -1 when the run must stop. The interpreter skips the
// rest of the command's line afterwards.
#pragma once

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "stub/interpreter.h"

namespace tabrix {

enum FontRole : int;  // table/table_line.h

using CommandHandler = int16_t (*)(StubContext& context);

// One name of a command: the word, its prefix length (0: the whole word must match),
// the command's number in the table (1 .. 96) and its handler.
struct CommandName {
  const char* name;         // the command word, lower case
  int prefix;               // characters that must match; 0 = the whole word
  int number;               // the command's entry in the table, 1 .. 96
  CommandHandler handler;   // carries out the command; nullptr: not available yet
};

// Every command name in matching order (entries with two names list both in place).
std::span<const CommandName> commandNames();

// The first name matching a lower-cased command word, or nullptr when none does.
const CommandName* findCommand(std::string_view word);

// True when the name matches the lower-cased word (whole, or by its prefix).
bool commandMatches(const CommandName& name, std::string_view word);

// Carries out the command named by a word (any case): finds it and runs its handler.
// An unknown word does nothing and returns 0.
int16_t runCommand(StubContext& context, std::string_view word);

// The numeric setting line "\" n1 .. n6, called with the first number read: sets
// fieldWidth, decs, pageLength, topMargin, bottomMargin and titleWidth in this order;
// the first token that is not a number ends it. Returns 0.
int16_t numericSettingLine(StubContext& context);

// The last token's integer value cut into the 16-bit range of the settings.
int16_t tokenInt16(const Chopper& reader);

// True for the token types that end a command's arguments (the line feed, the end).
bool endsArguments(int type);

// A command that stores one number argument in a 16-bit setting of the table state.
// A token that is not a number writes `illegal` with the token's text and changes
// nothing. With `outOfRange` given, a number outside lowest .. highest writes it with
// the value and stores `fallback` instead.
struct NumberSetting {
  int16_t TableLine::*field;         // the setting
  const char* illegal;               // printf format taking the rejected token's text
  const char* outOfRange = nullptr;  // printf format taking the value; nullptr: no range
  int16_t lowest = 0;                // the smallest value accepted, with outOfRange
  int16_t highest = 0;               // the largest value accepted, with outOfRange
  int16_t fallback = 0;              // stored for a value outside them
};

// Reads a number argument: true with its value cut to 16 bits; another token writes
// `illegal` with the token's text and gives false.
bool readNumberArgument(Chopper& reader, const char* illegal, int16_t& value);

// Carries out a numeric setting command as its NumberSetting describes. Returns 0.
int16_t setNumber(StubContext& context, const NumberSetting& setting);

// Sets titleWidth, refusing more than MaxTitleWidth with the two title-width messages
// (the width then becomes 20).
void setTitleWidth(TableLine& table, int width);

// --- Layout commands (commands_layout.cc) ---
int16_t pageLengthCommand(StubContext& context);    // \pagelength, \pl
int16_t topMarginCommand(StubContext& context);     // \topmargin, \tm
int16_t bottomMarginCommand(StubContext& context);  // \bottommargin, \bm
int16_t titleWidthCommand(StubContext& context);    // \titlewidth, \tw
int16_t pageWidthCommand(StubContext& context);     // \pagewidth, \pw
int16_t spacingCommand(StubContext& context);       // \spacing, \sp
int16_t leftMarginCommand(StubContext& context);    // \leftmargin, \lm
int16_t linesPerPageCommand(StubContext& context);  // \linesperpage, \lpp
int16_t spaceHeadCommand(StubContext& context);     // \spacehead
int16_t landscapeCommand(StubContext& context);     // \landscape
int16_t pagesCommand(StubContext& context);         // \pages
int16_t pagePrefixCommand(StubContext& context);    // \pageprefix, \pp
int16_t underlineCommand(StubContext& context);     // \underline
int16_t lineCommand(StubContext& context);          // \line

// --- Number-format and mode commands (commands_format.cc) ---
int16_t decsCommand(StubContext& context);          // \decs
int16_t fieldCommand(StubContext& context);         // \field
int16_t growthDecsCommand(StubContext& context);    // \growthdecs, \gd
int16_t growthWidthCommand(StubContext& context);   // \growthwidth, \gw
int16_t coefDecsCommand(StubContext& context);      // \coefdecs, \cd
int16_t commasCommand(StubContext& context);        // \commas
int16_t blankZeroesCommand(StubContext& context);   // \blankzeroes, \bz
int16_t noZeroRowsCommand(StubContext& context);    // \nozerorows, \nzr
int16_t noFormatCommand(StubContext& context);      // \noformat, \nf
int16_t thresholdCommand(StubContext& context);     // \threshhold
int16_t divCommand(StubContext& context);           // \div
int16_t printBaseCommand(StubContext& context);     // \printbase
int16_t yearFormatCommand(StubContext& context);    // \yearformat, \yf
int16_t growthTypeCommand(StubContext& context);    // \growthtype, \gt
int16_t aggTypeCommand(StubContext& context);       // \aggtype, \at
int16_t annualRatesCommand(StubContext& context);   // \ar
int16_t periodRatesCommand(StubContext& context);   // \pr
int16_t growthOnCommand(StubContext& context);      // \g
int16_t growthOffCommand(StubContext& context);     // \n
int16_t modeCommand(StubContext& context);          // \mode
int16_t missingCommand(StubContext& context);       // \missing
int16_t tocCommand(StubContext& context);           // \toc

// --- Text and miscellaneous commands (commands_text.cc) ---
int16_t headCommand(StubContext& context);          // \head
int16_t titleCommand(StubContext& context);         // \title
int16_t subtitleCommand(StubContext& context);      // \subtitle
int16_t centerCommand(StubContext& context);        // \center
int16_t datesCommand(StubContext& context);         // \dates
int16_t timestampCommand(StubContext& context);     // \timestamp, \ts
int16_t echoCommand(StubContext& context);          // \echo, \announce
int16_t tellCommand(StubContext& context);          // \tell
int16_t debugCommand(StubContext& context);         // \debug
int16_t checkCommand(StubContext& context);         // \check
int16_t memCommand(StubContext& context);           // \mem

// The \timestamp text for a moment: the C library's ctime form ("Tue Nov 14 22:13:20
// 2023\n") and one more line feed.
std::string timestampText(const std::tm& moment);
// The \tell message for a local time.
std::string tellText(const std::tm& local);

// The \dates text: the tokens of the rest of the line joined with single blanks (none
// between a number and a following - | + : or between one of these and a following
// number), with a blank at the end.
std::string joinDateTokens(Chopper& reader);

// --- Output-target commands (commands_output.cc) ---
int16_t breakCommand(StubContext& context);         // \break
int16_t rtfCommand(StubContext& context);           // \rtf
int16_t prnCommand(StubContext& context);           // \prn
int16_t gdataCommand(StubContext& context);         // \gdata
int16_t gzeroesCommand(StubContext& context);       // \gzeroes
int16_t noCommentCommand(StubContext& context);     // \nocomment
int16_t onePerLineCommand(StubContext& context);    // \oneperline
int16_t pcontrolCommand(StubContext& context);      // \pcontrol, \pc

// --- Publication commands (commands_render.cc) ---
int16_t htmlCommand(StubContext& context);          // \html [NAME | no]
int16_t markdownCommand(StubContext& context);      // \markdown [NAME | no]
int16_t latexCommand(StubContext& context);         // \latex [NAME | no]

// --- Worksheet commands (commands_sheet.cc) ---
int16_t wk1Command(StubContext& context);           // \wk1
int16_t xlsCommand(StubContext& context);           // \xls
int16_t fileTypeCommand(StubContext& context);      // \filetype
int16_t wsTitleCommand(StubContext& context);       // \wstitle
int16_t wsFreezeCommand(StubContext& context);      // \wsfreeze
int16_t xlGraphCommand(StubContext& context);       // \xlgraph

// --- Typeset outputs (commands_pdf.cc) ---
int16_t pdfCommand(StubContext& context);           // \pdf
int16_t svgCommand(StubContext& context);           // \svg
// True while a PDF or SVG renderer is attached: \xlgraph blocks then also become
// their charts, with or without a workbook.
bool chartRenderersAttached(const TableLine& table);
// Collects the rows of the \xlgraph block being opened, when a PDF or SVG renderer is
// attached.
void startChartCollection(TableLine& table, int chartType);
// Ends the collection: with draw, the chart of the collected rows (with the table's
// chart titles) goes to the PDF and SVG renderers.
void endChartCollection(TableLine& table, bool draw);

// --- Block and group commands (commands_blocks.cc) ---
int16_t startTotalCommand(StubContext& context);    // \starttotal, \st
int16_t endTotalCommand(StubContext& context);      // \endtotal, \et
int16_t printTotalCommand(StubContext& context);    // \printtotal, \pt
int16_t startSortCommand(StubContext& context);     // \startsort, \ss
int16_t endSortCommand(StubContext& context);       // \endsort, \es
int16_t printSortCommand(StubContext& context);     // \printsort, \ps
int16_t groupCommand(StubContext& context);         // \group, \grp
int16_t listGroupsCommand(StubContext& context);    // \listgroups
int16_t groupListCommand(StubContext& context);     // \grouplist, \glist

// --- VAM-only commands and \matcfg (commands_vam.cc) ---
int16_t rowCommand(StubContext& context);           // \row
int16_t colCommand(StubContext& context);           // \col
int16_t coefCommand(StubContext& context);          // \coef
int16_t flowCommand(StubContext& context);          // \flow
int16_t matlistCommand(StubContext& context);       // \matlist
int16_t cutoffCommand(StubContext& context);        // \cutoff rate [year]
int16_t noSubtotCommand(StubContext& context);      // \nosubtot
int16_t nstCommand(StubContext& context);           // \nst
int16_t loadCommand(StubContext& context);          // \load name [row]
int16_t matcfgCommand(StubContext& context);        // \matcfg, \mc

// --- Range commands of the function library (commands_ranges.cc) ---
int16_t sumRangeCommand(StubContext& context);      // \sumrange first last
int16_t chainRangeCommand(StubContext& context);    // \chainrange first last

// The seven font commands, one per role: \font (BodyFont), \fonthead, \fonttitle,
// \fontdate, \fontbank, \fontname and \fontdata.
int16_t fontRoleCommand(StubContext& context, FontRole role);
template <FontRole role>
int16_t fontCommand(StubContext& context) {
  return fontRoleCommand(context, role);
}

}  // namespace tabrix
