// Number-format and mode commands: decimals and widths of the value columns, commas,
// blank zeroes, zero rows, the threshold and divisor, the base row, the year format,
// the growth settings, the show mode, the missing-value text and the contents switch.
#include <cctype>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "stub/run_state.h"
#include "sheet/workbook_writer.h"
#include "table/table_line.h"

namespace tabrix {

namespace {

// The first character of the next token (the line feed for the end of the line).
char firstCharOfNextToken(Chopper& reader) {
  int type = reader.nextToken();
  if (type == token::kEnd || reader.tokenText().empty()) return '\n';
  return reader.tokenText()[0];
}

// Stores the first character of the next token when it is one of `allowed`; another
// character writes the message with it and changes nothing.
void setCharChoice(Chopper& reader, char& setting, std::string_view allowed,
                   const char* illegal) {
  char c = firstCharOfNextToken(reader);
  if (allowed.find(c) != std::string_view::npos) {
    setting = c;
  } else {
    console().printConstant(illegal, c);
  }
}

}  // namespace

int16_t decsCommand(StubContext& context) {
  return setNumber(context, {&TableLine::decs, "Illegal decs: %s.\tCommand ignored.\n"});
}

int16_t fieldCommand(StubContext& context) {
  return setNumber(context, {&TableLine::fieldWidth, "Illegal field: %s.  Command ignored.\n"});
}

int16_t growthDecsCommand(StubContext& context) {
  return setNumber(context,
                   {&TableLine::growthDecs, "Illegal growthdecs: %s.  Command ignored.\n"});
}

int16_t growthWidthCommand(StubContext& context) {
  return setNumber(context,
                   {&TableLine::growthWidth, "Illegal growthwidth: %s.  Command ignored.\n"});
}

int16_t coefDecsCommand(StubContext& context) {
  return setNumber(context, {&TableLine::coefDecs, "Illegal coefdecs: %s.  Command ignored.\n"});
}

int16_t commasCommand(StubContext& context) {
  Chopper& reader = context.reader;
  if (reader.nextToken() != token::kWord) return 0;
  const std::string& word = reader.tokenText();
  if (word == "on") {
    context.table.commas = true;
  } else if (word == "off") {
    context.table.commas = false;
  } else {
    console().write("Illegal commas command.\tCommand ignored.\n");
  }
  return 0;
}

int16_t blankZeroesCommand(StubContext& context) {
  context.table.blankZeroes = firstCharOfNextToken(context.reader) == 'y';
  return 0;
}

int16_t noZeroRowsCommand(StubContext& context) {
  context.table.noZeroRows = firstCharOfNextToken(context.reader) != 'n';
  return 0;
}

int16_t noFormatCommand(StubContext& context) {
  Chopper& reader = context.reader;
  int type = reader.nextToken();
  if (type == token::kNumber) return 0;
  if (type == token::kWord) {
    context.table.noFormat = !reader.tokenText().empty() && reader.tokenText()[0] == 'y';
  } else {
    context.table.noFormat = true;
  }
  return 0;
}

int16_t thresholdCommand(StubContext& context) {
  Chopper& reader = context.reader;
  if (reader.nextToken() != token::kNumber) {
    console().write("\\threshhold command must take a number. Command ignored.\n");
    return 0;
  }
  context.table.threshold = static_cast<float>(reader.tokenNumber());
  return 0;
}

int16_t divCommand(StubContext& context) {
  Chopper& reader = context.reader;
  if (reader.nextToken() != token::kNumber) {
    console().write("\\div command must take a number. Command ignored.\n");
    return 0;
  }
  float divisor = static_cast<float>(reader.tokenNumber());
  // Every observation is divided by the divisor; zero would turn them all into
  // infinities, so it is refused like a missing number.
  if (divisor == 0.0f) {
    console().write("\\div command must take a non-zero number. Command ignored.\n");
    return 0;
  }
  context.table.divisor = divisor;
  return 0;
}

int16_t printBaseCommand(StubContext& context) {
  Chopper& reader = context.reader;
  TableLine& table = context.table;
  int type = reader.nextToken();
  if (type == token::kNumber) {
    table.printBase = reader.tokenInteger() != 0;
    return 0;
  }
  if (type == token::kWord && !reader.tokenText().empty()) {
    const std::string& word = reader.tokenText();
    char first = word[0];
    if (word == "off" || first == 'f' || first == 'n') {
      table.printBase = false;
      return 0;
    }
    if (first == 't' || first == 'y' || first == 'o') {
      table.printBase = true;
      return 0;
    }
  }
  console().write("\nError:  invalid argument for printbase.\n");
  return -1;
}

int16_t yearFormatCommand(StubContext& context) {
  switch (firstCharOfNextToken(context.reader)) {
    case '2': context.table.yearFormat = 0; break;
    case '4': context.table.yearFormat = 2; break;
    case '3': context.table.yearFormat = 3; break;
    default: context.table.yearFormat = 1; break;
  }
  return 0;
}

int16_t growthTypeCommand(StubContext& context) {
  setCharChoice(context.reader, context.table.growthType, "pce",
                "Illegal growthtype: %c.  Command ignored.\n");
  return 0;
}

int16_t aggTypeCommand(StubContext& context) {
  setCharChoice(context.reader, context.table.aggType, "bi",
                "Illegal aggtype: %c.  Command ignored.\n");
  return 0;
}

int16_t annualRatesCommand(StubContext& context) {
  context.table.annualRates = 'y';
  return 0;
}

int16_t periodRatesCommand(StubContext& context) {
  context.table.annualRates = 'n';
  return 0;
}

int16_t growthOnCommand(StubContext& context) {
  context.table.growthMode = 'g';
  return 0;
}

int16_t growthOffCommand(StubContext& context) {
  context.table.growthMode = 'n';
  return 0;
}

int16_t modeCommand(StubContext& context) {
  char c = static_cast<char>(
      std::tolower(static_cast<unsigned char>(firstCharOfNextToken(context.reader))));
  if (c != 'a' && c != 'd' && c != 'p') {
    console().printf("Illegal mode %c.  Defaults to 'a'.\n", c);
    c = 'a';
  }
  context.table.showMode = c;
  return 0;
}

int16_t missingCommand(StubContext& context) {
  std::string text = readTextAfterFirstBlank(context);
  TableLine& table = context.table;
  assignCut(table.missingText, text, MissingTextCapacity);
  // A workbook shows the text in the cells of missing values from now on.
  if (context.run.xlsTarget && table.sheet != nullptr && table.sheet->workbook() != nullptr)
    table.sheet->workbook()->setMissingText(table.missingText);
  return 0;
}

int16_t tocCommand(StubContext& context) {
  context.table.tocOn = true;
  return 0;
}

}  // namespace tabrix
