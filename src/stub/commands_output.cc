// Output-target commands for the table text file: a new table file (\break), RTF
// (\rtf), the print-file layout (\prn), data records (\gdata, \gzeroes, \nocomment,
// \oneperline), raw printer controls (\pcontrol) and the seven font commands.
// The worksheet commands are in commands_sheet.cc.
#include <string>
#include <utility>

#include "stub/run_state.h"
#include "platform/console.h"
#include "stub/font_spec.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "table/printer_controls.h"
#include "table/table_file.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

// Capacity of the output file's name.
constexpr std::size_t kOutputNameCapacity = 118;
// Values per data-record line when \gdata gives none (or one below 1).
constexpr int16_t kDefaultPerLine = 5;

// The switch argument of \rtf, \prn, \gdata and \oneperline: none or a word turns the
// option on, except a word beginning with 'n' or '0', which turns it off. Returns
// 1 on, 0 off, -1 for a number (no change).
int readSwitch(Chopper& reader, int type) {
  if (type == token::kNumber) return -1;
  if (type == token::kWord) {
    const std::string& word = reader.tokenText();
    if (!word.empty() && (word[0] == 'n' || word[0] == '0')) return 0;
  }
  return 1;
}

void removeTrailingSpace(std::string& text) {
  std::size_t end = text.find_last_not_of(" \t");
  text.erase(end == std::string::npos ? 0 : end + 1);
}

// The record layouts (\gdata, \oneperline) need a single alternative and a plain text
// file: otherwise an option that is on is turned off with its two messages. One that
// stays on takes the record layout's year form.
void settleRecordLayout(TableLine& table, bool& option, const char* tooMany,
                        const char* inconsistent, const char* turningOff) {
  if (!option) return;
  if (table.altCount >= 2) {
    console().write(tooMany);
    console().write("Turning this option off...\n");
    option = false;
  } else if (table.prnMode || table.sheet != nullptr) {
    console().write(inconsistent);
    console().write(turningOff);
    option = false;
  } else {
    table.yearFormat = 3;
  }
}

// The message of a rejected font line, by role.
constexpr const char* kFontErrors[FontRoleCount] = {
    "Error in font command\n",       // BodyFont
    "Error in headfont command\n",   // HeadFont
    "Error in fonttitle command\n",  // TitleFont
    "Error in fontdate command\n",   // DateFont
    "Error in fontbank command\n",   // BankFont
    "Error in fontname command\n",   // NameFont
    "Error in fontdata command\n",   // DataFont
};

}  // namespace

int16_t breakCommand(StubContext& context) {
  RunState& run = context.run;
  TableLine& table = context.table;
  std::string name = readTextAfterFirstBlank(context);
  removeTrailingSpace(name);
  name = name.substr(0, kOutputNameCapacity);

  TableFile next;
  if (next.open(name) != 0) {
    console().printf("Sorry, but I can't open %s as a table file.\r\n Continuing with %s\r\n",
                     name.c_str(), run.outputName.c_str());
    return 0;
  }
  // An RTF table file is closed with its brace, and the new one opened with its header,
  // so that both files are whole RTF documents.
  if (table.rtfMode) {
    table.out.write("\n}");
    startRtf(next);
  }
  const bool rtfOpen = table.rtfMode && table.out.isOpen();
  const std::string closedName = table.out.name();
  if (table.out.close() != 0) table.outputFailed = true;
  if (rtfOpen && !table.outputFailed && fitRtfPage(closedName) != 0) table.outputFailed = true;
  table.out = std::move(next);
  run.outputName = name;
  console().printf("\r\nWriting %s ...\r\n", name.c_str());
  return 0;
}

int16_t rtfCommand(StubContext& context) {
  TableLine& table = context.table;
  int type = context.reader.nextToken();
  int on = readSwitch(context.reader, type);
  // Only the step from a text file to RTF moves the output: a repeated \rtf would delete
  // the RTF file written so far, and \rtf no leaves the current target as it is.
  if (on != 1 || table.rtfMode) return 0;
  if (switchToRtf(table, context.run.outputName) != 0) return -1;
  table.rtfMode = true;
  return 0;
}

int16_t prnCommand(StubContext& context) {
  TableLine& table = context.table;
  int type = context.reader.nextToken();
  int on = readSwitch(context.reader, type);
  if (on != -1) table.prnMode = on == 1;
  if (table.gdataMode && table.prnMode) {
    console().write("\\gdata and \\prn options inconsistent.\n");
    console().write("Turning off \\prn option. \n");
    table.prnMode = false;
  }
  return 0;
}

int16_t gdataCommand(StubContext& context) {
  TableLine& table = context.table;
  Chopper& reader = context.reader;
  int type = reader.nextToken();
  if (endsArguments(type)) {
    table.gdataMode = true;
    table.gdataPerLine = kDefaultPerLine;
  } else if (type == token::kNumber) {
    int16_t perLine = tokenInt16(reader);
    // A record line must hold at least one value.
    table.gdataPerLine = perLine >= 1 ? perLine : kDefaultPerLine;
    table.gdataMode = true;
    if (reader.nextToken() == token::kWord) {
      assignCut(table.gdataKeyword, reader.tokenText(), GdataKeywordCapacity);
    } else {
      table.gdataKeyword = "data";
    }
  } else {
    table.gdataMode = readSwitch(reader, type) == 1;
  }
  settleRecordLayout(table, table.gdataMode, "\\gdata option only allowed with one alternative.\n",
                     "\\prn (or \\wk1) option and \\gdata option inconsistent.\n",
                     "Turning off gdata...\n");
  return 0;
}

int16_t onePerLineCommand(StubContext& context) {
  TableLine& table = context.table;
  int type = context.reader.nextToken();
  int on = readSwitch(context.reader, type);
  if (on != -1) table.onePerLine = on == 1;
  settleRecordLayout(table, table.onePerLine,
                     "\\OnePerLine option only allowed with one alternative.\n",
                     "\\prn (or \\wk1) option and \\oneperline option inconsistent.\n",
                     "Turning off oneperline...\n");
  return 0;
}

int16_t gzeroesCommand(StubContext& context) {
  Chopper& reader = context.reader;
  int type = reader.nextToken();
  bool writeZeroes =
      !endsArguments(type) && !reader.tokenText().empty() && reader.tokenText()[0] == 'y';
  context.table.gdataSkipZeroes = !writeZeroes;
  return 0;
}

int16_t noCommentCommand(StubContext& context) {
  if (endsArguments(context.reader.nextToken())) context.table.gdataComments = false;
  return 0;
}

int16_t pcontrolCommand(StubContext& context) {
  std::string word = readTextAfterFirstBlank(context);
  removeTrailingSpace(word);
  printerControl(context.table, word, true);
  return 0;
}

// Parses the rest of the line into the role's font and gives the role its printer
// words; \font also spreads the body font to the other roles.
int16_t fontRoleCommand(StubContext& context, FontRole role) {
  TableLine& table = context.table;
  if (role == DateFont) resetDateFont(table);
  if (parseFontSpec(context.reader, table.fonts[role].font) != 0) {
    console().write(kFontErrors[role]);
    return 0;
  }
  if (role == BodyFont) copyBodyFont(table);
  deriveFontWords(table, role);
  return 0;
}

}  // namespace tabrix
