#include "stub/interpreter.h"

#include <cctype>
#include <memory>

#include "stub/run_state.h"
#include "platform/console.h"
#include "reader/chopper.h"
#include "stub/commands.h"
#include "stub/table_lines.h"
#include "table/sort_table.h"
#include "table/table_line.h"
#include "table/value_rows.h"

namespace tabrix {

namespace {

bool startsTableLine(int c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '(' || c == '@';
}

void echoChar(const StubContext& context, int c) {
  if (context.run.debugEcho && c >= 0) console().write(std::string(1, static_cast<char>(c)));
}

// Hands the current character back and skips to the line feed, so a command never takes
// anything from the next line (the line feed a command's last token ended on included).
void skipRestOfCommandLine(Chopper& reader) {
  reader.pushBackCurrent();
  reader.skipLine();
}

// A backslash line: a command word, the numeric setting line, or anything else (ignored).
int16_t commandLine(StubContext& context) {
  Chopper& reader = context.reader;
  int16_t result = 0;
  int type = reader.nextToken();
  if (type == token::kNumber) {
    result = numericSettingLine(context);
  } else if (type == token::kWord) {
    std::string word = reader.tokenText();
    result = runCommand(context, word);
  }
  if (result == -1) return -1;
  skipRestOfCommandLine(reader);
  return result;
}

}  // namespace

int readEchoedChar(StubContext& context) {
  int c = context.reader.nextChar();
  echoChar(context, c);
  return c;
}

std::string readRestOfLine(StubContext& context, std::size_t limit) {
  std::string text;
  for (;;) {
    int c = readEchoedChar(context);
    if (c == -1 || c == '\n') break;
    if (text.size() < limit) text.push_back(static_cast<char>(c));
  }
  return text;
}

std::string readTextAfterFirstBlank(StubContext& context) {
  std::string text = readRestOfLine(context);
  std::size_t blank = text.find(' ');
  if (blank != std::string::npos) text.erase(0, blank + 1);
  return text;
}

std::string readTextWithoutLeadingBlanks(StubContext& context) {
  std::string text = readRestOfLine(context);
  std::size_t start = text.find_first_not_of(" \t");
  text.erase(0, start == std::string::npos ? text.size() : start);
  return text;
}

int16_t tableLineHook(StubContext& context, int first) {
  switch (first) {
    case ';':
      return textLine(context);
    case '&':
      return dateHeaderLine(context);
    case '*':
      return pageControlLine(context);
    default:
      return tableLine(context, first);
  }
}

int16_t composeLineHook(TableLine& table) { return static_cast<int16_t>(composeLine(table)); }

int16_t interpret(RunState& run, std::FILE*& file, TableLine& table) {
  if (!run.reader) run.reader = std::make_unique<Chopper>();
  Chopper& reader = *run.reader;
  reader.setSource(file);
  StubContext context{run, table, reader, file, 0};

  for (;;) {
    context.linePosition = reader.position();
    int c = reader.nextChar();
    while (c == ' ') {
      echoChar(context, c);
      c = reader.nextChar();
    }
    if (c == -1) break;
    // The echo shows the text of text lines and table lines from their first character.
    if (c == ';' || startsTableLine(c)) echoChar(context, c);

    int16_t result = 0;
    if (c == '\\') {
      result = commandLine(context);
    } else if (c == '#') {
      reader.skipLine();
    } else if (c == '\n' || c == '\r') {
      // an empty line
    } else if (c == ';' || c == '&' || c == '*') {
      result = tableLineHook(context, c);
    } else if (startsTableLine(c)) {
      result = tableLineHook(context, c);
      reader.setSource(file);
    } else {
      console().printf("\r\nLine beginning %c not recognized, page %d line %d.", c,
                       table.page.pageNumber(), table.page.lineOnPage());
      reader.skipLine();
    }
    if (result == -1) return -1;
  }

  // A sorted block cannot be read again once its file is closed.
  if (run.sortTable && run.sortTable->file == file) {
    run.sortTable.reset();
    run.sortInProgress = false;
  }
  if (file != nullptr && file != stdin) {
    std::fclose(file);
    // The reader must not keep reading a closed file; the caller points it elsewhere.
    reader.setSource(nullptr);
  }
  file = nullptr;
  return InterpretEnd;
}

}  // namespace tabrix
